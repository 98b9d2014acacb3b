// CDialog: a dialog from a template in the framework's resource module,
// shown modally (DoModal) or created as a modeless child (Create). One
// static dialog procedure takes the object from the WM_INITDIALOG
// parameter and routes to OnInitDialog, OnOK, OnCancel and the message map.
#pragma once
#include "framework/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}
    ~CDialog() override;

    // Creates the dialog as a modeless window (a child when the template
    // says so) of pParentWnd. TRUE when the window exists.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Runs the dialog modally; the result of EndDialog, or -1 when the
    // dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Base: transfers the members to the controls (UpdateData(FALSE)) and
    // returns TRUE (the system sets the focus).
    virtual BOOL OnInitDialog();
    // Base OnOK: UpdateData(TRUE), and when that succeeds EndDialog(IDOK).
    virtual void OnOK();
    // Base OnCancel: EndDialog(IDCANCEL).
    virtual void OnCancel();

protected:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL m_bModal = FALSE;
};
