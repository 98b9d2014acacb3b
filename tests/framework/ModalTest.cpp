// Modal dialogs and the framework's message box on real windows, driven by
// the robot as a person would: the wizard frame's template from the shipped
// setup.exe, ended with Next (IDOK), Cancel and Escape (IDCANCEL); and
// AfxMessageBox's caption and icon rule, read off the real box.
#include <gtest/gtest.h>
#include "bench/Robot.h"
#include "framework/Framework.h"

#include <string>

namespace {

const UINT IDD_SETUP = 103;
const UINT AFX_IDS_APP_TITLE = 57344;

// Uses the shipped program's resources for the length of a test, with an
// application object whose title is that program's string 57344.
class ModalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string path = SETUP_PRODUCT_EXE;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        m_hProduct = LoadLibraryExA(("Z:" + path).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, m_hProduct) << path;
        m_hOld = AfxGetResourceHandle();
        AfxSetResourceHandle(m_hProduct);
        ASSERT_TRUE(m_strTitle.LoadString(AFX_IDS_APP_TITLE));
        m_pApp = new CWinApp(m_strTitle);
    }
    void TearDown() override
    {
        delete m_pApp;
        AfxSetResourceHandle(m_hOld);
        if (m_hProduct)
            FreeLibrary(m_hProduct);
    }
    HMODULE m_hProduct = nullptr;
    HINSTANCE m_hOld = nullptr;
    CString m_strTitle;
    CWinApp* m_pApp = nullptr;
};

}  // namespace

TEST_F(ModalTest, FrameTemplateEndsWithTheButtonsAndKeys)
{
    struct Case {
        const char* how;
        void (*act)(bench::Robot&, HWND);
        INT_PTR expected;
    };
    const Case cases[] = {
        { "Next", [](bench::Robot& r, HWND d) { r.Click(d, IDOK); }, IDOK },
        { "Enter", [](bench::Robot& r, HWND d) { r.PressEnter(d); }, IDOK },
        { "Cancel", [](bench::Robot& r, HWND d) { r.Click(d, IDCANCEL); }, IDCANCEL },
        { "Escape", [](bench::Robot& r, HWND d) { r.PressEscape(d); }, IDCANCEL },
    };
    for (const Case& c : cases) {
        INT_PTR result = -2;
        bench::WithRobot(
            [&](bench::Robot& r) {
                HWND d = r.WaitWindow("Pictavo Setup");
                EXPECT_EQ("&Next >", r.Text(d, IDOK)) << c.how;
                EXPECT_TRUE(r.IsVisible(d, 3)) << c.how;
                EXPECT_FALSE(r.IsVisible(d, 1002)) << "the picture is hidden at creation";
                c.act(r, d);
                r.WaitClosed(d);
            },
            [&] {
                CDialog dlg(IDD_SETUP);
                result = dlg.DoModal();
            });
        EXPECT_EQ(c.expected, result) << c.how;
    }
}

TEST_F(ModalTest, MessageBoxCaptionAndIconRule)
{
    struct Case {
        UINT type;
        bench::BoxIcon icon;
        std::vector<std::string> buttons;
        int press;
    };
    const Case cases[] = {
        { MB_OK, bench::BoxIcon::Warning, { "OK" }, IDOK },
        { MB_OKCANCEL, bench::BoxIcon::Warning, { "OK", "Cancel" }, IDCANCEL },
        { MB_YESNO, bench::BoxIcon::Question, { "&Yes", "&No" }, IDYES },
        { MB_YESNOCANCEL, bench::BoxIcon::Question, { "&Yes", "&No", "Cancel" }, IDNO },
        // An icon the caller names stays as it is.
        { MB_OK | MB_ICONERROR, bench::BoxIcon::Error, { "OK" }, IDOK },
        { MB_YESNO | MB_ICONWARNING, bench::BoxIcon::Warning, { "&Yes", "&No" }, IDNO },
        { MB_OK | MB_ICONINFORMATION, bench::BoxIcon::Information, { "OK" }, IDOK },
    };
    for (const Case& c : cases) {
        int result = 0;
        bench::WithRobot(
            [&](bench::Robot& r) {
                HWND box = r.WaitMessageBox();
                EXPECT_EQ("Pictavo Setup", r.Text(box)) << c.type;
                EXPECT_EQ("Some text", r.MessageText(box)) << c.type;
                EXPECT_EQ(c.icon, r.MessageIcon(box)) << c.type;
                EXPECT_EQ(c.buttons, r.ButtonTexts(box)) << c.type;
                r.ClickAndWaitClosed(box, c.press);
            },
            [&] { result = AfxMessageBox("Some text", c.type); });
        EXPECT_EQ(c.press, result) << c.type;
    }
}

TEST_F(ModalTest, MessageBoxFromTheStringTable)
{
    int result = 0;
    bench::WithRobot(
        [&](bench::Robot& r) {
            HWND box = r.WaitMessageBox("Pictavo Setup");
            EXPECT_EQ("Pictavo 6 has been completely uninstalled from this computer.", r.MessageText(box));
            r.ClickAndWaitClosed(box, IDOK);
        },
        [&] { result = AfxMessageBox(20, MB_OK); });
    EXPECT_EQ(IDOK, result);
}
