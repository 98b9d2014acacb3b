#include "bench/Robot.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace bench {

const char kDialogClass[] = "#32770";

const char* BoxIconName(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::None: return "no icon";
    case BoxIcon::Error: return "error icon";
    case BoxIcon::Question: return "question icon";
    case BoxIcon::Warning: return "warning icon";
    case BoxIcon::Information: return "information icon";
    case BoxIcon::Other: return "another icon";
    }
    return "?";
}

namespace {

std::string ClassOf(HWND w)
{
    char buf[256] = "";
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

template <class F>
void ForEachChild(HWND parent, F f)  // direct children, in Z order
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        f(c);
}

bool HasDescendantOfClass(HWND w, const char* cls)
{
    struct Ctx { const char* cls; bool found; } ctx{cls, false};
    struct Callback {
        static BOOL CALLBACK Visit(HWND c, LPARAM lp)
        {
            auto* x = reinterpret_cast<Ctx*>(lp);
            if (ClassOf(c) == x->cls) {
                x->found = true;
                return FALSE;
            }
            return TRUE;
        }
    };
    EnumChildWindows(w, Callback::Visit, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Visible and enabled for a person: the window and every parent up to the
// top-level window.
bool EnabledChain(HWND w)
{
    for (HWND p = w; p && p != GetDesktopWindow(); p = GetAncestor(p, GA_PARENT))
        if (!IsWindowEnabled(p))
            return false;
    return true;
}

}  // namespace

Robot::Robot(DWORD pid, DWORD threadId, DWORD timeoutMs)
    : pid_(pid), tid_(threadId), timeout_(timeoutMs ? timeoutMs : DefaultTimeout())
{
}

bool Robot::Mine(HWND w) const
{
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(w, &pid);
    return tid != 0 && pid == pid_ && (tid_ == 0 || tid == tid_);
}

std::string Robot::Describe(HWND w) const
{
    if (!w)
        return "(no window)";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%p", static_cast<void*>(w));
    std::string s = std::string("window ") + buf + " [" + ClassOf(w) + "]";
    if (IsWindow(w)) {
        int id = GetDlgCtrlID(w);
        if (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)
            s += " id " + std::to_string(id);
        char text[128] = "";
        GetWindowTextA(w, text, sizeof text);
        s += " \"" + std::string(text) + "\"";
    } else {
        s += " (destroyed)";
    }
    return s;
}

LRESULT Robot::Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) const
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, timeout_, &result)) {
        DWORD err = GetLastError();
        if (!IsWindow(w))
            throw Error("message " + std::to_string(msg) + " to a window that no longer exists");
        throw Error("no answer from " + Describe(w) + " to message " + std::to_string(msg) +
                    " within " + std::to_string(timeout_) + " ms (" + ErrorText(err) + ")");
    }
    return static_cast<LRESULT>(result);
}

// --- MessageBuffer ---------------------------------------------------------

MessageBuffer::MessageBuffer(DWORD pid, size_t size)
{
    if (pid == GetCurrentProcessId()) {
        local_.assign(size, '\0');
        remote_ = local_.data();
        return;
    }
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_)
        ThrowLastError("opening process " + std::to_string(pid) + " for a message buffer");
    remote_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote_) {
        DWORD err = GetLastError();
        CloseHandle(process_);
        throw Error("allocating a message buffer in process " + std::to_string(pid) + ": " + ErrorText(err));
    }
}

