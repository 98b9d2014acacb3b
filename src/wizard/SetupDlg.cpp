#include "wizard/SetupDlg.h"
#include "app/SetupState.h"
#include "install/InstallRun.h"
#include "res/resource.h"
#include "wizard/AgreementDlg.h"
#include "wizard/FolderDlg.h"
#include "wizard/GroupDlg.h"
#include "wizard/IntoDlg.h"
#include "wizard/StartDlg.h"

namespace {
// Gap between the side picture and the page, in pixels.
const int kPageGap = 4;
}  // namespace

CSetupDlg::CSetupDlg(CWnd* pParent) : CDialog(IDD_SETUP, pParent) {}

CSetupDlg::~CSetupDlg()
{
    // The page still shown when the dialog ended (the ready page after
    // Finish, any page after a cancel). Its window went with the frame's.
    delete m_pPage;
}

BEGIN_MESSAGE_MAP(CSetupDlg, CDialog)
    ON_BN_CLICKED(IDC_BACK, &CSetupDlg::OnBack)
END_MESSAGE_MAP()

void CSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_PICTURE, m_stcPicture);
    DDX_Control(pDX, IDC_BACK, m_btnBack);
    DDX_Control(pDX, IDOK, m_btnNext);
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_btnNext.GetWindowText(g_strNextCaption);
    m_btnCancel.GetWindowText(g_strCancelCaption);
    OnOK();
    return FALSE;
}

BOOL CSetupDlg::LeavePage()
{
    if (!m_pPage)
        return TRUE;
    if (!m_pPage->DestroyWindow())
        return FALSE;
    delete m_pPage;
    m_pPage = nullptr;
    return TRUE;
}

void CSetupDlg::OnOK()
{
    // The ready page is not left: it stays for the installing and
    // finished states.
    if (m_nPage < kReady && !LeavePage())
        return;
    EnterPage(m_nPage + 1);
}

void CSetupDlg::OnBack()
{
    // Back acts on the agreement to the ready page. It is hidden on the
    // welcome page and disabled from the installing state on; a command
    // that reaches the frame there anyway is ignored.
    if (m_nPage < kAgreement || m_nPage > kReady)
        return;
    // The ready page keeps the base DestroyWindow: leaving it always
    // succeeds.
    if (!LeavePage())
        return;
    EnterPage(m_nPage - 1);
}

void CSetupDlg::EnterPage(int nPage)
{
    m_nPage = nPage;
    if (m_strTitle.IsEmpty())
        GetWindowText(m_strTitle);
    if (m_nPage != kAgreement) {
        m_btnNext.SetWindowText(g_strNextCaption);
        m_btnCancel.SetWindowText(g_strCancelCaption);
    }

    switch (m_nPage) {
    case kWelcome:
        m_pPage = new CIntoDlg(this);
        m_pPage->Create(IDD_WELCOME, this);
        m_btnBack.ShowWindow(SW_HIDE);
        break;
    case kAgreement: {
        CString text;
        text.LoadString(IDS_YES_BUTTON);
        m_btnNext.SetWindowText(text);
        text.LoadString(IDS_NO_BUTTON);
        m_btnCancel.SetWindowText(text);
        m_btnBack.ShowWindow(SW_SHOW);
        m_stcPicture.ShowWindow(SW_HIDE);
        m_pPage = new CAgreementDlg(this);
        m_pPage->Create(IDD_AGREEMENT, this);
        text.LoadString(IDS_AGREEMENT_CAPTION);
        SetWindowText(text);
        // The agreement page places and shows itself; the focus stays.
        return;
    }
    case kDestination:
        m_pPage = new CFolderDlg(this);
        m_pPage->Create(IDD_FOLDER, this);
        break;
    case kGroup:
        m_pPage = new CGroupDlg(this);
        m_pPage->Create(IDD_GROUP, this);
        break;
    case kReady:
        m_pPage = new CStartDlg(this);
        m_pPage->Create(IDD_START, this);
        break;
    case kInstalling:
        RunInstallingState();
        return;
    default:
        Finish();
        return;
    }
    PlacePage();
}

void CSetupDlg::PlacePage()
{
    SetWindowText(m_strTitle);
    m_stcPicture.ShowWindow(SW_SHOW);
    m_btnNext.EnableWindow(TRUE);
    m_btnNext.SetFocus();

    RECT rc;
    m_stcPicture.GetWindowRect(&rc);
    ScreenToClient(&rc);
    m_pPage->SetWindowPos(&CWnd::wndTop, rc.right + kPageGap, rc.top, 0, 0,
                          SWP_NOSIZE | SWP_SHOWWINDOW);
}

void CSetupDlg::RunInstallingState()
{
    CWnd* pPage = m_pPage;
    pPage->GetDlgItem(IDC_READY_TEXT)->ShowWindow(SW_HIDE);
    pPage->GetDlgItem(IDC_READY_HINT)->ShowWindow(SW_HIDE);
    pPage->GetDlgItem(IDC_INSTALLING)->ShowWindow(SW_SHOW);
    pPage->UpdateWindow();

    m_btnBack.EnableWindow(FALSE);
    m_btnNext.EnableWindow(FALSE);
    m_btnCancel.EnableWindow(FALSE);

    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    RunInstallation();
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));

    CString text;
    m_btnNext.EnableWindow(TRUE);
    text.LoadString(IDS_FINISH_BUTTON);
    m_btnNext.SetWindowText(text);

    pPage->GetDlgItem(IDC_INSTALLING)->ShowWindow(SW_HIDE);
    pPage->GetDlgItem(IDC_RUN_AFTER)->ShowWindow(SW_SHOW);

    text.LoadString(IDS_INSTALLED);
    pPage->SetDlgItemText(IDC_READY_TEXT, text);
    text.LoadString(IDS_PRESS_FINISH);
    pPage->SetDlgItemText(IDC_READY_HINT, text);
    pPage->GetDlgItem(IDC_READY_TEXT)->ShowWindow(SW_SHOW);
    pPage->GetDlgItem(IDC_READY_HINT)->ShowWindow(SW_SHOW);

    m_btnNext.SetFocus();
}

void CSetupDlg::Finish()
{
    // The box replaces whatever the command line asked for.
    g_bRunAfter = (int)::SendDlgItemMessageA(m_pPage->m_hWnd, IDC_RUN_AFTER, BM_GETCHECK, 0, 0);
    CDialog::OnOK();
}

void CSetupDlg::OnCancel()
{
    // Escape reaches OnCancel even when the Cancel button is disabled (the
    // dialog manager does not look at it); from the installing state on
    // there is nothing left to cancel.
    if (!m_btnCancel.IsWindowEnabled())
        return;
    if (AfxMessageBox(IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        CDialog::OnCancel();
}
