#include "wizard/FolderDlg.h"
#include "app/SetupState.h"
#include "install/Paths.h"
#include "install/ComInit.h"
#include "res/resource.h"
#include "win/Handle.h"

#include <io.h>
#include <shlobj.h>

namespace {

// Names the page tests in a folder, and the subfolder it appends.
const char kOldExe4[] = "Pictavo.exe";
const char kOldExe5[] = "Pictavo5.exe";
const char kProductExe[] = "Pictavo6.exe";
const char kProductFolder[] = "Pictavo 6";

// BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE.
const UINT kBrowseFlags = 0x71;

// Whether an entry of that name exists in the folder (a folder counts).
// A folder that already ends in a separator, such as a drive root, is
// joined without a second backslash.
bool EntryExists(const char* pszFolder, const char* pszName)
{
    return _access(JoinPath(pszFolder, pszName), 0) == 0;
}

}  // namespace

CFolderDlg::CFolderDlg(CWnd* pParent) : CDialog(IDD_FOLDER, pParent) {}

CFolderDlg::~CFolderDlg() = default;

BEGIN_MESSAGE_MAP(CFolderDlg, CDialog)
    ON_BN_CLICKED(IDC_BROWSE, &CFolderDlg::OnBrowse)
END_MESSAGE_MAP()

void CFolderDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FOLDER, m_stcFolder);
    DDX_Radio(pDX, IDC_CURRENT_USER, m_nInstallType);
}

BOOL CFolderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    GetDlgItemText(IDC_FOLDER_HINT, m_strHint);
    UpdateFolderNote();
    m_stcFolder.SetWindowText(g_strInstallDir);
    m_nInstallType = g_bAllUsers;
    UpdateData(FALSE);
    return TRUE;
}

void CFolderDlg::UpdateFolderNote()
{
    if (!g_bFreshInstall && EntryExists(g_strInstallDir, kProductExe)) {
        CString note;
        note.LoadString(IDS_PREVIOUS_COPY_NOTE);
        SetDlgItemText(IDC_FOLDER_HINT, note);
    } else {
        SetDlgItemText(IDC_FOLDER_HINT, m_strHint);
    }
}

int CFolderDlg::CountFolderEntries(const char* pszFolder)
{
    win::FindFile find(JoinPath(pszFolder, "*"));
    if (!find.IsValid())
        return 0;
    int count = 0;
    do {
        if (!find.IsDotEntry())
            ++count;
    } while (find.Next());
    return count;
}

int CALLBACK CFolderDlg::BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM, LPARAM)
{
    switch (uMsg) {
    case BFFM_INITIALIZED:
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, (LPARAM)(const char*)g_strInstallDir);
        return 0;
    case BFFM_VALIDATEFAILEDA:
        AfxMessageBox(IDS_INVALID_FOLDER, MB_OK | MB_ICONEXCLAMATION);
        return 1;   // keep the browser open for another choice
    default:
        return 0;
    }
}

void CFolderDlg::OnBrowse()
{
    CString title;
    title.LoadString(IDS_BROWSE_TITLE);
    char displayName[MAX_PATH] = "";
    BROWSEINFOA bi = {};
    bi.hwndOwner = m_hWnd;
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = displayName;
    bi.lpszTitle = title;
    bi.ulFlags = kBrowseFlags;
    bi.lpfn = BrowseCallbackProc;
    bi.lParam = 0;

    // The browser can only preselect a folder that exists; the destination
    // is made for the length of the browse and removed again if it stayed
    // empty, so that browsing leaves nothing behind.
    ::CreateDirectoryA(g_strInstallDir, nullptr);
    // The new-style browser needs COM in an apartment on this thread; the
    // shortcuts share the same once-per-process initialisation.
    EnsureComInitialized();
    LPITEMIDLIST pidl = ::SHBrowseForFolderA(&bi);
    ::RemoveDirectoryA(g_strInstallDir);
    if (!pidl)
        return;

    char path[MAX_PATH] = "";
    if (::SHGetPathFromIDListA(pidl, path)) {
        // An empty folder, for example one just made with the browser's
        // new-folder button, is not left behind.
        ::RemoveDirectoryA(path);
        if (EntryExists(path, kOldExe4) || EntryExists(path, kOldExe5)) {
            AfxMessageBox(IDS_OLD_VERSION_FOLDER, MB_OK | MB_ICONEXCLAMATION);
        } else {
            CString dest(path);
            if (!EntryExists(path, kProductExe) && CountFolderEntries(path) > 0)
                dest = JoinPath(path, kProductFolder);
            g_strInstallDir = dest;
            m_stcFolder.SetWindowText(g_strInstallDir);
            UpdateFolderNote();
        }
    }

    IMalloc* pMalloc = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&pMalloc))) {
        pMalloc->Free(pidl);
        pMalloc->Release();
    }
}

BOOL CFolderDlg::DestroyWindow()
{
    UpdateData(TRUE);
    g_bAllUsers = m_nInstallType;
    return CDialog::DestroyWindow();
}
