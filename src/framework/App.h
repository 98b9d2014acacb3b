// CWinApp: the application object. The program defines exactly one, with
// static storage; the framework's entry point runs its InitInstance. FALSE
// from InitInstance ends the program at once; TRUE enters the message
// loop, which ends at once when there is no main window. The exit code of
// both roads is 0 unless ExitInstance says otherwise.
#pragma once
#include "framework/CmdTarget.h"
#include "framework/String.h"

class CWnd;

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    // With no name, the application title is string 57344 of the resources.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return m_nExitCode; }
    // The standard help command; this framework has no help to show.
    void OnHelp() {}

    const char* m_pszAppName = nullptr;   // the application title
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;           // cleared when that window is destroyed

protected:
    int m_nExitCode = 0;

private:
    friend BOOL AfxWinInit(HINSTANCE);
    CString m_strAppName;
};

CWinApp* AfxGetApp();
// Prepares the application object for hInstance: its instance handle and,
// when it has no name, its title from the resources. FALSE when the
// program defines no application object. AfxWinMain calls it first; a test
// program that shows the program's dialogs without its start-up calls it
// to get the same message-box captions.
BOOL AfxWinInit(HINSTANCE hInstance);
// The framework's entry point, called by WinMain: AfxWinInit, then
// InitInstance and, when that returns TRUE, Run.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// The framework's message box: caption is the application title; the owner
// is the main window when there is one. When nType names no icon, an OK or
// OK/Cancel box gets the exclamation icon and a Yes/No (or Yes/No/Cancel)
// box the question icon.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with a string-table text.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
