// Painting and presenting a part of the screen: the update rectangle a
// paint is given, the erase it gets, and what is presented again.
#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

// Paints its whole client area in its colour and keeps each paint's rcPaint.
class CPartWnd : public CWnd {
public:
    explicit CPartWnd(COLORREF colour) : colour_(colour) {}
    void OnPaint() {
        CPaintDC dc(this);
        painted.push_back(dc.m_ps.rcPaint);
        if (!fill) return;
        CBrush b(colour_);
        CRect r;
        GetClientRect(&r);
        HBRUSH old = dc.SelectObject(&b);
        dc.PatBlt(0, 0, r.Width(), r.Height(), PATCOPY);
        dc.SelectObject(old);
    }
    std::vector<RECT> painted;
    bool fill = true;

private:
    COLORREF colour_;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPartWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

class PartialPaintTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        LPCTSTR white = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), COLOR_WINDOW + 1, nullptr);
        ASSERT_TRUE(
            frame.CreateEx(0, white, "f", WS_POPUP, CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), nullptr, 0));
        ASSERT_TRUE(
            child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(100, 600, 140, 620), &frame, 1));
        frame.ShowWindow(SW_SHOWMAXIMIZED);
        ui::PumpUntilIdle();
        frame.painted.clear();
        child.painted.clear();
    }
    gdi::Pixel At(int x, int y) const { return host.screen()->at(x, y); }

    CPartWnd frame{RGB(255, 0, 0)};
    CPartWnd child{RGB(0, 0, 255)};
};

TEST_F(PartialPaintTest, InvalidatedPartIsAllThePaintIsAskedForAndAllThatIsErased) {
    EXPECT_EQ(host.last_damage(), (gdi::Rect{0, 0, 1024, 768})) << "the first frame is whole";
    child.ShowWindow(SW_HIDE);  // the frame alone: a child over it is composed again with it
    ui::PumpUntilIdle();
    frame.fill = false;
    const RECT a{10, 20, 30, 40}, b{50, 30, 60, 70};
    frame.InvalidateRect(&a, TRUE);
    frame.InvalidateRect(&b, TRUE);
    ui::PumpUntilIdle();
    ASSERT_EQ(frame.painted.size(), 1u);
    EXPECT_EQ(frame.painted[0], (RECT{10, 20, 60, 70}));
    EXPECT_EQ(At(10, 20), 0xFFFFFFu) << "erased with the class brush";
    EXPECT_EQ(At(59, 69), 0xFFFFFFu);
    EXPECT_EQ(At(9, 20), 0xFF0000u) << "outside the part the old paint stays";
    EXPECT_EQ(At(60, 69), 0xFF0000u);
    EXPECT_EQ(At(10, 70), 0xFF0000u);
    // Whole rows of the frame were composed again; only the erased pixels changed.
    EXPECT_EQ(host.last_damage(), (gdi::Rect{10, 20, 60, 70}));
    EXPECT_TRUE(child.painted.empty());

    // Painted whole in the old colour: the erased part changes back, then nothing does.
    frame.fill = true;
    frame.Invalidate(FALSE);
    ui::PumpUntilIdle();
    EXPECT_EQ(host.last_damage(), (gdi::Rect{10, 20, 60, 70}));
    EXPECT_EQ(At(10, 20), 0xFF0000u);
    frame.Invalidate(FALSE);
    ui::PumpUntilIdle();
    EXPECT_TRUE(host.last_damage().IsEmpty());
    EXPECT_EQ(frame.painted.size(), 3u);

    // Nothing in the client area: no paint, nothing new on the screen.
    const RECT outside{2000, 0, 2100, 10};
    const int presents = host.presents();
    frame.InvalidateRect(&outside, TRUE);
    ui::PumpUntilIdle();
    EXPECT_EQ(frame.painted.size(), 3u);
    EXPECT_EQ(host.presents(), presents);
}

TEST_F(PartialPaintTest, LostPictureIsPresentedAgain) {
    const int presents = host.presents();
    host.PushEvent({host::Event::kPictureLost});
    ui::RunMessageLoop();
    EXPECT_EQ(host.presents(), presents + 1);
}

TEST_F(PartialPaintTest, HiddenAndMovedWindowsUncoverWhatWasUnderThem) {
    EXPECT_EQ(At(100, 600), 0x0000FFu);
    child.MoveWindow(300, 100, 40, 20, FALSE);  // same size: not painted again
    ui::PumpUntilIdle();
    EXPECT_TRUE(child.painted.empty());
    EXPECT_TRUE(frame.painted.empty());
    EXPECT_EQ(At(100, 600), 0xFF0000u) << "the old place shows the frame";
    EXPECT_EQ(At(300, 100), 0x0000FFu) << "the new place shows the child's pixels";
    EXPECT_EQ(host.last_damage(), (gdi::Rect{100, 100, 340, 620}));

    child.ShowWindow(SW_HIDE);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(339, 119), 0xFF0000u);
    EXPECT_EQ(host.last_damage(), (gdi::Rect{300, 100, 340, 120}));
    child.ShowWindow(SW_SHOW);
    ui::PumpUntilIdle();
    EXPECT_EQ(At(339, 119), 0x0000FFu);
    // Showing a shown window changes nothing on the screen.
    child.ShowWindow(SW_SHOW);
    ui::PumpUntilIdle();
    EXPECT_TRUE(host.last_damage().IsEmpty());
}

}  // namespace
