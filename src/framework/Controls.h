// Control classes: each method is one control message.
#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, (WPARAM)nCheck); }
};

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    HBITMAP SetBitmap(HBITMAP hBitmap)
    { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP); }
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    // EM_SETSEL; a start of -1 removes the selection.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
    void ReplaceSel(const char* lpszNewText, BOOL bCanUndo = FALSE)
    { SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText); }
    void ScrollCaret() { SendMessage(EM_SCROLLCARET); }
    int GetFirstVisibleLine() const { return (int)SendMessage(EM_GETFIRSTVISIBLELINE); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, (WPARAM)bReadOnly); }
};
