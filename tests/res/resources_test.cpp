// Reads the resources of the shipped 32-bit setup.exe as data and compares
// them with what the program relies on: the exact message texts, the wizard
// templates (styles, sizes, font, every control in tab order), the side
// picture, the icon, the application manifest and the version resource.
//
// The expected values below are written out on their own, not derived from
// setup.rc, so that a slip in the resource script shows up here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#ifndef SETUP_PRODUCT_EXE
#error "SETUP_PRODUCT_EXE must name the shipped setup.exe (a Unix path)"
#endif

namespace {

// The build hands us a Unix path; Wine maps the Unix root to drive Z:.
std::string WinePath(const char* unixPath) {
    std::string path = unixPath;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

const std::string& ProductPath() {
    static const std::string path = WinePath(SETUP_PRODUCT_EXE);
    return path;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// The executable mapped for its resources only: nothing of it runs, and a
// 32-bit image can be read from the 64-bit test process.
class ShippedExe : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExA(ProductPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        error_ = GetLastError();
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "cannot open " << ProductPath() << " for its resources, error " << error_;
    }

    // The bytes of one resource; empty when it is missing.
    static std::vector<BYTE> Resource(LPCSTR type, WORD id) {
        HRSRC info = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (!info) return {};
        HGLOBAL handle = LoadResource(module_, info);
        DWORD size = SizeofResource(module_, info);
        const BYTE* data = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
        if (!data) return {};
        return std::vector<BYTE>(data, data + size);
    }

    static HMODULE module_;
    static DWORD error_;
};

HMODULE ShippedExe::module_ = nullptr;
DWORD ShippedExe::error_ = 0;

// ---------------------------------------------------------------------------
// String table

struct StringCase {
    UINT id;
    const char* text;
};

const StringCase kStrings[] = {
    {1, "1 instance of Pictavo is currently opened. If you click \"Yes\" button, SETUP will try to close it "
        "without saving any editing work you may have done. \n\nContinue installation?"},
    {2, "Pictavo Setup"},
    {3, "Setup of Pictavo aborted. Please close other instances of Pictavo manually, saving any editing work "
        "you have done in them, then restart this setup program."},
    {4, "%d instances of Pictavo are currently opened. ff you click \"Yes\" button, SETUP will try to close "
        "them without saving any editing work you may have done. \n\nContinue installation?"},
    {6, "This will completely uninstall Pictavo 6.\nDo you want to continue?"},
    {7, "Please accept the License Agreement"},
    {8, "&Finish >"},
    {9, "Pictavo 6 has been successfully installed."},
    {10, "Press the Finish button to exit this installation."},
    {11, "Do you really want to cancel Pictavo setup?"},
    {12, "Select the folder where where Pictavo should be installed."},
    {13, "You have entered and invalid folder name. Please correct.\nIf you want to create a new folder, select "
         "its parent folder in the list and click \"Make New Foilder\" button."},
    {14, "Pictavo ver. 6 can not be installed into the same folder where the old version 4 or 5 is installed. "
         "Please select a different folder."},
    {15, "Pictavo 6"},
    {16, "Pictavo v. %d.%02d.%02d.%02d is already installed on this machine. You are trying to install an older "
         "version %d.%02d.%02d.%02d .\n\nDo you still want to continue?"},
    {17, "Pictavo ver. %d.%02d.%02d.%02d is already installed on this machine.\n\nWould you like to run this "
         "setup again to select different options or repair the files?"},
    {18, "This setup files are damaged, installation aborted.\n\nPlease download the product again from "
         "http://www.quorvane.com and re-try the setup."},
    {19, "This folder already contains a previous copy of Pictavo 6. To upgrade or re-install that copy, please "
         "do not change the destination folder."},
    {20, "Pictavo 6 has been completely uninstalled from this computer."},
    {21, "Yes"},
    {22, "No"},
    {23, "Error: Please enter a valid group name, minimum 3 letters"},
    {24, "Error: Can not install shortcuts into this group, please select a different name."},
    {101, "Pictavo 6 Help"},
    {102, "Read about Pictavo 6"},
    {104, "Uninstall Pictavo 6"},
    {57344, "Pictavo Setup"},
};

// The stored text of a string id, whole: LoadStringW with a zero buffer size
// hands out the resource itself, so nothing is cut or converted.
bool StoredString(HMODULE module, UINT id, std::wstring* text) {
    const WCHAR* p = nullptr;
    int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || !p) return false;
    text->assign(p, static_cast<size_t>(n));
    return true;
}

TEST_F(ShippedExe, EveryStringIdHoldsItsExactText) {
    for (const StringCase& c : kStrings) {
        SCOPED_TRACE("string " + std::to_string(c.id));
        std::wstring stored;
        ASSERT_TRUE(StoredString(module_, c.id, &stored)) << "missing";
        EXPECT_EQ(Narrow(stored), c.text);
        // The ANSI side, as the program loads them, gives the same text.
        char buf[1024];
        int n = LoadStringA(module_, c.id, buf, sizeof buf);
        EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), c.text);
    }
}

