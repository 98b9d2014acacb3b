#include "wizard/AgreementDlg.h"
#include "res/resource.h"

#include <stdio.h>

namespace {
// Read by its bare name: the setup program does not change the current
// directory before the wizard ends, so this is the folder it was started in.
const char kAgreementFile[] = "agreement.txt";
}  // namespace

CAgreementDlg::CAgreementDlg(CWnd* pParent) : CDialog(IDD_AGREEMENT, pParent) {}

CAgreementDlg::~CAgreementDlg() = default;

BEGIN_MESSAGE_MAP(CAgreementDlg, CDialog)
END_MESSAGE_MAP()

void CAgreementDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_AGREEMENT_TEXT, m_edtText);
    DDX_Text(pDX, IDC_AGREEMENT_TEXT, m_strText);
}

BOOL CAgreementDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // Binary mode: the bytes, line ends included, reach the text box as the
    // file holds them. A missing file leaves the box empty; that is no error.
    if (FILE* f = fopen(kAgreementFile, "rb")) {
        if (fseek(f, 0, SEEK_END) == 0) {
            long size = ftell(f);
            if (size > 0 && fseek(f, 0, SEEK_SET) == 0) {
                char* p = m_strText.GetBufferSetLength((int)size);
                size_t got = fread(p, 1, (size_t)size, f);
                m_strText.ReleaseBuffer((int)got);
            }
        }
        fclose(f);
    }
    UpdateData(FALSE);

    // No selection, caret scrolled into view: the text shows from its start.
    m_edtText.SetSel(-1, 0, TRUE);
    m_edtText.ScrollCaret();

    SetWindowPos(&CWnd::wndTop, 4, 4, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateData(FALSE);
    return FALSE;
}
