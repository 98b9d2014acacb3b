#include "framework/Wnd.h"
#include "framework/App.h"
#include "framework/DataExchange.h"

#include <stdlib.h>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

namespace {

// Map from window handles to their objects. The program has a handful of
// windows at a time, so a plain array is enough.
struct HandleMap {
    struct Entry {
        HWND hWnd;
        CWnd* pWnd;
    };
    Entry* entries = nullptr;
    int count = 0;
    int capacity = 0;

    CWnd* Find(HWND h) const {
        for (int i = 0; i < count; ++i)
            if (entries[i].hWnd == h)
                return entries[i].pWnd;
        return nullptr;
    }
    void Add(HWND h, CWnd* p) {
        if (count == capacity) {
            capacity = capacity ? capacity * 2 : 16;
            entries = static_cast<Entry*>(realloc(entries, capacity * sizeof(Entry)));
            if (!entries)
                abort();
        }
        entries[count++] = { h, p };
    }
    void Remove(CWnd* p) {
        for (int i = 0; i < count; ++i) {
            if (entries[i].pWnd == p) {
                entries[i] = entries[--count];
                return;
            }
        }
    }
};

HandleMap& PermanentMap() { static HandleMap map; return map; }

// Temporary wrappers for windows that no object is bound to (for example
// a control reached through GetDlgItem). They only hold the handle, so one
// per handle value is kept for the life of the process.
HandleMap& TemporaryMap() { static HandleMap map; return map; }

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd && PermanentMap().Find(m_hWnd) == this)
        PermanentMap().Remove(this);
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    PermanentMap().Add(hWnd, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h) {
        PermanentMap().Remove(this);
        m_hWnd = nullptr;
    }
    return h;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? PermanentMap().Find(hWnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = PermanentMap().Find(hWnd))
        return p;
    if (CWnd* p = TemporaryMap().Find(hWnd))
        return p;
    CWnd* p = new CWnd(hWnd);
    TemporaryMap().Add(hWnd, p);
    return p;
}

void CWnd::GetWindowText(CString& rString) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    char* p = rString.GetBuffer(n);
    ::GetWindowTextA(m_hWnd, p, n + 1);
    rString.ReleaseBuffer();
}

void CWnd::GetDlgItemText(int nID, CString& rString) const
{
    HWND h = ::GetDlgItem(m_hWnd, nID);
    if (h)
        FromHandle(h)->GetWindowText(rString);
    else
        rString.Empty();
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr,
                          x, y, cx, cy, nFlags);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

void CWnd::OnNcDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
    Detach();
    PostNcDestroy();
}