TEST_F(ShippedExe, BothCaptionsReadPictavoSetup) {
    // The start-up boxes take string 2, the framework's boxes the
    // application title 57344; the two must agree.
    for (UINT id : {2u, 57344u}) {
        char buf[128];
        ASSERT_GT(LoadStringA(module_, id, buf, sizeof buf), 0) << id;
        EXPECT_STREQ(buf, "Pictavo Setup") << id;
    }
}

// Each RT_STRING block n holds the ids 16 (n - 1) to 16 (n - 1) + 15, every
// one a length and that many UTF-16 units. Collect the ids with a text.
BOOL CALLBACK CollectStringBlock(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
    auto* ids = reinterpret_cast<std::set<UINT>*>(param);
    if (!IS_INTRESOURCE(name)) return TRUE;
    UINT block = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    HRSRC info = FindResourceA(module, name, type);
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    const BYTE* end = p + SizeofResource(module, info);
    for (UINT i = 0; i < 16 && p + 2 <= end; ++i) {
        WORD len;
        std::memcpy(&len, p, 2);
        if (len) ids->insert((block - 1) * 16 + i);
        p += 2 + 2 * static_cast<size_t>(len);
    }
    return TRUE;
}

TEST_F(ShippedExe, StringTableHoldsNoOtherIds) {
    std::set<UINT> present;
    ASSERT_TRUE(EnumResourceNamesA(module_, MAKEINTRESOURCEA(6) /* RT_STRING */, CollectStringBlock,
                                   reinterpret_cast<LONG_PTR>(&present)));
    std::set<UINT> expected;
    for (const StringCase& c : kStrings) expected.insert(c.id);
    EXPECT_EQ(present, expected);
}

// ---------------------------------------------------------------------------
// Dialog templates

// A name or ordinal field of a template: none, an ordinal, or a string.
struct NameOrOrdinal {
    enum Kind { None, Ordinal, String } kind = None;
    WORD ordinal = 0;
    std::wstring text;
};

struct DialogItem {
    DWORD style = 0, exStyle = 0, id = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal cls, text;
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, cls, caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0;
    std::wstring face;
    std::vector<DialogItem> items;
};

