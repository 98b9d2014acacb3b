// A dialog template built in memory, for tests that need a small dialog of
// their own (DialogBoxIndirectParamA, CreateDialogIndirectParamA) without a
// resource file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class DialogTemplate {
public:
    // Predefined control classes of a template.
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kEdit = 0x0081;
    static constexpr WORD kStatic = 0x0082;

    // A dialog with caption, size in dialog units and style; the font is
    // "MS Sans Serif" 8 points (DS_SETFONT is added).
    DialogTemplate(const std::string& caption, short cx, short cy,
                   DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);

    // Adds a control of a predefined class; WS_CHILD is added to style.
    DialogTemplate& Add(WORD classAtom, int id, const std::string& text, DWORD style, short x, short y, short cx,
                        short cy);

    // The template, valid while this object lives and is not changed.
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Align();
    void Dword(DWORD v);
    void Text(const std::string& s);

    std::vector<WORD> words_;
};

}  // namespace bench
