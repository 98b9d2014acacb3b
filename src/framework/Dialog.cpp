#include "framework/Dialog.h"
#include "framework/Module.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {

BOOL CALLBACK DetachChild(HWND hWnd, LPARAM)
{
    if (CWnd* p = CWnd::FromHandlePermanent(hWnd))
        if (!p->IsKindOf(RUNTIME_CLASS(CDialog)))
            p->Detach();
    return TRUE;
}

}  // namespace

CDialog::~CDialog()
{
    // A modeless page that is still shown goes with its object.
    if (m_hWnd && !m_bModal)
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                  pParentWnd ? pParentWnd->m_hWnd : nullptr, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                             m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* pDlg;
    if (message == WM_INITDIALOG) {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->Attach(hWnd);
        return pDlg->OnInitDialog();
    }
    pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pDlg)
        return FALSE;

    switch (message) {
    case WM_COMMAND:
        if (pDlg->OnCommand(wParam, lParam))
            return TRUE;
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDOK) {
                pDlg->OnOK();
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                pDlg->OnCancel();
                return TRUE;
            }
        }
        return FALSE;
    case WM_DESTROY:
        // The control objects bound by DDX_Control go with their windows,
        // so that a handle value the system hands out again later cannot
        // lead to them.
        ::EnumChildWindows(hWnd, DetachChild, 0);
        return FALSE;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->OnNcDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}