// Reads DLGTEMPLATE or DLGTEMPLATEEX with its items, refusing to run past
// the end of the resource.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& data) : data_(data) {}

    bool Read(DialogTemplate* t) {
        WORD version = 0, signature = 0;
        if (!Peek(&version, 0) || !Peek(&signature, 2)) return false;
        t->extended = version == 1 && signature == 0xFFFF;
        WORD count = 0;
        if (t->extended) {
            DWORD help;
            Skip(4);
            if (!Get(&help) || !Get(&t->exStyle) || !Get(&t->style)) return false;
        } else {
            if (!Get(&t->style) || !Get(&t->exStyle)) return false;
        }
        if (!Get(&count) || !Get(&t->x) || !Get(&t->y) || !Get(&t->cx) || !Get(&t->cy)) return false;
        if (!GetName(&t->menu) || !GetName(&t->cls) || !GetName(&t->caption)) return false;
        if (t->style & (DS_SETFONT | DS_SHELLFONT)) {
            if (!Get(&t->pointSize)) return false;
            if (t->extended) {
                BYTE charset;
                if (!Get(&t->weight) || !Get(&t->italic) || !Get(&charset)) return false;
            }
            if (!GetString(&t->face)) return false;
        }
        for (WORD i = 0; i < count; ++i) {
            DialogItem item;
            Align();
            if (t->extended) {
                DWORD help;
                if (!Get(&help) || !Get(&item.exStyle) || !Get(&item.style)) return false;
            } else {
                if (!Get(&item.style) || !Get(&item.exStyle)) return false;
            }
            if (!Get(&item.x) || !Get(&item.y) || !Get(&item.cx) || !Get(&item.cy)) return false;
            if (t->extended) {
                if (!Get(&item.id)) return false;
            } else {
                WORD id;
                if (!Get(&id)) return false;
                item.id = id;
            }
            WORD extra;
            if (!GetName(&item.cls) || !GetName(&item.text) || !Get(&extra)) return false;
            if (pos_ + extra > data_.size()) return false;
            pos_ += extra;
            t->items.push_back(item);
        }
        return true;
    }

private:
    template <class T> bool Peek(T* v, size_t at) const {
        if (at + sizeof(T) > data_.size()) return false;
        std::memcpy(v, data_.data() + at, sizeof(T));
        return true;
    }
    template <class T> bool Get(T* v) {
        if (!Peek(v, pos_)) return false;
        pos_ += sizeof(T);
        return true;
    }
    void Skip(size_t n) { pos_ += n; }
    void Align() { pos_ = (pos_ + 3) & ~size_t(3); }
    bool GetString(std::wstring* s) {
        s->clear();
        for (;;) {
            WORD c;
            if (!Get(&c)) return false;
            if (!c) return true;
            s->push_back(static_cast<wchar_t>(c));
        }
    }
    bool GetName(NameOrOrdinal* n) {
        WORD first;
        if (!Peek(&first, pos_)) return false;
        if (first == 0) {
            pos_ += 2;
            n->kind = NameOrOrdinal::None;
            return true;
        }
        if (first == 0xFFFF) {
            pos_ += 2;
            n->kind = NameOrOrdinal::Ordinal;
            return Get(&n->ordinal);
        }
        n->kind = NameOrOrdinal::String;
        return GetString(&n->text);
    }

    const std::vector<BYTE>& data_;
    size_t pos_ = 0;
};

// The predefined window classes by their template ordinals.
enum : WORD { kButton = 0x80, kEdit = 0x81, kStatic = 0x82 };

const char* ClassName(WORD ordinal) {
    switch (ordinal) {
    case kButton: return "Button";
    case kEdit: return "Edit";
    case kStatic: return "Static";
    }
    return "?";
}

bool IsClass(const NameOrOrdinal& n, WORD ordinal) {
    if (n.kind == NameOrOrdinal::Ordinal) return n.ordinal == ordinal;
    return n.kind == NameOrOrdinal::String && lstrcmpiA(Narrow(n.text).c_str(), ClassName(ordinal)) == 0;
}

// One expected control. The kind is compared under the class's type mask
// (the low style bits that choose push button, check box, static kind...);
// `set` bits must be present and `clear` bits absent. A control without
// text has an empty string; the picture names its bitmap by ordinal.
struct ControlCase {
    int id;
    WORD cls;
    const char* text;
    WORD textOrdinal;
    short x, y, cx, cy;
    DWORD kind;
    DWORD set;
    DWORD clear;
    DWORD exSet;
};

const int kNoId = -1;  // controls the code never addresses
const DWORD kShown = WS_CHILD | WS_VISIBLE;

DWORD TypeMask(WORD cls) {
    switch (cls) {
    case kButton: return BS_TYPEMASK;
    case kStatic: return SS_TYPEMASK;
    }
    return 0;
}

struct DialogCase {
    WORD id;
    const char* caption;  // nullptr: no caption
    short cx, cy;
    DWORD set, clear;
    std::vector<ControlCase> controls;
};