MessageBuffer::~MessageBuffer()
{
    if (process_) {
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
}

void MessageBuffer::Write(const void* data, size_t size, size_t offset)
{
    char* at = static_cast<char*>(remote_) + offset;
    if (!process_)
        std::memcpy(at, data, size);
    else if (!WriteProcessMemory(process_, at, data, size, nullptr))
        ThrowLastError("writing a message buffer");
}

void MessageBuffer::Read(void* out, size_t size, size_t offset) const
{
    const char* at = static_cast<const char*>(remote_) + offset;
    if (!process_)
        std::memcpy(out, at, size);
    else if (!ReadProcessMemory(process_, at, out, size, nullptr))
        ThrowLastError("reading a message buffer");
}

// --- Finding windows -------------------------------------------------------

std::vector<HWND> Robot::Windows(const std::string& className) const
{
    struct Ctx { const Robot* self; const std::string* cls; std::vector<HWND> out; } ctx{this, &className, {}};
    struct Callback {
        static BOOL CALLBACK Visit(HWND w, LPARAM lp)
        {
            auto* c = reinterpret_cast<Ctx*>(lp);
            if (IsWindowVisible(w) && c->self->Mine(w) && (c->cls->empty() || ClassOf(w) == *c->cls))
                c->out.push_back(w);
            return TRUE;
        }
    };
    EnumWindows(Callback::Visit, reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
}

HWND Robot::Find(const std::string& caption, const std::string& className) const
{
    for (HWND w : Windows(className))
        if (caption.empty() || Text(w) == caption)
            return w;
    return nullptr;
}

HWND Robot::WaitWindow(const std::string& caption, const std::string& className, DWORD timeoutMs) const
{
    HWND found = nullptr;
    Wait([&] { return (found = Find(caption, className)) != nullptr; },
         "a visible window \"" + caption + "\" of class " + (className.empty() ? "any" : className) +
             " in process " + std::to_string(pid_),
         timeoutMs);
    return found;
}

HWND Robot::WaitNewDialog(const std::vector<HWND>& except, DWORD timeoutMs) const
{
    HWND found = nullptr;
    Wait(
        [&] {
            for (HWND w : Windows(kDialogClass)) {
                bool known = false;
                for (HWND e : except)
                    known = known || e == w;
                if (!known) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        "a new dialog in process " + std::to_string(pid_), timeoutMs);
    return found;
}

HWND Robot::WaitMessageBox(const std::string& caption, DWORD timeoutMs) const
{
    HWND found = nullptr;
    Wait(
        [&] {
            for (HWND w : Windows(kDialogClass))
                if (HasControl(w, kMessageTextId) && (caption.empty() || Text(w) == caption)) {
                    found = w;
                    return true;
                }
            return false;
        },
        "a message box" + (caption.empty() ? std::string() : " \"" + caption + "\"") + " in process " +
            std::to_string(pid_),
        timeoutMs);
    return found;
}

void Robot::WaitClosed(HWND w, DWORD timeoutMs) const
{
    Wait([&] { return !IsWindow(w) || !IsWindowVisible(w); }, Describe(w) + " to close", timeoutMs);
}

void Robot::WaitNoWindows(DWORD timeoutMs) const
{
    Wait([&] { return Windows().empty(); }, "process " + std::to_string(pid_) + " to have no visible window",
         timeoutMs);
}

HWND Robot::Page(HWND parent) const
{
    std::vector<HWND> pages;
    ForEachChild(parent, [&](HWND c) {
        if (IsWindowVisible(c) && ClassOf(c) == kDialogClass)
            pages.push_back(c);
    });
    if (pages.size() != 1)
        throw Error(Describe(parent) + " shows " + std::to_string(pages.size()) + " child dialogs, not one");
    return pages[0];
}

HWND Robot::WaitPage(HWND parent, HWND except, DWORD timeoutMs) const
{
    HWND found = nullptr;
    Wait(
        [&] {
            found = nullptr;
            int n = 0;
            ForEachChild(parent, [&](HWND c) {
                if (c != except && IsWindowVisible(c) && ClassOf(c) == kDialogClass) {
                    found = c;
                    ++n;
                }
            });
            return n == 1;
        },
        "one new visible child dialog of " + Describe(parent), timeoutMs);
    return found;
}

// --- Reading ---------------------------------------------------------------

bool Robot::HasControl(HWND dlg, int id) const
{
    if (GetDlgItem(dlg, id))
        return true;
    bool found = false;
    ForEachChild(dlg, [&](HWND c) { found = found || (GetDlgCtrlID(c) & 0xFFFF) == (id & 0xFFFF); });
    return found;
}

HWND Robot::Control(HWND dlg, int id) const
{
    if (!IsWindow(dlg))
        throw Error("control " + std::to_string(id) + " of a window that no longer exists");
    if (HWND c = GetDlgItem(dlg, id))
        return c;
    // A template's 16-bit id 0xFFFF may be stored sign-extended.
    HWND found = nullptr;
    ForEachChild(dlg, [&](HWND c) {
        if (!found && (GetDlgCtrlID(c) & 0xFFFF) == (id & 0xFFFF))
            found = c;
    });
    if (!found)
        throw Error(Describe(dlg) + " has no control " + std::to_string(id));
    return found;
}

std::string Robot::Text(HWND w) const
{
    LRESULT len = Send(w, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buf(static_cast<size_t>(len) * 2 + 16, '\0');
    Send(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    buf.back() = '\0';
    return buf.data();
}

std::string Robot::ClassName(HWND w) const { return ClassOf(w); }

bool Robot::IsVisible(HWND dlg, int id) const { return IsWindowVisible(Control(dlg, id)) != FALSE; }

bool Robot::IsEnabled(HWND dlg, int id) const { return IsWindowEnabled(Control(dlg, id)) != FALSE; }

int Robot::CheckState(HWND dlg, int id) const { return static_cast<int>(Send(Control(dlg, id), BM_GETCHECK, 0, 0)); }

HWND Robot::Focus(HWND w) const
{
    DWORD tid = GetWindowThreadProcessId(w, nullptr);
    if (!tid)
        throw Error("focus of a window that no longer exists");
    GUITHREADINFO gi;
    std::memset(&gi, 0, sizeof gi);
    gi.cbSize = sizeof gi;
    if (!GetGUIThreadInfo(tid, &gi))
        ThrowLastError("GetGUIThreadInfo for " + Describe(w));
    return gi.hwndFocus;
}

int Robot::FocusId(HWND dlg) const
{
    HWND f = Focus(dlg);
    if (f && (f == dlg || IsChild(dlg, f)))
        return GetDlgCtrlID(f);
    return -1;
}

int Robot::DefaultId(HWND dlg) const
{
    LRESULT r = Send(dlg, DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : 0;
}

bool Robot::ShowsImage(HWND dlg, int id) const
{
    HWND c = Control(dlg, id);
    switch (GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) {
    case SS_BITMAP: return Send(c, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    case SS_ICON: return Send(c, STM_GETICON, 0, 0) != 0;
    case SS_ENHMETAFILE: return Send(c, STM_GETIMAGE, IMAGE_ENHMETAFILE, 0) != 0;
    default: return false;
    }
}

std::vector<std::string> Robot::ButtonTexts(HWND dlg) const
{
    std::vector<std::string> out;
    ForEachChild(dlg, [&](HWND c) {
        if (IsWindowVisible(c) && ClassOf(c) == "Button")
            out.push_back(Text(c));
    });
    return out;
}

BoxIcon Robot::MessageIcon(HWND box) const
{
    if (pid_ != GetCurrentProcessId())
        throw Error("MessageIcon works only in-process: icon handles are private to a process under Wine");
    HICON shown = nullptr;
    ForEachChild(box, [&](HWND c) {
        if (!shown && ClassOf(c) == "Static" && (GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(c))
            shown = reinterpret_cast<HICON>(Send(c, STM_GETICON, 0, 0));
    });
    if (!shown)
        return BoxIcon::None;
    // The system icons are shared: LoadIcon hands out the same handle that
    // the message box got from it.
    struct { LPCSTR id; BoxIcon icon; } const table[] = {
        {IDI_HAND, BoxIcon::Error},
        {IDI_QUESTION, BoxIcon::Question},
        {IDI_EXCLAMATION, BoxIcon::Warning},
        {IDI_ASTERISK, BoxIcon::Information},
    };
    for (const auto& t : table)
        if (LoadIconA(nullptr, t.id) == shown)
            return t.icon;
    return BoxIcon::Other;
}

// --- Waiting ---------------------------------------------------------------

void Robot::Wait(const std::function<bool()>& cond, const std::string& what, DWORD timeoutMs) const
{
    WaitUntil(cond, what, T(timeoutMs));
}

void Robot::WaitText(HWND dlg, int id, const std::string& text, DWORD timeoutMs) const
{
    std::string last;
    try {
        Wait([&] { return (last = Text(dlg, id)) == text; }, "", timeoutMs);
    } catch (const Error&) {
        throw Error("timed out waiting for control " + std::to_string(id) + " of " + Describe(dlg) +
                    " to read \"" + text + "\"; it reads \"" + last + "\"");
    }
}

void Robot::WaitCaption(HWND w, const std::string& text, DWORD timeoutMs) const
{
    std::string last;
    try {
        Wait([&] { return (last = Text(w)) == text; }, "", timeoutMs);
    } catch (const Error&) {
        throw Error("timed out waiting for " + Describe(w) + " to read \"" + text + "\"; it reads \"" + last + "\"");
    }
}

void Robot::WaitVisible(HWND dlg, int id, bool visible, DWORD timeoutMs) const
{
    Wait([&] { return IsVisible(dlg, id) == visible; },
         "control " + std::to_string(id) + " of " + Describe(dlg) + (visible ? " to show" : " to hide"), timeoutMs);
}

void Robot::WaitEnabled(HWND dlg, int id, bool enabled, DWORD timeoutMs) const
{
    Wait([&] { return IsEnabled(dlg, id) == enabled; },
         "control " + std::to_string(id) + " of " + Describe(dlg) + (enabled ? " to be enabled" : " to be disabled"),
         timeoutMs);
}

void Robot::WaitFocus(HWND dlg, int id, DWORD timeoutMs) const
{
    Wait([&] { return FocusId(dlg) == id; }, "control " + std::to_string(id) + " of " + Describe(dlg) + " to have the focus",
         timeoutMs);
}

void Robot::WaitCheck(HWND dlg, int id, int state, DWORD timeoutMs) const
{
    Wait([&] { return CheckState(dlg, id) == state; },
         "control " + std::to_string(id) + " of " + Describe(dlg) + " to have check state " + std::to_string(state),
         timeoutMs);
}

// --- Acting ----------------------------------------------------------------

HWND Robot::Usable(HWND dlg, int id, const char* action) const
{
    HWND c = Control(dlg, id);
    if (!IsWindowVisible(c))
        throw Error(std::string("cannot ") + action + " " + Describe(c) + ": it is not visible");
    if (!EnabledChain(c))
        throw Error(std::string("cannot ") + action + " " + Describe(c) + ": it or its window is disabled");
    return c;
}

void Robot::Click(HWND dlg, int id) const
{
    HWND b = Usable(dlg, id, "click");
    if (!PostMessageA(b, BM_CLICK, 0, 0))
        ThrowLastError("posting a click to " + Describe(b));
}

void Robot::ClickAndWaitClosed(HWND dlg, int id, DWORD timeoutMs) const
{
    Click(dlg, id);
    WaitClosed(dlg, timeoutMs);
}

void Robot::PostKey(HWND dlg, UINT vk) const
{
    if (!IsWindow(dlg) || !IsWindowVisible(dlg))
        throw Error("cannot press a key on " + Describe(dlg) + ": it is not shown");
    if (!IsWindowEnabled(dlg))
        throw Error("cannot press a key on " + Describe(dlg) + ": it is disabled (a modal window is above it)");
    HWND f = Focus(dlg);
    HWND target = (f && (f == dlg || IsChild(dlg, f))) ? f : dlg;
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (LPARAM(1) << 30) | (LPARAM(1) << 31);
    if (!PostMessageA(target, WM_KEYDOWN, vk, down))
        ThrowLastError("posting a key to " + Describe(target));
    // The key down may already have closed the dialog (Enter, Escape): then
    // the key up has no window to go to, and nothing needs it.
    PostMessageA(target, WM_KEYUP, vk, up);
}

void Robot::PressEnter(HWND dlg) const { PostKey(dlg, VK_RETURN); }
void Robot::PressEscape(HWND dlg) const { PostKey(dlg, VK_ESCAPE); }
void Robot::PressKey(HWND dlg, UINT vk) const { PostKey(dlg, vk); }

void Robot::Type(HWND dlg, int id, const std::string& text) const
{
    HWND e = Usable(dlg, id, "type into");
    Send(e, EM_SETSEL, 0, -1);
    for (unsigned char ch : text)
        Send(e, WM_CHAR, ch, 1);
}

// --- Folder browser --------------------------------------------------------

HWND Robot::Tree(HWND browser) const
{
    struct Ctx { HWND found; } ctx{nullptr};
    struct Callback {
        static BOOL CALLBACK Visit(HWND c, LPARAM lp)
        {
            if (ClassOf(c) == "SysTreeView32") {
                reinterpret_cast<Ctx*>(lp)->found = c;
                return FALSE;
            }
            return TRUE;
        }
    };
    EnumChildWindows(browser, Callback::Visit, reinterpret_cast<LPARAM>(&ctx));
    if (!ctx.found)
        throw Error(Describe(browser) + " has no folder tree");
    return ctx.found;
}

HWND Robot::WaitFolderBrowser(DWORD timeoutMs) const
{
    HWND found = nullptr;
    Wait(
        [&] {
            for (HWND w : Windows(kDialogClass))
                if (HasDescendantOfClass(w, "SysTreeView32") && Send(Tree(w), TVM_GETCOUNT, 0, 0) > 0) {
                    found = w;
                    return true;
                }
            return false;
        },
        "the folder browser in process " + std::to_string(pid_), timeoutMs);
    return found;
}

namespace {

std::string ItemText(const Robot& r, DWORD pid, HWND tree, LRESULT item)
{
    const size_t textSize = 520;
    MessageBuffer buf(pid, sizeof(TVITEMA) + textSize);
    TVITEMA tvi;
    std::memset(&tvi, 0, sizeof tvi);
    tvi.mask = TVIF_TEXT;
    tvi.hItem = reinterpret_cast<HTREEITEM>(item);
    tvi.pszText = static_cast<char*>(buf.Address()) + sizeof(TVITEMA);
    tvi.cchTextMax = static_cast<int>(textSize);
    char zero = '\0';
    buf.Write(&tvi, sizeof tvi);
    buf.Write(&zero, 1, sizeof tvi);
    DWORD_PTR ok = 0;
    if (!SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(buf.Address()), SMTO_NORMAL,
                             r.Timeout(), &ok) || !ok)
        return std::string();
    std::vector<char> text(textSize + 1, '\0');
    buf.Read(text.data(), textSize, sizeof tvi);
    return text.data();
}

}  // namespace

std::string Robot::BrowserSelection(HWND browser) const
{
    HWND tree = Tree(browser);
    LRESULT item = Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    return item ? ItemText(*this, pid_, tree, item) : std::string();
}

std::string Robot::BrowserSiblings(HWND browser) const
{
    HWND tree = Tree(browser);
    LRESULT item = Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!item)
        return "(nothing selected)";
    LRESULT parent = Send(tree, TVM_GETNEXTITEM, TVGN_PARENT, item);
    std::string out = "in \"" + (parent ? ItemText(*this, pid_, tree, parent) : std::string()) + "\":";
    for (LRESULT c = Send(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, parent); c;
         c = Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, c))
        out += " \"" + ItemText(*this, pid_, tree, c) + "\"";
    return out;
}

namespace {

std::string DisplayName(const std::string& path)
{
    SHFILEINFOA info;
    std::memset(&info, 0, sizeof info);
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME))
        throw Error("no display name for \"" + path + "\"");
    return info.szDisplayName;
}

// "C:\a\b" -> "C:\", "C:\a", "C:\a\b".
std::vector<std::string> PathChain(const std::string& path)
{
    std::vector<std::string> chain;
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    for (size_t pos = p.find('\\'); pos != std::string::npos; pos = p.find('\\', pos + 1))
        chain.push_back(p.substr(0, pos == 2 ? 3 : pos));
    chain.push_back(p);
    if (chain.size() >= 2 && chain[chain.size() - 1] == chain[chain.size() - 2])
        chain.pop_back();
    return chain;
}

}  // namespace

bool Robot::TrySelect(HWND browser, const std::string& path, const std::string& name) const
{
    MessageBuffer buf(pid_, path.size() + 1);
    buf.Write(path.c_str(), path.size() + 1);
    Send(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(buf.Address()));
    return BrowserSelection(browser) == name;
}

void Robot::BrowseTo(HWND browser, const std::string& path) const
{
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY))
        throw Error("cannot select \"" + path + "\" in the folder browser: no such folder");
    const std::vector<std::string> chain = PathChain(path);
    std::vector<std::string> names;
    for (const std::string& p : chain)
        names.push_back(DisplayName(p));
    HWND tree = Tree(browser);

    auto attempt = [&]() -> bool {
        // Wine's browser looks for the path from the first visible item of
        // its tree down: scroll the tree to its top first, as a person could.
        if (LRESULT root = Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
            Send(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, root);
        if (TrySelect(browser, path, names.back()))
            return true;
        // Wine's browser now and then fails to find a folder that its tree
        // lists (its own item ids for it no longer match). Select the
        // deepest folder of the path that it does find, then go down the
        // tree by name, as a person clicking through it would.
        size_t i = chain.size() - 1;
        while (i-- > 0)
            if (TrySelect(browser, chain[i], names[i]))
                break;
        if (i == static_cast<size_t>(-1))
            return false;
        for (size_t j = i + 1; j < chain.size(); ++j) {
            LRESULT item = Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
            Send(tree, TVM_EXPAND, TVE_EXPAND, item);
            LRESULT child = Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, item);
            while (child && ItemText(*this, pid_, tree, child) != names[j])
                child = Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, child);
            if (!child)
                return false;
            Send(tree, TVM_SELECTITEM, TVGN_CARET, child);
        }
        return BrowserSelection(browser) == names.back();
    };
    // The browser may also still be filling its tree: try again until the
    // deadline.
    if (!PollUntil(attempt, timeout_))
        throw Error("the folder browser did not select \"" + path + "\"; it shows \"" + BrowserSelection(browser) +
                    "\" " + BrowserSiblings(browser));
}

void Robot::BrowseSelect(HWND browser, const std::string& path) const
{
    BrowseTo(browser, path);
    ClickAndWaitClosed(browser, IDOK);
}

void Robot::BrowseCancel(HWND browser) const { ClickAndWaitClosed(browser, IDCANCEL); }

// --- Closing ---------------------------------------------------------------

int Robot::CloseRound() const
{
    std::vector<HWND> all = Windows();
    std::vector<HWND> enabled;
    for (HWND w : all)
        if (IsWindowEnabled(w))
            enabled.push_back(w);
    const std::vector<HWND>& targets = enabled.empty() ? all : enabled;
    for (HWND w : targets) {
        if (ClassOf(w) != kDialogClass) {
            PostMessageA(w, WM_CLOSE, 0, 0);
            continue;
        }
        HWND button = GetDlgItem(w, IDCANCEL);
        if (!button || !IsWindowEnabled(button)) {
            button = nullptr;
            ForEachChild(w, [&](HWND c) {
                if (!button && ClassOf(c) == "Button" && IsWindowVisible(c) && IsWindowEnabled(c))
                    button = c;
            });
        }
        int id = button ? GetDlgCtrlID(button) : IDCANCEL;
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
    return static_cast<int>(targets.size());
}

// --- WithRobot -------------------------------------------------------------

namespace {

struct RobotRun {
    const std::function<void(Robot&)>* script;
    Robot robot;
    bool failedBefore;
    std::atomic<bool> uiDone{false};
};

DWORD WINAPI RunScript(void* param)
{
    auto* run = static_cast<RobotRun*>(param);
    bool failed = false;
    try {
        (*run->script)(run->robot);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "robot: " << e.what();
        failed = true;
    } catch (...) {
        ADD_FAILURE() << "robot: unknown exception";
        failed = true;
    }
    if (!run->failedBefore && ::testing::Test::HasFailure())
        failed = true;
    const DWORD t = run->robot.Timeout();
    if (!failed && !PollUntil([&] { return run->uiDone.load(); }, t)) {
        ADD_FAILURE() << "robot: the UI was still open " << t << " ms after the script had ended; closing it";
        failed = true;
    }
    if (failed) {
        const ULONGLONG end = GetTickCount64() + 4ull * t;
        while (!run->uiDone.load()) {
            if (GetTickCount64() > end) {
                std::fprintf(stderr, "robot: the UI could not be closed within %lu ms; ending the test program\n",
                             static_cast<unsigned long>(4 * t));
                std::fflush(stderr);
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 3);
            }
            run->robot.CloseRound();
            PollUntil([&] { return run->uiDone.load(); }, 100);
        }
    }
    return 0;
}

}  // namespace

void WithRobot(const std::function<void(Robot&)>& script, const std::function<void()>& uiCall, DWORD timeoutMs)
{
    RobotRun run{&script, Robot(GetCurrentProcessId(), GetCurrentThreadId(), timeoutMs),
                 ::testing::Test::HasFailure()};
    HANDLE thread = CreateThread(nullptr, 0, RunScript, &run, 0, nullptr);
    if (!thread)
        ThrowLastError("starting the robot thread");
    struct Joiner {
        HANDLE thread;
        RobotRun* run;
        ~Joiner()
        {
            run->uiDone = true;
            // Keep this thread's messages flowing while the script ends: it
            // may still be talking to a window of this thread.
            for (;;) {
                DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
                if (r != WAIT_OBJECT_0 + 1)
                    break;
                MSG m;
                while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&m);
                    DispatchMessageA(&m);
                }
            }
            CloseHandle(thread);
        }
    } joiner{thread, &run};
    uiCall();
}

}  // namespace bench
