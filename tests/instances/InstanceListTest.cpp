// The product's list of running copies: COXInstanceManager against the
// shared memory read by its fixed layout (fixture::ListView), against real
// windows of this process, and against product stand-ins in other
// processes. Every test uses a list name of its own, so the product's real
// list is never touched here.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Wait.h"
#include "fixtures/ProductFixture.h"
#include "instances/InstanceManager.h"

using fixture::ListView;
using fixture::ProductOptions;
using fixture::RunningProduct;

namespace {

// The message numbers are part of the interface with the product.
const UINT kAdded = 1946;
const UINT kRemoved = 1947;

const DWORD kSelf = GetCurrentProcessId();

std::string UniqueListName()
{
    static int n = 0;
    return "StartupTests.List." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++n) + "." +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

DWORD Granularity()
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return si.dwAllocationGranularity;
}

DWORD RoundUp(DWORD n, DWORD g) { return (n + g - 1) / g * g; }

// The size of the whole shared memory of a list, as the system reports the
// region of a view of all of it.
SIZE_T MappingSize(const std::string& listName)
{
    HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, fixture::FileMapName(listName).c_str());
    if (!h)
        return 0;
    void* p = MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0);
    MEMORY_BASIC_INFORMATION mbi = {};
    if (p)
        VirtualQuery(p, &mbi, sizeof mbi);
    if (p)
        UnmapViewOfFile(p);
    CloseHandle(h);
    return mbi.RegionSize;
}

bool MutexExists(const std::string& name)
{
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (h)
        CloseHandle(h);
    return h != nullptr;
}

// Shared memory made by someone else before the program joins.
class ForeignMapping {
public:
    ForeignMapping(const std::string& listName, DWORD size)
    {
        handle_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0, size,
                                     fixture::FileMapName(listName).c_str());
        if (!handle_)
            bench::ThrowLastError("creating the shared memory");
    }
    ~ForeignMapping() { CloseHandle(handle_); }
    void Write(const std::vector<DWORD>& words)
    {
        DWORD* p = static_cast<DWORD*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, words.size() * 4));
        if (!p)
            bench::ThrowLastError("mapping the shared memory");
        std::copy(words.begin(), words.end(), p);
        UnmapViewOfFile(p);
    }

private:
    HANDLE handle_;
};

// A top-level window of this thread, for the rules of FindInstanceWindow
// and to receive the notices that the list posts.
class TestWindow {
public:
    TestWindow(const std::string& title, DWORD exStyle = 0, HWND owner = nullptr, bool visible = true)
    {
        static ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "InstanceListTestWindow";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        hwnd_ = CreateWindowExA(exStyle, "InstanceListTestWindow", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                100, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!hwnd_)
            bench::ThrowLastError("creating a test window");
        if (visible)
            ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    }
    ~TestWindow() { DestroyWindow(hwnd_); }
    HWND Get() const { return hwnd_; }

    // The list's notices posted to this window so far: (message, wParam,
    // lParam), in order.
    std::vector<std::vector<UINT_PTR>> TakeNotices()
    {
        std::vector<std::vector<UINT_PTR>> out;
        MSG msg;
        while (PeekMessageA(&msg, hwnd_, kAdded, kRemoved, PM_REMOVE))
            out.push_back({msg.message, msg.wParam, static_cast<UINT_PTR>(msg.lParam)});
        return out;
    }

private:
    HWND hwnd_ = nullptr;
};

// Notices posted to a null window land in the thread's own queue; they
// must not linger into the next check.
void DrainThreadQueue()
{
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
    }
}

using Ids = std::vector<DWORD>;

}  // namespace

TEST(InstanceList, FirstProcessCreatesTheSharedMemoryAndEntersItself)
{
    const std::string name = UniqueListName();
    ASSERT_FALSE(ListView::Exists(name));
    COXInstanceManager list(name.c_str(), 1024);

    ListView view(name);
    ASSERT_TRUE(view.IsOpen()) << "the shared memory or the list mutex is missing under its fixed name";
    EXPECT_EQ(view.Header(), 1u);
    EXPECT_EQ(view.Count(), 1u);
    EXPECT_EQ(view.Ids(), Ids{kSelf});
    for (size_t i = 1; i < 1000; ++i)
        ASSERT_EQ(view.Word(2 + i), 0u) << "entry " << i;
    EXPECT_TRUE(MutexExists(fixture::ListMutexName(name)));
    EXPECT_TRUE(MutexExists(fixture::AdditionalMutexName(name)));
    // 4008 bytes of list and 1024 of the additional area, each rounded up
    // to the allocation granularity: 128 KiB with the usual 64 KiB.
    const DWORD g = Granularity();
    EXPECT_EQ(MappingSize(name), RoundUp(4008, g) + RoundUp(1024, g));
    EXPECT_EQ(list.CountInstances(), 1u);
}

