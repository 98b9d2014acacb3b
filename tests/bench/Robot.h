// The UI robot: drives the real windows of a process as a person would.
//
// It finds the visible top-level windows of one process, reads what a
// person sees on them (captions, texts, check marks, which control is
// enabled, visible or focused, which icon a message box shows) and acts on
// them with the messages that a click or a key press produces. The program
// under test has no hooks for it; it calls DialogBox, MessageBoxA and the
// folder browser exactly as in a real run.
//
// Two ways to use it:
//  - cross-process: start the program under test as a child (bench::Process)
//    and drive it from the test's own thread with Robot(child.Pid()).
//  - in-process: the test calls the modal UI (DoModal, AfxMessageBox,
//    MessageBoxA) on its main thread; bench::WithRobot runs the script on a
//    second thread with a Robot of the current process.
//
// Every action is posted to the target's message queue (a click does not
// wait for the handler, so a handler that opens a modal box does not block
// the robot), and the target's own message loop, with its dialog manager,
// handles it. Afterwards, wait for what a person would see change: a new
// window (WaitWindow), a closed one (WaitClosed), a new text (WaitText).
//
// Failures throw bench::Error (see bench/Wait.h): a wait whose deadline
// passed, a window or control that is not there, a click on a hidden or
// disabled button (a person could not click it either).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "bench/Wait.h"

namespace bench {

// Window class of dialogs, message boxes and the folder browser.
extern const char kDialogClass[];  // "#32770"

// The id of the static that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

// Memory for a message whose parameter points to data that the system does
// not carry over to another process (BFFM_SETSELECTIONA, TVM_GETITEMA): in
// this process, or allocated in the target process and copied there and
// back. The target must have this program's bitness.
class MessageBuffer {
public:
    MessageBuffer(DWORD pid, size_t size);
    ~MessageBuffer();
    MessageBuffer(const MessageBuffer&) = delete;
    MessageBuffer& operator=(const MessageBuffer&) = delete;

    // The buffer's address as the target process sees it.
    void* Address() const { return remote_; }
    void Write(const void* data, size_t size, size_t offset = 0);
    void Read(void* out, size_t size, size_t offset = 0) const;

private:
    HANDLE process_ = nullptr;  // null: this process
    void* remote_ = nullptr;
    std::vector<char> local_;
};

// Which standard icon a message box shows.
enum class BoxIcon { None, Error, Question, Warning, Information, Other };
const char* BoxIconName(BoxIcon icon);

class Robot {
public:
    // A robot for the windows of process pid; with a thread id, only the
    // windows of that thread. timeoutMs is the deadline of every wait that
    // is not given one (0: DefaultTimeout()).
    explicit Robot(DWORD pid = GetCurrentProcessId(), DWORD threadId = 0, DWORD timeoutMs = 0);

    DWORD Pid() const { return pid_; }
    DWORD Timeout() const { return timeout_; }

    // --- Finding windows -------------------------------------------------

    // The visible top-level windows of the process, in Z order. className
    // empty: any class.
    std::vector<HWND> Windows(const std::string& className = std::string()) const;

    // The first visible top-level window whose caption equals caption
    // (empty: any caption) and whose class equals className (empty: any);
    // nullptr when there is none.
    HWND Find(const std::string& caption, const std::string& className = kDialogClass) const;

    // Find with a deadline; throws when no such window appeared in time.
    HWND WaitWindow(const std::string& caption, const std::string& className = kDialogClass,
                    DWORD timeoutMs = 0) const;

    // Waits for a visible dialog other than the ones in `except` (windows
    // already known before an action), with any caption. Returns it.
    HWND WaitNewDialog(const std::vector<HWND>& except, DWORD timeoutMs = 0) const;

    // Waits for a message box: a visible dialog with a text static (id
    // 0xFFFF). caption empty: any caption.
    HWND WaitMessageBox(const std::string& caption = std::string(), DWORD timeoutMs = 0) const;

    // Waits until w is destroyed or hidden.
    void WaitClosed(HWND w, DWORD timeoutMs = 0) const;

    // Waits until the process has no visible top-level window any more.
    void WaitNoWindows(DWORD timeoutMs = 0) const;

    // The visible child dialog of parent (a wizard page); throws when there
    // is none or more than one.
    HWND Page(HWND parent) const;
    // Page with a deadline, for a page that is about to be created;
    // `except` lists pages already known (the page being left).
    HWND WaitPage(HWND parent, HWND except = nullptr, DWORD timeoutMs = 0) const;

    // --- Reading ---------------------------------------------------------

    // The direct child of dlg with this id (GetDlgItem); throws when
    // there is none.
    HWND Control(HWND dlg, int id) const;
    bool HasControl(HWND dlg, int id) const;

    // The text of a window (WM_GETTEXT, which also reaches other
    // processes and edit controls).
    std::string Text(HWND w) const;
    std::string Text(HWND dlg, int id) const { return Text(Control(dlg, id)); }
    std::string ClassName(HWND w) const;

    // Visible means visible on the screen: the control and all its parents.
    bool IsVisible(HWND dlg, int id) const;
    bool IsEnabled(HWND dlg, int id) const;
    // BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int CheckState(HWND dlg, int id) const;
    // The window with the keyboard focus in w's thread (GetGUIThreadInfo),
    // or nullptr.
    HWND Focus(HWND w) const;
    // The id of the focused control if it is dlg itself or lies inside dlg
    // (its control id in its own parent), else -1.
    int FocusId(HWND dlg) const;
    // The default push button's id (DM_GETDEFID), or 0.
    int DefaultId(HWND dlg) const;
    // Whether a static control shows a bitmap or an icon.
    bool ShowsImage(HWND dlg, int id) const;

