#include "framework/App.h"
#include "framework/Module.h"
#include "framework/Wnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* s_pApp = nullptr;
const UINT kAppTitleId = 57344;
}  // namespace

CWinApp::CWinApp(const char* lpszAppName) : m_pszAppName(lpszAppName)
{
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

CWinApp* AfxGetApp() { return s_pApp; }

int CWinApp::Run()
{
    if (!m_pMainWnd)
        ::PostQuitMessage(0);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (msg.message != WM_QUIT && !m_pMainWnd)
            ::PostQuitMessage(0);
    }
    return ExitInstance();
}

BOOL AfxWinInit(HINSTANCE hInstance)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return FALSE;
    pApp->m_hInstance = hInstance;
    if (!pApp->m_pszAppName) {
        HINSTANCE old = AfxGetResourceHandle();
        AfxSetResourceHandle(hInstance);
        if (!pApp->m_strAppName.LoadString(kAppTitleId)) {
            char path[MAX_PATH] = "";
            ::GetModuleFileNameA(hInstance, path, MAX_PATH);
            CString name(path);
            pApp->m_strAppName = name.Mid(name.ReverseFind('\\') + 1);
        }
        AfxSetResourceHandle(old);
        pApp->m_pszAppName = pApp->m_strAppName;
    }
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (!AfxWinInit(hInstance))
        return -1;
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    CWinApp* pApp = AfxGetApp();
    HWND hOwner = nullptr;
    if (pApp && pApp->m_pMainWnd && ::IsWindow(pApp->m_pMainWnd->m_hWnd))
        hOwner = ::GetLastActivePopup(pApp->m_pMainWnd->m_hWnd);
    return ::MessageBoxA(hOwner, lpszText, pApp ? pApp->m_pszAppName : nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}
