#include "framework/DataExchange.h"

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    if (m_bFailed)
        return nullptr;
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!h)
        Fail();
    return h;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (h)
        rControl.Attach(h);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
        CWnd::FromHandle(h)->GetWindowText(value);
    else
        ::SetWindowTextA(h, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageA(h, BM_GETCHECK, 0, 0);
    else
        ::SendMessageA(h, BM_SETCHECK, (WPARAM)value, 0);
}

namespace {

bool IsRadioButton(HWND h)
{
    if (::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        return true;
    LONG type = ::GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND first = pDX->PrepareCtrl(nIDC);
    if (!first)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND h = first; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != first && (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP))
            break;
        if (!IsRadioButton(h))
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (value == -1 && ::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}