TEST(InstanceList, EachAreaIsRoundedUpOnItsOwn)
{
    const std::string name = UniqueListName();
    COXInstanceManager list(name.c_str(), 70000);
    const DWORD g = Granularity();
    // With 64 KiB: 64 KiB + 128 KiB, where rounding the sum would give
    // 128 KiB.
    EXPECT_EQ(MappingSize(name), RoundUp(4008, g) + RoundUp(70000, g));
}

TEST(InstanceList, AnExistingListIsJoinedWithoutReset)
{
    const std::string name = UniqueListName();
    ForeignMapping mapping(name, 2 * Granularity());
    mapping.Write({7, 2, 11, 22});

    COXInstanceManager list(name.c_str(), 1024);
    ListView view(name);
    EXPECT_EQ(view.Header(), 7u) << "the header word is left as the list's creator wrote it";
    EXPECT_EQ(view.Ids(), (Ids{11, 22, kSelf}));
    EXPECT_EQ(list.CountInstances(), 3u);
    CDWordArray ids;
    ASSERT_TRUE(list.CopyInstanceIds(ids));
    ASSERT_EQ(ids.GetSize(), 3);
    EXPECT_EQ(ids[0], 11u);
    EXPECT_EQ(ids[1], 22u);
    EXPECT_EQ(ids[2], kSelf);
    DrainThreadQueue();
}

TEST(InstanceList, RemovalKeepsTheOrderOfTheOthers)
{
    const std::string name = UniqueListName();
    COXInstanceManager list(name.c_str(), 1024);
    ListView view(name);
    ASSERT_TRUE(list.AddInstanceId(100));
    ASSERT_TRUE(list.AddInstanceId(200));
    ASSERT_EQ(view.Ids(), (Ids{kSelf, 100, 200}));

    EXPECT_TRUE(list.RemoveInstanceId(100));
    EXPECT_EQ(view.Ids(), (Ids{kSelf, 200}));
    EXPECT_EQ(view.Count(), 2u);
    EXPECT_EQ(view.Word(2 + 2), 0u) << "the position that fell free is cleared";

    EXPECT_FALSE(list.RemoveInstanceId(100)) << "an id that is not listed";
    EXPECT_EQ(view.Ids(), (Ids{kSelf, 200}));

    // An id is entered again even if it is listed; removal takes the first.
    ASSERT_TRUE(list.AddInstanceId(200));
    ASSERT_TRUE(list.AddInstanceId(300));
    EXPECT_TRUE(list.RemoveInstanceId(200));
    EXPECT_EQ(view.Ids(), (Ids{kSelf, 200, 300}));
    DrainThreadQueue();
}

TEST(InstanceList, NoticesReachTheInstanceWindowWithTheId)
{
    const std::string name = UniqueListName();
    TestWindow window("Pictavo - notices");
    COXInstanceManager list(name.c_str(), 1024);
    EXPECT_TRUE(window.TakeNotices().empty()) << "the entering process is not told about itself";

    ASSERT_TRUE(list.AddInstanceId(4242));
    EXPECT_EQ(window.TakeNotices(), (std::vector<std::vector<UINT_PTR>>{{kAdded, 0, 4242}}));

    EXPECT_FALSE(list.RemoveInstanceId(777));
    EXPECT_TRUE(window.TakeNotices().empty()) << "nothing is posted for an id that is not listed";

    ASSERT_TRUE(list.RemoveInstanceId(4242));
    EXPECT_EQ(window.TakeNotices(), (std::vector<std::vector<UINT_PTR>>{{kRemoved, 0, 4242}}));
}

TEST(InstanceList, AFullListRefusesOneMoreAndPostsNothing)
{
    const std::string name = UniqueListName();
    TestWindow window("Pictavo - full list");
    COXInstanceManager list(name.c_str(), 1024);
    ListView view(name);
    // 999 entries: this process first, then ids without windows.
    view.Edit([](DWORD* w) {
        w[1] = 999;
        for (DWORD i = 1; i < 999; ++i)
            w[2 + i] = 100000 + i;
    });
    ASSERT_TRUE(list.AddInstanceId(5000)) << "the thousandth entry still fits";
    EXPECT_EQ(view.Count(), 1000u);
    EXPECT_EQ(view.Word(2 + 999), 5000u);
    EXPECT_EQ(window.TakeNotices().size(), 1u);

    EXPECT_FALSE(list.AddInstanceId(6000));
    EXPECT_EQ(view.Count(), 1000u);
    EXPECT_EQ(view.Word(2 + 1000), 0u) << "nothing is written after the last entry";
    EXPECT_TRUE(window.TakeNotices().empty());
    DrainThreadQueue();
}

