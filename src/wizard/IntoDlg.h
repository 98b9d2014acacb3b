// CIntoDlg: the welcome page (template IDD_WELCOME). It fills the version
// line of its template with the version of the product being installed.
#pragma once
#include "framework/Framework.h"

class CIntoDlg : public CDialog {
public:
    explicit CIntoDlg(CWnd* pParent = nullptr);
    ~CIntoDlg() override;

    CStatic m_stcVersion;   // control 1003; its template text is the format

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    // Formats the version line: major, minor and release (the last two at
    // least two digits) and "Beta <build>" when the build part is not 0.
    BOOL OnInitDialog() override;
};
