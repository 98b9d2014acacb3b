// Dialog data exchange: DoDataExchange calls these for each control, and
// UpdateData runs them in one direction (m_bSaveAndValidate TRUE: controls
// to members; FALSE: members to controls).
#pragma once
#include "framework/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;   // an exchange failed; later ones are skipped

    // The control's window, or null (and the exchange fails) when the
    // dialog has no control of that id.
    HWND PrepareCtrl(int nIDC);
    void Fail() { m_bFailed = TRUE; }
};

// Binds the control object to the dialog's control (once).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The control's window text.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// A check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// A group of radio buttons that starts at nIDC (which has WS_GROUP) and
// runs to the next control with WS_GROUP: the index of the checked button,
// -1 when none is checked. Writing -1 unchecks them all.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