// The count is another process's data: whatever it says, no operation goes
// beyond the 1000 entries of the list.
TEST(InstanceList, ACorruptCountNeverReachesBeyondTheEntries)
{
    for (DWORD corrupt : {1001u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE("count " + std::to_string(corrupt));
        const std::string name = UniqueListName();
        COXInstanceManager list(name.c_str(), 1024);
        ListView view(name);
        const DWORD marker = 0xABCD1234;
        view.Edit([&](DWORD* w) {
            w[1] = corrupt;
            for (DWORD i = 1; i < 1000; ++i)
                w[2 + i] = 200000 + i;
            w[2 + 1000] = marker;   // just after the entries, inside the rounded area
        });

        EXPECT_EQ(list.CountInstances(), 1000u);
        CDWordArray ids;
        ASSERT_TRUE(list.CopyInstanceIds(ids));
        ASSERT_EQ(ids.GetSize(), 1000);
        EXPECT_EQ(ids[999], 200999u);
        EXPECT_FALSE(list.AddInstanceId(1));
        EXPECT_FALSE(list.RemoveInstanceId(marker)) << "an id beyond the entries is not an entry";
        EXPECT_EQ(view.Word(2 + 1000), marker);
        EXPECT_TRUE(list.RemoveInstanceId(200999));
        EXPECT_EQ(view.Count(), 999u);
        EXPECT_EQ(view.Word(2 + 999), 0u);
        EXPECT_EQ(view.Word(2 + 1000), marker);
        DrainThreadQueue();
    }
}

TEST(InstanceList, AListThatCannotBeMappedFailsEveryOperation)
{
    const std::string name = UniqueListName();
    // Shared memory under the list's name, but too small for a view of the
    // list area.
    ForeignMapping mapping(name, 4096);
    COXInstanceManager list(name.c_str(), 1024);

    EXPECT_EQ(list.CountInstances(), 0u);
    CDWordArray ids;
    ids.Add(77);
    EXPECT_FALSE(list.CopyInstanceIds(ids));
    ASSERT_EQ(ids.GetSize(), 1) << "the array is left untouched";
    EXPECT_EQ(ids[0], 77u);
    EXPECT_FALSE(list.AddInstanceId(1));
    EXPECT_FALSE(list.RemoveInstanceId(kSelf));
    EXPECT_FALSE(list.ResetInstanceList());
}

TEST(InstanceList, WithoutItsListMutexTheObjectTakesNoPart)
{
    const std::string name = UniqueListName();
    // Another kind of object holds the mutex's name, so it can be neither
    // created nor opened.
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, fixture::ListMutexName(name).c_str());
    ASSERT_NE(squatter, nullptr);
    {
        COXInstanceManager list(name.c_str(), 1024);
        EXPECT_FALSE(ListView::Exists(name));
        EXPECT_EQ(list.CountInstances(), 0u);
        EXPECT_FALSE(list.AddInstanceId(1));
    }
    CloseHandle(squatter);
}

TEST(InstanceList, FindInstanceWindowRules)
{
    struct Case {
        const char* what;
        std::string title;
        DWORD exStyle;
        bool owned;
        bool visible;
        bool found;
    };
    const Case cases[] = {
        {"the product word alone", "Pictavo", 0, false, true, true},
        {"a document title", "Pictavo 6 - holiday.jpg", 0, false, true, true},
        {"a hidden window", "Pictavo 6", 0, false, false, true},
        {"a title longer than the buffer", "Pictavo" + std::string(600, 'x'), 0, false, true, true},
        {"lower case", "pictavo 6", 0, false, true, false},
        {"upper case", "PICTAVO 6", 0, false, true, false},
        {"a leading blank", " Pictavo 6", 0, false, true, false},
        {"a shorter word", "Pictav", 0, false, true, false},
        {"no title", "", 0, false, true, false},
        {"a tool window", "Pictavo 6", WS_EX_TOOLWINDOW, false, true, false},
        {"an owned window", "Pictavo 6", 0, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TestWindow> owner;
        if (c.owned)
            owner = std::make_unique<TestWindow>("Owner");
        TestWindow w(c.title, c.exStyle, owner ? owner->Get() : nullptr, c.visible);
        EXPECT_EQ(COXInstanceManager::FindInstanceWindow(kSelf), c.found ? w.Get() : nullptr);
    }

    // A window that is not one does not hide one that is.
    TestWindow tool("Pictavo tool", WS_EX_TOOLWINDOW);
    TestWindow main("Pictavo main");
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(kSelf), main.Get());
}

