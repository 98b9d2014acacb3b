// Helper program for the application-object tests: a GUI program with one
// static application object, started through the framework's entry point.
//   app_probe OUTFILE false|true|mainwnd
// InitInstance writes the application title and the module state's handles
// to OUTFILE, then returns FALSE ("false"), TRUE with no main window
// ("true"), or TRUE after showing a main window that destroys itself as
// soon as the message loop runs ("mainwnd").
#include "framework/Framework.h"

#include <stdio.h>
#include <string.h>

namespace {

const UINT IDD_TEST_HOST = 201;

class CClosingWindow : public CDialog {
public:
    CClosingWindow() : CDialog(IDD_TEST_HOST) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        // Destroyed from the message loop, not from here.
        PostMessage(WM_CLOSE);
        return TRUE;
    }
    void OnCancel() override { DestroyWindow(); }
};

class CProbeApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        if (__argc < 3)
            return FALSE;
        FILE* f = fopen(__argv[1], "w");
        if (!f)
            return FALSE;
        fprintf(f, "title=%s\n", m_pszAppName ? m_pszAppName : "(null)");
        fprintf(f, "instance_is_exe=%d\n", AfxGetInstanceHandle() == GetModuleHandleA(nullptr));
        fprintf(f, "resource_is_exe=%d\n", AfxGetResourceHandle() == GetModuleHandleA(nullptr));
        fclose(f);
        if (strcmp(__argv[2], "mainwnd") == 0) {
            static CClosingWindow wnd;
            if (!wnd.Create(IDD_TEST_HOST))
                return FALSE;
            m_pMainWnd = &wnd;
            return TRUE;
        }
        return strcmp(__argv[2], "true") == 0;
    }
};

CProbeApp theApp;

}  // namespace
