#include "framework/Dialog.h"
#include "framework/Module.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

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
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->OnNcDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}
