// CFolderDlg: the destination page (template IDD_FOLDER). It shows the
// install type and the destination folder; the folder changes only through
// Browse, which opens the shell's folder browser and checks the choice: a
// folder with an old version 4 or 5 is refused, a folder that holds other
// things gets a "Pictavo 6" subfolder, a folder with a previous copy of
// this version is taken as it is. The install type is stored when the page
// is left; leaving never fails.
#pragma once
#include "framework/Framework.h"

class CFolderDlg : public CDialog {
public:
    explicit CFolderDlg(CWnd* pParent = nullptr);
    ~CFolderDlg() override;

    CString m_strHint;         // the template's text of control 1006
    CStatic m_stcFolder;       // control 1013, the destination folder
    int m_nInstallType = -1;   // radio group 1001: 0 current user, 1 all users

    // Stores the install type in g_bAllUsers, then destroys the window.
    BOOL DestroyWindow() override;

    // The folder browser's callback: opens the browser on the current
    // destination, and keeps it open with a message when a typed path
    // does not validate.
    static int CALLBACK BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
    // The number of entries of a folder other than "." and "..", files and
    // folders, hidden or not; 0 when the folder cannot be searched.
    static int CountFolderEntries(const char* pszFolder);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBrowse();
    // Control 1006: the previous-copy note when an earlier installation was
    // found and the destination holds "Pictavo6.exe", else the hint.
    void UpdateFolderNote();
};
