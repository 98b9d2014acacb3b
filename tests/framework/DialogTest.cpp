// CDialog as a modeless child page: data exchange, message maps, and a
// page that refuses to be destroyed. The windows are real; the host is a
// modeless dialog of the test's own template.
#include <gtest/gtest.h>
#include "framework/Framework.h"

namespace {

const UINT IDD_TEST_HOST = 201;
const UINT IDD_TEST_PAGE = 200;

class CTestPage : public CDialog {
public:
    CTestPage() : CDialog(IDD_TEST_PAGE) {}
    CEdit m_edtText;
    CString m_strText;
    int m_bChecked = 0;
    int m_nChoice = -1;
    int m_nPressed = 0;
    BOOL m_bRefuseDestroy = FALSE;
    int m_nDestroyCalls = 0;

    BOOL DestroyWindow() override
    {
        ++m_nDestroyCalls;
        if (m_bRefuseDestroy)
            return FALSE;
        return CDialog::DestroyWindow();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, 1000, m_edtText);
        DDX_Text(pDX, 1000, m_strText);
        DDX_Check(pDX, 1001, m_bChecked);
        DDX_Radio(pDX, 1002, m_nChoice);
    }
    void OnPress() { ++m_nPressed; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CDialog)
    ON_BN_CLICKED(1005, &CTestPage::OnPress)
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create(IDD_TEST_HOST, nullptr));
        m_host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_page.Create(IDD_TEST_PAGE, &m_host));
    }
    void TearDown() override
    {
        m_page.m_bRefuseDestroy = FALSE;
        if (m_page.m_hWnd)
            m_page.DestroyWindow();
        if (m_host.m_hWnd)
            m_host.DestroyWindow();
    }
    HWND Item(int id) { return ::GetDlgItem(m_page.m_hWnd, id); }
    CDialog m_host;
    CTestPage m_page;
};

}  // namespace

TEST_F(DialogTest, ModelessChildPageIsAChildOfItsHostAndHidden)
{
    EXPECT_EQ(m_host.m_hWnd, ::GetParent(m_page.m_hWnd));
    EXPECT_TRUE(::GetWindowLongA(m_page.m_hWnd, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(::IsWindowVisible(m_page.m_hWnd)) << "the template is not visible at creation";
    EXPECT_EQ(&m_page, CWnd::FromHandlePermanent(m_page.m_hWnd));
    // The base OnInitDialog exchanged the data once: the control is bound.
    EXPECT_EQ(Item(1000), m_page.m_edtText.m_hWnd);
}

TEST_F(DialogTest, DataExchangeRoundTrips)
{
    struct Case { const char* text; int checked; int choice; };
    const Case cases[] = {
        { "Pictavo 6", 1, 0 },
        { "", 0, 2 },
        { "Tools\\Pictavo", 1, 1 },
        { "x", 0, -1 },
    };
    for (const Case& c : cases) {
        m_page.m_strText = c.text;
        m_page.m_bChecked = c.checked;
        m_page.m_nChoice = c.choice;
        ASSERT_TRUE(m_page.UpdateData(FALSE));
        char buf[64] = "";
        ::GetWindowTextA(Item(1000), buf, sizeof buf);
        EXPECT_STREQ(c.text, buf);
        EXPECT_EQ(c.checked, (int)::SendMessageA(Item(1001), BM_GETCHECK, 0, 0));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(i == c.choice ? BST_CHECKED : BST_UNCHECKED,
                      (int)::SendMessageA(Item(1002 + i), BM_GETCHECK, 0, 0)) << c.text << i;

        m_page.m_strText = "changed";
        m_page.m_bChecked = 7;
        m_page.m_nChoice = 9;
        ASSERT_TRUE(m_page.UpdateData(TRUE));
        EXPECT_STREQ(c.text, m_page.m_strText);
        EXPECT_EQ(c.checked, m_page.m_bChecked);
        EXPECT_EQ(c.choice, m_page.m_nChoice);
    }
}

TEST_F(DialogTest, RadioGroupEndsAtTheNextGroup)
{
    // A checked button in the next group does not count for this one.
    ::SendMessageA(Item(1006), BM_SETCHECK, BST_CHECKED, 0);
    m_page.m_nChoice = -1;
    ASSERT_TRUE(m_page.UpdateData(FALSE));
    ASSERT_TRUE(m_page.UpdateData(TRUE));
    EXPECT_EQ(-1, m_page.m_nChoice);
    EXPECT_EQ(BST_CHECKED, (int)::SendMessageA(Item(1006), BM_GETCHECK, 0, 0))
        << "writing the group must not touch the next group";
}

TEST_F(DialogTest, ClickReachesTheMessageMapHandler)
{
    ::SendMessageA(Item(1005), BM_CLICK, 0, 0);
    EXPECT_EQ(1, m_page.m_nPressed);
    // A command from another control id is not routed to the handler.
    ::SendMessageA(m_page.m_hWnd, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), (LPARAM)Item(1001));
    EXPECT_EQ(1, m_page.m_nPressed);
}

TEST_F(DialogTest, PageThatRefusesDestroyKeepsItsWindow)
{
    HWND h = m_page.m_hWnd;
    m_page.m_bRefuseDestroy = TRUE;
    EXPECT_FALSE(m_page.DestroyWindow());
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_EQ(h, m_page.m_hWnd);

    m_page.m_bRefuseDestroy = FALSE;
    EXPECT_TRUE(m_page.DestroyWindow());
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(nullptr, m_page.m_hWnd) << "the object is unbound when its window goes";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
    EXPECT_EQ(nullptr, m_page.m_edtText.m_hWnd) << "bound controls are unbound with their dialog";
}

TEST_F(DialogTest, PlacementWithWndTopMovesWithoutResizing)
{
    RECT before;
    m_page.GetWindowRect(&before);
    ASSERT_TRUE(m_page.SetWindowPos(&CWnd::wndTop, 17, 9, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW));
    RECT after;
    m_page.GetWindowRect(&after);
    m_host.ScreenToClient(&after);
    EXPECT_EQ(17, after.left);
    EXPECT_EQ(9, after.top);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_TRUE(m_page.IsWindowVisible());
}

TEST(CStringResources, LoadStringReadsTheStringTable)
{
    CString s;
    EXPECT_TRUE(s.LoadString(1));
    EXPECT_STREQ("A text from the string table", s);
    EXPECT_FALSE(s.LoadString(4711));
    EXPECT_TRUE(s.IsEmpty());
}
