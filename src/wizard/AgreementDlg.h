// CAgreementDlg: the agreement page (template IDD_AGREEMENT). It shows
// "agreement.txt" from the current directory in a read-only text box and
// places itself at the top left of the frame, over the place of the side
// picture, which the frame hides for it. It has no settings and never
// refuses to be left; reaching the next page is the acceptance.
#pragma once
#include "framework/Framework.h"

class CAgreementDlg : public CDialog {
public:
    explicit CAgreementDlg(CWnd* pParent = nullptr);
    ~CAgreementDlg() override;

    CEdit m_edtText;      // control 1000
    CString m_strText;    // the agreement's bytes as the file holds them

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    // Loads the file, shows it from its start with nothing selected, places
    // and shows the page. Sets no focus: the frame's focus stays.
    BOOL OnInitDialog() override;
};