const DWORD kPageSet = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DS_SETFONT;
const DWORD kPageClear = WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_THICKFRAME | DS_MODALFRAME;
const DWORD kNoFocus = WS_TABSTOP;

const std::vector<DialogCase>& DialogCases() {
    static const std::vector<DialogCase> cases = {
        {103, "Pictavo Setup", 318, 204,
         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
         WS_CHILD | DS_CONTROL | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         {
             {3, kButton, "< &Back", 0, 147, 184, 50, 14, BS_PUSHBUTTON, kShown | WS_GROUP | WS_TABSTOP, 0, 0},
             {1, kButton, "&Next >", 0, 202, 184, 50, 14, BS_DEFPUSHBUTTON, kShown | WS_TABSTOP, 0, 0},
             {2, kButton, "Cancel", 0, 257, 184, 50, 14, BS_PUSHBUTTON, kShown | WS_TABSTOP, 0, 0},
             {1002, kStatic, nullptr, 101, 11, 8, 81, 161, SS_BITMAP, WS_CHILD | SS_SUNKEN,
              WS_VISIBLE | kNoFocus | SS_REALSIZECONTROL | SS_CENTERIMAGE, 0},
             {kNoId, kStatic, "", 0, 11, 176, 296, 1, SS_ETCHEDHORZ, kShown, kNoFocus, 0},
         }},
        {104, nullptr, 313, 174, kPageSet, kPageClear,
         {
             {1000, kEdit, "", 0, 0, 0, 313, 155, 0,
              kShown | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, WS_DISABLED, 0},
             {kNoId, kStatic, "Do you accept this agreement?", 0, 2, 160, 306, 10, SS_LEFT, kShown, kNoFocus, 0},
         }},
        {105, nullptr, 217, 161, kPageSet, kPageClear,
         {
             {kNoId, kStatic, "Welcome to Pictavo Setup! This program will install Pictavo on your computer.", 0,
              5, 0, 207, 28, SS_LEFT, kShown, kNoFocus, 0},
             {kNoId, kStatic,
              "Please click the \"Next >\" button to continue setup, or \"Cancel\" button to abort.", 0,
              5, 32, 207, 18, SS_LEFT, kShown, kNoFocus, 0},
             // The version format; its text is checked on its own below.
             {1003, kStatic, nullptr, 0, 18, 72, 191, 25, SS_LEFT, kShown, kNoFocus, 0},
             {kNoId, kStatic, "http://www.quorvane.com", 0, 18, 100, 191, 10, SS_LEFT, kShown, kNoFocus, 0},
         }},
        {106, nullptr, 217, 163, kPageSet, kPageClear,
         {
             {kNoId, kStatic, "Please select how to install Pictavo:", 0, 5, 0, 207, 10, SS_LEFT, kShown,
              kNoFocus, 0},
             {1001, kButton, "Install for the Current User only", 0, 8, 12, 205, 9, BS_AUTORADIOBUTTON,
              kShown | WS_GROUP | WS_TABSTOP, 0, 0},
             // Only the first radio button of a group is a tab stop, and
             // the group must not restart at the second.
             {1002, kButton,
              "Install for All Users of this computer (you should be an Administrator to install that way)", 0,
              8, 23, 205, 29, BS_AUTORADIOBUTTON, kShown | BS_MULTILINE | BS_TOP, WS_GROUP | WS_TABSTOP, 0},
             // This static ends the radio group: it starts a group.
             {kNoId, kStatic, "Setup will install Pictavo into the following folder.", 0, 5, 71, 207, 10, SS_LEFT,
              kShown | WS_GROUP, kNoFocus, 0},
             {1006, kStatic, "To install into a different folder, Click Browse, and select another one.", 0,
              5, 83, 205, 27, SS_LEFT, kShown, kNoFocus, 0},
             {kNoId, kButton, "Destination Folder", 0, 5, 111, 207, 51, BS_GROUPBOX, kShown, kNoFocus,
              WS_EX_TRANSPARENT},
             {1013, kStatic, "Static", 0, 11, 122, 197, 17, SS_LEFT, kShown, kNoFocus, 0},
             {1005, kButton, "B&rowse...", 0, 134, 141, 71, 16, BS_PUSHBUTTON, kShown | WS_TABSTOP, 0, 0},
         }},
        {107, nullptr, 217, 163, kPageSet, kPageClear,
         {
             {kNoId, kStatic, "Enter the name of the Program Manager group to add Pictavo icons to:", 0,
              5, 28, 207, 17, SS_LEFT, kShown, kNoFocus, 0},
             {1008, kButton, "Auto-start Pictavo when Windows starts", 0, 5, 88, 207, 10, BS_AUTOCHECKBOX,
              kShown | WS_TABSTOP, 0, 0},
             {1009, kButton, "Add Pictavo icon to the desktop", 0, 5, 99, 207, 10, BS_AUTOCHECKBOX,
              kShown | WS_TABSTOP, 0, 0},
             {1000, kEdit, "", 0, 3, 48, 211, 12, 0, kShown | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
              ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_NUMBER | WS_DISABLED, 0},
         }},
        {108, nullptr, 217, 163, kPageSet, kPageClear,
         {
             {1010, kStatic, "You are now ready to install Pictavo.", 0, 5, 0, 207, 16, SS_LEFT, kShown, kNoFocus,
              0},
             {1011, kStatic,
              "Press the Next button to begin the installation or the Back button to change your selections.", 0,
              5, 19, 207, 28, SS_LEFT, kShown, kNoFocus, 0},
             {1009, kStatic, "Installing Pictavo, please wait...", 0, 5, 80, 207, 20, SS_CENTER, WS_CHILD,
              WS_VISIBLE | kNoFocus, 0},
             {1012, kButton, "Run Pictavo", 0, 5, 66, 206, 11, BS_AUTOCHECKBOX, WS_CHILD | WS_TABSTOP,
              WS_VISIBLE | WS_DISABLED, 0},
         }},
    };
    return cases;
}

