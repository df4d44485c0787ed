#include <string>
#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

std::vector<std::string> g_paints;

// Paints its client area in one colour and logs the paint.
class CColourWnd : public CWnd {
public:
    CColourWnd(std::string name, COLORREF colour) : name_(std::move(name)), colour_(colour) {}
    void OnPaint() {
        CPaintDC dc(this);
        g_paints.push_back(name_);
        if (fill_) {
            CBrush b(colour_);
            CRect r;
            GetClientRect(&r);
            HBRUSH old = dc.SelectObject(&b);
            dc.PatBlt(0, 0, r.Width() / 2, r.Height(), PATCOPY);  // left half only: the erase shows right
            dc.SelectObject(old);
        }
    }
    bool fill_ = true;

private:
    std::string name_;
    COLORREF colour_;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

gdi::Pixel At(const host::HeadlessHost& h, int x, int y) {
    return h.screen()->at(x, y);
}

class PaintTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_paints.clear();
        LPCTSTR white = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), COLOR_WINDOW + 1, nullptr);
        ASSERT_TRUE(
            frame.CreateEx(0, white, "f", WS_POPUP, CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), nullptr, 0));
        ASSERT_TRUE(a.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 30, 20), &frame, 1));
        ASSERT_TRUE(b.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(20, 15, 40, 25), &frame, 2));
    }
    CColourWnd frame{"frame", RGB(255, 0, 0)};
    CColourWnd a{"a", RGB(0, 255, 0)};
    CColourWnd b{"b", RGB(0, 0, 255)};
};

TEST_F(PaintTest, HiddenWindowsPaintNothingShowingPaintsParentThenChildrenOnce) {
    ui::PumpUntilIdle();
    EXPECT_TRUE(g_paints.empty());
    EXPECT_EQ(host.presents(), 0);

    frame.ShowWindow(SW_SHOWMAXIMIZED);
    CRect r;
    frame.GetWindowRect(&r);
    EXPECT_EQ(r, CRect(0, 0, 1024, 768));
    ui::PumpUntilIdle();
    EXPECT_EQ(g_paints, (std::vector<std::string>{"frame", "a", "b"}));
    EXPECT_EQ(host.presents(), 1);
    ASSERT_NE(host.screen(), nullptr);
    EXPECT_EQ(At(host, 0, 0), 0xFF0000u);       // frame's own paint
    EXPECT_EQ(At(host, 1000, 700), 0xFFFFFFu);  // erased with the class brush
    EXPECT_EQ(At(host, 11, 11), 0x00FF00u);     // child a
    EXPECT_EQ(At(host, 21, 16), 0x0000FFu);     // b, created later, lies over a
    EXPECT_EQ(At(host, 35, 21), 0x000000u);     // b's right half: no class brush, never drawn

    ui::PumpUntilIdle();  // nothing dirty: no paint, no present
    EXPECT_EQ(g_paints.size(), 3u);
    EXPECT_EQ(host.presents(), 1);
}

TEST_F(PaintTest, InvalidateRepaintsOnlyDirtyWindowsAndPresentsOnce) {
    frame.ShowWindow(SW_SHOWMAXIMIZED);
    ui::PumpUntilIdle();
    g_paints.clear();
    b.Invalidate();
    a.Invalidate();
    a.Invalidate();
    ui::PumpUntilIdle();
    EXPECT_EQ(g_paints, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(host.presents(), 2);

    // Invalidate(TRUE) erases before the paint; FALSE keeps the old pixels.
    frame.fill_ = false;
    frame.Invalidate(FALSE);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(host, 0, 0), 0xFF0000u);
    frame.Invalidate(TRUE);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(host, 0, 0), 0xFFFFFFu);
}

TEST_F(PaintTest, UpdateWindowPaintsAtOnceAndHidingAChildUncoversTheParent) {
    frame.ShowWindow(SW_SHOWMAXIMIZED);
    frame.UpdateWindow();
    EXPECT_EQ(g_paints, (std::vector<std::string>{"frame"}));
    ui::PumpUntilIdle();
    g_paints.clear();
    EXPECT_EQ(At(host, 35, 21), 0x000000u);  // b's undrawn half
    b.ShowWindow(SW_HIDE);
    ui::PumpUntilIdle();
    EXPECT_TRUE(g_paints.empty());  // composition alone uncovers the frame
    EXPECT_EQ(At(host, 35, 21), 0xFF0000u);
}

TEST_F(PaintTest, ScreenOutsideEveryWindowIsBlackAfterAFullScreenFrame) {
    // A full-screen frame covers every pixel; once it shrinks, what it left
    // behind must turn black, not keep the old frame's pixels.
    frame.ShowWindow(SW_SHOWMAXIMIZED);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(host, 1023, 767), 0xFFFFFFu);  // the erase shows right of the painted half
    EXPECT_EQ(At(host, 0, 767), 0xFF0000u);
    frame.MoveWindow(100, 50, 200, 100);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(host, 0, 0), 0x000000u);
    EXPECT_EQ(At(host, 1023, 767), 0x000000u);
    EXPECT_EQ(At(host, 99, 60), 0x000000u);
    EXPECT_EQ(At(host, 100, 50), 0xFF0000u);
    EXPECT_EQ(At(host, 299, 149), 0xFFFFFFu);
    EXPECT_EQ(At(host, 300, 149), 0x000000u);
}

TEST_F(PaintTest, HugeOrEmptyScreensAndWindowsDoNotBreakPainting) {
    for (const screen::DisplayMode& m :
         {screen::DisplayMode{0, 0, 60, 32}, screen::DisplayMode{20000, 20000, 1, 32},
          screen::DisplayMode{1, 1, 300, 32}}) {
        driver.ExternalChange(m);
        frame.ShowWindow(SW_SHOWMAXIMIZED);
        frame.Invalidate();
        ui::PumpUntilIdle();
        CRect r;
        frame.GetClientRect(&r);
        EXPECT_EQ(r.Width(), m.width);
    }
    EXPECT_EQ(g_paints.back(), "frame");
}

}  // namespace
