#include "wizard/IntoDlg.h"
#include "app/SetupState.h"
#include "res/resource.h"

CIntoDlg::CIntoDlg(CWnd* pParent) : CDialog(IDD_WELCOME, pParent) {}

CIntoDlg::~CIntoDlg() = default;

BEGIN_MESSAGE_MAP(CIntoDlg, CDialog)
END_MESSAGE_MAP()

void CIntoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VERSION, m_stcVersion);
}

BOOL CIntoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The template's text is the format: "%d.%02d.%02d %s" on its first
    // line, the copyright lines after it carry no placeholders.
    CString format;
    m_stcVersion.GetWindowText(format);
    CString beta;
    if (g_nVerBuild != 0)
        beta.Format("Beta %d", g_nVerBuild);
    CString text;
    text.Format(format, g_nVerMajor, g_nVerMinor, g_nVerRelease, (const char*)beta);
    m_stcVersion.SetWindowText(text);
    return TRUE;
}