// Names a case in test output by its template id.
void PrintTo(const DialogCase& c, std::ostream* os) { *os << "template " << c.id; }

std::string Hex(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lx", static_cast<unsigned long>(v));
    return buf;
}

class Templates : public ShippedExe {
protected:
    static bool Load(WORD id, DialogTemplate* t) {
        std::vector<BYTE> data = Resource(MAKEINTRESOURCEA(5) /* RT_DIALOG */, id);
        return !data.empty() && TemplateReader(data).Read(t);
    }
};

class DialogTemplates : public Templates, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogTemplates, StyleSizeFontAndControlsInTabOrder) {
    const DialogCase& want = GetParam();
    DialogTemplate t;
    ASSERT_TRUE(Load(want.id, &t)) << "template " << want.id << " missing or malformed";

    EXPECT_EQ(t.style & want.set, want.set) << Hex(t.style);
    EXPECT_EQ(t.style & want.clear, 0u) << Hex(t.style);
    EXPECT_EQ(t.cx, want.cx);
    EXPECT_EQ(t.cy, want.cy);
    // The standard dialog class and no menu: the framework creates every
    // template as a plain dialog.
    EXPECT_EQ(t.menu.kind, NameOrOrdinal::None);
    EXPECT_EQ(t.cls.kind, NameOrOrdinal::None);
    if (want.caption) {
        EXPECT_EQ(Narrow(t.caption.text), want.caption);
    } else {
        EXPECT_TRUE(t.caption.kind == NameOrOrdinal::None || t.caption.text.empty());
    }
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(Narrow(t.face), "MS Sans Serif");
    EXPECT_TRUE(t.weight == 0 || t.weight == FW_NORMAL) << t.weight;
    EXPECT_EQ(t.italic, 0);