TEST(InstanceList, AStandInAndTheProgramSeeEachOthersEntries)
{
    const std::string name = UniqueListName();
    bench::ScopedTempDir dir("instances");
    ProductOptions o;
    o.list = name;
    RunningProduct a(dir.Path(), o);
    ListView view(name);
    ASSERT_EQ(view.Ids(), Ids{a.Pid()});

    auto list = std::make_unique<COXInstanceManager>(name.c_str(), 1024);
    EXPECT_EQ(view.Ids(), (Ids{a.Pid(), kSelf}));
    EXPECT_EQ(list->CountInstances(), 2u) << "the count includes the caller's own entry";
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(a.Pid()), a.Window());
    a.WaitEvent("added " + std::to_string(kSelf));

    RunningProduct b(dir.Path(), o);
    EXPECT_EQ(view.Ids(), (Ids{a.Pid(), kSelf, b.Pid()}));
    a.WaitEvent("added " + std::to_string(b.Pid()));
    EXPECT_EQ(b.Close(), 0u);
    a.WaitEvent("removed " + std::to_string(b.Pid()));
    EXPECT_EQ(view.Ids(), (Ids{a.Pid(), kSelf}));

    list.reset();
    a.WaitEvent("removed " + std::to_string(kSelf));
    EXPECT_EQ(view.Ids(), Ids{a.Pid()});
    a.Sync();
    EXPECT_FALSE(a.HasEvent("added " + std::to_string(a.Pid()))) << "a process is not told about itself";
    DrainThreadQueue();
}

TEST(InstanceList, WindowsOfAStandInThatAreNotInstanceWindows)
{
    struct Case {
        const char* what;
        ProductOptions options;
        bool found;
    };
    auto with = [](auto set) {
        ProductOptions o;
        o.noList = true;
        set(o);
        return o;
    };
    const Case cases[] = {
        {"the product's window", with([](ProductOptions&) {}), true},
        {"a hidden window", with([](ProductOptions& o) { o.hidden = true; }), true},
        {"a lower-case title", with([](ProductOptions& o) { o.title = "pictavo 6"; }), false},
        {"a tool window", with([](ProductOptions& o) { o.tool = true; }), false},
        {"an owned window", with([](ProductOptions& o) { o.owned = true; }), false},
    };
    bench::ScopedTempDir dir("instances");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunningProduct p(dir.Path(), c.options);
        EXPECT_EQ(COXInstanceManager::FindInstanceWindow(p.Pid()), c.found ? p.Window() : nullptr);
    }
}

// A process that starts while another is creating the list must not lose
// its entry to that process's reset. The test plays the creator: it holds
// the list mutex while it creates and fills the shared memory. The stand-in
// that starts meanwhile must wait for the mutex before it creates or opens
// the shared memory, and then join the list as it finds it.
TEST(InstanceList, AProcessStartingDuringCreationKeepsItsEntry)
{
    const std::string name = UniqueListName();
    bench::ScopedTempDir dir("instances");
    HANDLE mutex = CreateMutexA(nullptr, TRUE, fixture::ListMutexName(name).c_str());
    ASSERT_NE(mutex, nullptr);

    std::string exe = fixture::PlaceProduct(dir.Path());
    std::string log = dir / "racer.log";
    bench::StartOptions so;
    so.commandLine = bench::CommandLine(exe, {"--list", name, "--log", log});
    bench::Process racer = bench::Process::Start(exe, so);
    // Its mutexes exist once it has made both, just before it turns to the
    // shared memory.
    bench::WaitUntil([&] { return MutexExists(fixture::AdditionalMutexName(name)); },
                     "the stand-in to create its mutexes");

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                                        2 * Granularity(), fixture::FileMapName(name).c_str());
    DWORD error = GetLastError();
    ASSERT_NE(mapping, nullptr);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS))
        << "the stand-in created the shared memory without holding the list mutex";
    DWORD* words = static_cast<DWORD*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4008));
    ASSERT_NE(words, nullptr);
    words[0] = 1;
    words[1] = 1;
    words[2] = 4242;
    UnmapViewOfFile(words);
    ReleaseMutex(mutex);

    bench::WaitUntil([&] { return bench::ReadFile(log).value_or("").find("ready") != std::string::npos; },
                     "the stand-in to join the list");
    ListView view(name);
    EXPECT_EQ(view.Ids(), (Ids{4242, racer.Pid()}));
    racer.Terminate();
    CloseHandle(mapping);
    CloseHandle(mutex);
}
