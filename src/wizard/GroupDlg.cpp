#include "wizard/GroupDlg.h"
#include "app/Probes.h"
#include "app/SetupState.h"
#include "res/resource.h"

#include <mbstring.h>

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The shortest group name the page accepts, in bytes of the ANSI text.
const int kMinGroupLength = 3;

// The lower-cased last component of a Startup folder path: the text after
// its last backslash, or the whole text. Empty for a missing value.
CString LastComponentLower(const CString& path)
{
    CString last = path.Mid(path.ReverseFind('\\') + 1);
    last.MakeLower();
    return last;
}

}  // namespace

CGroupDlg::CGroupDlg(CWnd* pParent) : CDialog(IDD_GROUP, pParent) {}

CGroupDlg::~CGroupDlg() = default;

BEGIN_MESSAGE_MAP(CGroupDlg, CDialog)
END_MESSAGE_MAP()

void CGroupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GROUP, m_edtGroup);
    DDX_Check(pDX, IDC_AUTOSTART, m_bAutoStart);
    DDX_Check(pDX, IDC_DESKTOP_ICON, m_bDesktopIcon);
    DDX_Text(pDX, IDC_GROUP, m_strGroup);
}

BOOL CGroupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bAutoStart = g_bAutoStart;
    m_bDesktopIcon = g_bDesktopIcon;
    m_strGroup = g_strGroupName;
    UpdateData(FALSE);
    return TRUE;
}

BOOL CGroupDlg::DestroyWindow()
{
    if (!UpdateData(TRUE))
        return FALSE;
    // Only the member is trimmed; the edit box keeps the text as typed.
    m_strGroup.TrimLeft();
    m_strGroup.TrimRight();
    if (m_strGroup.GetLength() < kMinGroupLength) {
        AfxMessageBox(IDS_GROUP_TOO_SHORT, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    // Shortcuts in a group named like a Startup folder would start with
    // Windows; both the user's and the all-users' folder are refused,
    // whatever the install type.
    CString lower(m_strGroup);
    lower.MakeLower();
    CString userStartup = LastComponentLower(ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, "Startup"));
    CString commonStartup = LastComponentLower(ReadRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Startup"));
    const unsigned char* name = reinterpret_cast<const unsigned char*>(lower.GetString());
    if (_mbscmp(name, reinterpret_cast<const unsigned char*>(userStartup.GetString())) == 0 ||
        _mbscmp(name, reinterpret_cast<const unsigned char*>(commonStartup.GetString())) == 0) {
        AfxMessageBox(IDS_GROUP_IS_STARTUP, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    g_bAutoStart = m_bAutoStart;
    g_bDesktopIcon = m_bDesktopIcon;
    g_strGroupName = m_strGroup;
    return CDialog::DestroyWindow();
}
