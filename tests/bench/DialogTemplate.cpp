#include "bench/DialogTemplate.h"

namespace bench {

DialogTemplate::DialogTemplate(const std::string& caption, short cx, short cy, DWORD style)
{
    Dword(style | DS_SETFONT);
    Dword(0);                 // extended style
    words_.push_back(0);      // number of controls, counted by Add
    words_.push_back(0);      // x
    words_.push_back(0);      // y
    words_.push_back(static_cast<WORD>(cx));
    words_.push_back(static_cast<WORD>(cy));
    words_.push_back(0);      // no menu
    words_.push_back(0);      // the dialog class
    Text(caption);
    words_.push_back(8);      // font size
    Text("MS Sans Serif");
}

DialogTemplate& DialogTemplate::Add(WORD classAtom, int id, const std::string& text, DWORD style, short x, short y,
                                    short cx, short cy)
{
    Align();
    Dword(style | WS_CHILD);
    Dword(0);
    words_.push_back(static_cast<WORD>(x));
    words_.push_back(static_cast<WORD>(y));
    words_.push_back(static_cast<WORD>(cx));
    words_.push_back(static_cast<WORD>(cy));
    words_.push_back(static_cast<WORD>(id));
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    Text(text);
    words_.push_back(0);      // no creation data
    ++words_[4];              // cdit follows the two DWORDs of the header
    return *this;
}

void DialogTemplate::Align()
{
    if (words_.size() % 2)
        words_.push_back(0);
}

void DialogTemplate::Dword(DWORD v)
{
    words_.push_back(LOWORD(v));
    words_.push_back(HIWORD(v));
}

void DialogTemplate::Text(const std::string& s)
{
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> w(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    for (wchar_t c : w)
        words_.push_back(static_cast<WORD>(c));
}

}  // namespace bench
