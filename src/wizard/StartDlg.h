// CStartDlg: the ready page (template IDD_START). It has no behaviour of
// its own: the wizard frame turns it into the installing and finished
// states by showing and hiding its controls.
#pragma once
#include "framework/Framework.h"

class CStartDlg : public CDialog {
public:
    explicit CStartDlg(CWnd* pParent = nullptr);
protected:
    DECLARE_MESSAGE_MAP()
};