    ASSERT_EQ(t.items.size(), want.controls.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& got = t.items[i];
        const ControlCase& c = want.controls[i];
        SCOPED_TRACE("template " + std::to_string(want.id) + ", control #" + std::to_string(i) + " (id " +
                     std::to_string(c.id) + ")");
        EXPECT_EQ(static_cast<int>(static_cast<WORD>(got.id)), static_cast<int>(static_cast<WORD>(c.id)));
        EXPECT_TRUE(IsClass(got.cls, c.cls)) << "expected class " << ClassName(c.cls);
        if (c.textOrdinal) {
            EXPECT_EQ(got.text.kind, NameOrOrdinal::Ordinal);
            EXPECT_EQ(got.text.ordinal, c.textOrdinal);
        } else if (c.text) {
            EXPECT_NE(got.text.kind, NameOrOrdinal::Ordinal);
            EXPECT_EQ(Narrow(got.text.text), c.text);
        }
        EXPECT_EQ(got.x, c.x);
        EXPECT_EQ(got.y, c.y);
        EXPECT_EQ(got.cx, c.cx);
        EXPECT_EQ(got.cy, c.cy);
        EXPECT_EQ(got.style & TypeMask(c.cls), c.kind) << Hex(got.style);
        EXPECT_EQ(got.style & c.set, c.set) << Hex(got.style);
        EXPECT_EQ(got.style & c.clear, 0u) << Hex(got.style);
        EXPECT_EQ(got.exStyle & c.exSet, c.exSet) << Hex(got.exStyle);
    }
}

INSTANTIATE_TEST_SUITE_P(Wizard, DialogTemplates, ::testing::ValuesIn(DialogCases()),
                         [](const ::testing::TestParamInfo<DialogCase>& info) {
                             return "Template" + std::to_string(info.param.id);
                         });

// The welcome page formats the text of 1003 with three numbers and the beta
// text; everything after the first line is the copyright notice and must
// hold no further placeholder.
TEST_F(Templates, WelcomeVersionTextIsAFormatWithTheNoticeBelow) {
    DialogTemplate t;
    ASSERT_TRUE(Load(105, &t));
    const DialogItem* version = nullptr;
    for (const DialogItem& item : t.items)
        if (item.id == 1003) version = &item;
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(version->text.kind, NameOrOrdinal::String);
    std::string format = Narrow(version->text.text);

    size_t firstBreak = format.find('\n');
    ASSERT_NE(firstBreak, std::string::npos);
    EXPECT_EQ(format.substr(0, firstBreak), "Pictavo ver. %d.%02d.%02d %s");
    std::string notice = format.substr(firstBreak + 1);
    EXPECT_EQ(notice.find('%'), std::string::npos) << notice;
    size_t secondBreak = notice.find('\n');
    ASSERT_NE(secondBreak, std::string::npos) << "the notice takes two lines";
    EXPECT_NE(secondBreak, 0u);
    EXPECT_EQ(notice.find('\n', secondBreak + 1), std::string::npos) << "the notice takes two lines";
    EXPECT_LT(secondBreak + 1, notice.size());
    EXPECT_NE(notice.find("Copyright"), std::string::npos) << notice;
    EXPECT_NE(notice.find("Quorvane Technology LLC"), std::string::npos) << notice;

    char line[256];
    std::snprintf(line, sizeof line, format.c_str(), 6, 1, 2, "");
    EXPECT_EQ(std::string(line), "Pictavo ver. 6.01.02 \n" + notice);
    std::snprintf(line, sizeof line, format.c_str(), 6, 0, 5, "Beta 3");
    EXPECT_EQ(std::string(line), "Pictavo ver. 6.00.05 Beta 3\n" + notice);
}

// ---------------------------------------------------------------------------
// Side picture, icon, manifest, version

TEST_F(ShippedExe, SidePictureIs120By260With256Colours) {
    std::vector<BYTE> data = Resource(MAKEINTRESOURCEA(2) /* RT_BITMAP */, 101);
    ASSERT_GE(data.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER h;
    std::memcpy(&h, data.data(), sizeof h);
    EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(h.biWidth, 120);
    EXPECT_EQ(h.biHeight < 0 ? -h.biHeight : h.biHeight, 260);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    DWORD colours = h.biClrUsed ? h.biClrUsed : 256;
    EXPECT_LE(colours, 256u);
    size_t stride = (120 + 3) & ~size_t(3);
    EXPECT_GE(data.size(), sizeof h + colours * sizeof(RGBQUAD) + stride * 260);

    // The picture static loads it through the system as well.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(module_, MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib;
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 120);
    EXPECT_EQ(dib.dsBm.bmHeight, 260);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);
    DeleteObject(bitmap);
}