    // Message boxes: the text, the captions of the visible buttons in
    // child order, and the icon.
    std::string MessageText(HWND box) const { return Text(box, kMessageTextId); }
    std::vector<std::string> ButtonTexts(HWND dlg) const;
    // Which standard icon the box shows: its icon static's HICON compared
    // with LoadIcon(NULL, IDI_...) of this process. Icon handles are
    // private to a process under Wine, so this works only in-process; for a
    // box of another process it throws.
    BoxIcon MessageIcon(HWND box) const;

    // --- Waiting for what a person sees change ---------------------------

    void WaitText(HWND dlg, int id, const std::string& text, DWORD timeoutMs = 0) const;
    void WaitCaption(HWND w, const std::string& text, DWORD timeoutMs = 0) const;
    void WaitVisible(HWND dlg, int id, bool visible, DWORD timeoutMs = 0) const;
    void WaitEnabled(HWND dlg, int id, bool enabled, DWORD timeoutMs = 0) const;
    void WaitFocus(HWND dlg, int id, DWORD timeoutMs = 0) const;
    void WaitCheck(HWND dlg, int id, int state, DWORD timeoutMs = 0) const;
    // WaitUntil (bench/Wait.h) with this robot's deadline.
    void Wait(const std::function<bool()>& cond, const std::string& what, DWORD timeoutMs = 0) const;

    // --- Acting ----------------------------------------------------------

    // Clicks a button (BM_CLICK, posted): the button takes the focus, an
    // automatic check box or radio button changes its state, the parent
    // gets BN_CLICKED. Throws when the button is hidden or disabled.
    void Click(HWND dlg, int id) const;
    // Click, then wait until dlg is closed.
    void ClickAndWaitClosed(HWND dlg, int id, DWORD timeoutMs = 0) const;

    // Presses Enter or Escape with dlg active: the key goes, posted, to
    // the focused control when it lies inside dlg, else to dlg, so that
    // the dialog manager in the target's message loop turns Enter into the
    // default (or focused) push button's command and Escape into IDCANCEL.
    void PressEnter(HWND dlg) const;
    void PressEscape(HWND dlg) const;
    // Presses any virtual key the same way (key down, key up).
    void PressKey(HWND dlg, UINT vk) const;

    // Types text into an edit control as a person would after selecting
    // its whole content: each character arrives as WM_CHAR. Throws when
    // the control is hidden or disabled. A read-only edit ignores it, as it
    // ignores a person's typing.
    void Type(HWND dlg, int id, const std::string& text) const;

    // --- The shell's folder browser (SHBrowseForFolder) -------------------

    // Waits for a browser window of the process (a dialog with a folder
    // tree) whose tree has been filled.
    HWND WaitFolderBrowser(DWORD timeoutMs = 0) const;
    // The display name of the folder selected in the browser's tree (for a
    // folder, its name), or "" when nothing is selected.
    std::string BrowserSelection(HWND browser) const;
    // The selected folder's parent and its children as the tree shows
    // them, for failure messages.
    std::string BrowserSiblings(HWND browser) const;
    // Selects path in the browser (BFFM_SETSELECTIONA, the path written
    // into the target process when it is another one) and waits until the
    // tree shows it selected. The path must be an existing folder. Where
    // Wine's browser does not find a folder that its tree lists, the robot
    // goes down the tree by name from the deepest folder it does find, as a
    // person clicking through the tree would (see README.md).
    void BrowseTo(HWND browser, const std::string& path) const;
    // BrowseTo, then clicks OK and waits until the browser is closed.
    void BrowseSelect(HWND browser, const std::string& path) const;
    // Clicks Cancel and waits until the browser is closed.
    void BrowseCancel(HWND browser) const;

    // --- Ending a UI that a failed test left open -------------------------

    // One round of closing: every visible dialog gets the command of its
    // Cancel button, or, when it has none, of its first enabled button;
    // other windows get WM_CLOSE. Returns the number of windows acted on.
    int CloseRound() const;

private:
    DWORD T(DWORD timeoutMs) const { return timeoutMs ? timeoutMs : timeout_; }
    bool Mine(HWND w) const;
    HWND Usable(HWND dlg, int id, const char* action) const;
    std::string Describe(HWND w) const;
    void PostKey(HWND dlg, UINT vk) const;
    LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) const;
    HWND Tree(HWND browser) const;
    bool TrySelect(HWND browser, const std::string& path, const std::string& name) const;

    DWORD pid_;
    DWORD tid_;
    DWORD timeout_;
};

// Runs script(robot) on a second thread, with a robot of this process,
// while uiCall() runs on the calling thread (typically a DoModal,
// MessageBoxA or a function of the program that shows them), and returns
// when both have ended.
//  - An exception from the script (bench::Error from a robot wait or
//    action) is reported as a test failure, and so is a GoogleTest
//    assertion inside the script.
//  - When the script fails, the UI is ended at once: the robot closes the
//    windows (CloseRound, repeated) until uiCall returns.
//  - When the script ends but uiCall does not return within the robot's
//    deadline, that is a failure too, and the UI is closed the same way.
//  - If the UI cannot be closed at all, the test program is ended with exit
//    code 3 after the message was printed, so that a failing test never
//    hangs.
// While waiting for the script after uiCall has returned, the calling
// thread keeps dispatching its messages.
void WithRobot(const std::function<void(Robot&)>& script, const std::function<void()>& uiCall,
               DWORD timeoutMs = 0);

}  // namespace bench
