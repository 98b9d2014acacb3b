// CGroupDlg: the program group page (template IDD_GROUP). It asks for the
// Start-menu group and the auto-start and desktop-icon choices. Leaving it
// (by Next or by Back) checks the name: shorter than 3 characters after
// trimming, or the last component of either Startup folder, keeps the user
// on the page with a message; a name that passes is stored trimmed, with
// the two check boxes.
#pragma once
#include "framework/Framework.h"

class CGroupDlg : public CDialog {
public:
    explicit CGroupDlg(CWnd* pParent = nullptr);
    ~CGroupDlg() override;

    CEdit m_edtGroup;          // control 1000
    BOOL m_bAutoStart = 0;     // check box 1008
    BOOL m_bDesktopIcon = 0;   // check box 1009
    CString m_strGroup;        // the group name, exchanged with 1000

    // Checks and stores the settings; zero (and a message) keeps the page.
    BOOL DestroyWindow() override;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
