#include "wizard/StartDlg.h"
#include "res/resource.h"

CStartDlg::CStartDlg(CWnd* pParent) : CDialog(IDD_START, pParent) {}

BEGIN_MESSAGE_MAP(CStartDlg, CDialog)
END_MESSAGE_MAP()