TEST_F(ShippedExe, ProgramIconHasLargeAndSmallImages) {
    std::vector<BYTE> group = Resource(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, 128);
    ASSERT_GE(group.size(), 6u);
    WORD count;
    std::memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) sizes.insert(group[6 + 14 * i] ? group[6 + 14 * i] : 256);
    EXPECT_TRUE(sizes.count(32)) << "no 32 x 32 image";
    EXPECT_TRUE(sizes.count(16)) << "no 16 x 16 image";
    HICON icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(128), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

// The value of attribute `name` inside the element text `element`.
std::string Attribute(const std::string& element, const std::string& name) {
    const std::string key = name + "=\"";
    for (size_t at = element.find(key); at != std::string::npos; at = element.find(key, at + 1)) {
        if (at == 0 || !std::isspace(static_cast<unsigned char>(element[at - 1]))) continue;
        size_t begin = at + key.size();
        return element.substr(begin, element.find('"', begin) - begin);
    }
    return "<none>";
}

// The text of the first element `tag` at or after `from`, up to its '>'.
std::string Element(const std::string& xml, const std::string& tag, size_t from = 0) {
    size_t at = xml.find("<" + tag, from);
    if (at == std::string::npos) return std::string();
    return xml.substr(at, xml.find('>', at) - at);
}

TEST_F(ShippedExe, ManifestNamesTheUninstallerAndCommonControls6) {
    std::vector<BYTE> data = Resource(MAKEINTRESOURCEA(24) /* RT_MANIFEST */, 1);
    ASSERT_FALSE(data.empty()) << "no manifest with id 1";
    std::string xml(data.begin(), data.end());

    std::string identity = Element(xml, "assemblyIdentity");
    ASSERT_FALSE(identity.empty()) << xml;
    EXPECT_EQ(Attribute(identity, "type"), "win32");
    EXPECT_EQ(Attribute(identity, "name"), "Quorvane.Software.PtvUnInst");
    EXPECT_EQ(Attribute(identity, "version"), "5.0.0.0");
    EXPECT_EQ(Attribute(identity, "processorArchitecture"), "x86");

    size_t dependency = xml.find("<dependentAssembly");
    ASSERT_NE(dependency, std::string::npos) << xml;
    std::string controls = Element(xml, "assemblyIdentity", dependency);
    EXPECT_EQ(Attribute(controls, "name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(Attribute(controls, "version"), "6.0.0.0");
    EXPECT_EQ(Attribute(controls, "publicKeyToken"), "6595b64144ccf1df");
    EXPECT_EQ(Attribute(controls, "type"), "win32");
}

TEST_F(ShippedExe, VersionResourceIdentifiesTheSetupProgram) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(ProductPath().c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(ProductPath().c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_NE(fixed->dwFileVersionMS, 0u) << "file version 0.0";

    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_GE(len, sizeof(Translation));
    auto value = [&](const char* name) -> std::string {
        char path[128];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                      translation->codePage, name);
        char* text = nullptr;
        UINT n = 0;
        if (!VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&text), &n) || !text) return "<none>";
        return text;
    };
    EXPECT_EQ(value("CompanyName"), "Quorvane Technology LLC");
    EXPECT_EQ(value("ProductName"), "Pictavo 6");
    EXPECT_EQ(value("FileDescription"), "Pictavo 6 Setup");
    EXPECT_EQ(value("OriginalFilename"), "setup.exe");

    // The version texts agree with the fixed numbers.
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu",
                  static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                  static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
                  static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
                  static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
    EXPECT_EQ(value("FileVersion"), numbers);
    std::snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu",
                  static_cast<unsigned long>(HIWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned long>(LOWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned long>(HIWORD(fixed->dwProductVersionLS)),
                  static_cast<unsigned long>(LOWORD(fixed->dwProductVersionLS)));
    EXPECT_EQ(value("ProductVersion"), numbers);
}

}  // namespace
