#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

std::vector<std::string> g_order;

class CNamedWnd : public CWnd {
public:
    explicit CNamedWnd(std::string n) : name(std::move(n)) {}
    void OnDestroy() { g_order.push_back("destroy " + name); }
    std::string name;

protected:
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_NCDESTROY) g_order.push_back("ncdestroy " + name);
        return CWnd::WindowProc(m, w, l);
    }
    void PostNcDestroy() override { g_order.push_back("post " + name); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNamedWnd, CWnd)
ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST_F(UiTest, DestroyGoesParentFirstThenChildrenThenNcDestroyUpwards) {
    g_order.clear();
    CNamedWnd p("p"), c1("c1"), c2("c2");
    ASSERT_TRUE(p.CreateEx(0, nullptr, "p", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(c1.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), &p, 1));
    ASSERT_TRUE(c2.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), &p, 2));
    EXPECT_EQ(c2.GetParent(), &p);
    EXPECT_EQ(c2.GetDlgCtrlID(), 2);
    EXPECT_TRUE(p.DestroyWindow());
    EXPECT_FALSE(p.DestroyWindow());
    const std::vector<std::string> want = {"destroy p", "destroy c1",  "ncdestroy c1",
                                           "post c1",   "destroy c2",  "ncdestroy c2",
                                           "post c2",   "ncdestroy p", "post p"};
    EXPECT_EQ(g_order, want);
    EXPECT_EQ(c1.m_hWnd, nullptr);
    EXPECT_FALSE(c1.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 5, 5), &p, 1));  // no parent window
}

TEST_F(UiTest, ThousandChildCreateDestroyCyclesLeaveNothingBehind) {
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 640, 480), nullptr, 0));
    CBitmapButton buttons[6];
    const std::size_t windows = ui::LiveWindowCount();
    const std::size_t surfaces = ui::LiveSurfaceCount();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(buttons[i].Create(nullptr, WS_CHILD | BS_OWNERDRAW,
                                          CRect(i * 10, 400, i * 10 + 9, 440), &frame,
                                          static_cast<UINT>(i + 1)));
            buttons[i].ShowWindow(SW_SHOWNORMAL);
            buttons[i].PostMessage(WM_USER);
        }
        ui::PumpUntilIdle();
        for (auto& b : buttons) b.DestroyWindow();
    }
    EXPECT_EQ(ui::LiveWindowCount(), windows);
    EXPECT_EQ(ui::LiveSurfaceCount(), surfaces);
    EXPECT_EQ(ui::QueuedMessageCount(), 0u);
}

TEST_F(UiTest, MoveEnableStyleAndRectQueries) {
    CWnd frame, child;
    ASSERT_TRUE(
        frame.CreateEx(WS_EX_CLIENTEDGE, nullptr, "f", WS_POPUP, CRect(100, 50, 300, 150), nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 20, 30, 60), &frame, 9));
    CRect r;
    child.GetWindowRect(&r);
    EXPECT_EQ(r, CRect(110, 70, 130, 110));
    EXPECT_FALSE(child.IsWindowVisible());  // its parent is hidden
    frame.ShowWindow(SW_SHOW);
    EXPECT_TRUE(child.IsWindowVisible());
    frame.MoveWindow(0, 0, 40, 30);
    frame.GetClientRect(&r);
    EXPECT_EQ(r, CRect(0, 0, 40, 30));
    EXPECT_TRUE(frame.ModifyStyleEx(WS_EX_CLIENTEDGE, 0));
    EXPECT_FALSE(frame.ModifyStyleEx(WS_EX_CLIENTEDGE, 0));
    EXPECT_FALSE(child.EnableWindow(FALSE));
    EXPECT_FALSE(child.IsWindowEnabled());
    EXPECT_TRUE(child.EnableWindow(TRUE));
    frame.MoveWindow(0, 0, -5, 40000);  // refused size: no pixels, no crash
    ui::PumpUntilIdle();
    frame.GetClientRect(&r);
    EXPECT_EQ(r.Width(), 0);
}

const unsigned char kBroken[] = {'B', 'M', 0, 0};

TEST_F(UiTest, LoadBitmapsReleasesFirstAndStopsWhenTheUpImageFails) {
    CBitmap probe;
    static const ui::ResourceEntry table[] = {{1, kBroken, sizeof kBroken}};
    ui::RegisterResources(table, 1);
    EXPECT_FALSE(ui::LoadBitmapResource(probe, 1));
    EXPECT_FALSE(ui::LoadBitmapResource(probe, 99));
    EXPECT_EQ(probe.GetSafeHandle(), nullptr);
    EXPECT_EQ(ui::LoadIconResource(99), nullptr);
    EXPECT_NE(ui::LoadIconResource(1), nullptr);
    ui::ClearResources();

    // A button with no loadable image is still created and draws nothing.
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    CBitmapButton b;
    EXPECT_FALSE(b.LoadBitmaps(150, 151, 0, 171));
    EXPECT_EQ(b.UpBitmap().GetSafeHandle(), nullptr);
    ASSERT_TRUE(b.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 10, 10), &frame, 1));
    ui::PumpUntilIdle();
    EXPECT_EQ(host.screen()->at(5, 5), 0u);
}

// A 2 x 1 24-bit BMP: a blue pixel then `right` (stored bottom-up, BGR).
std::vector<unsigned char> TwoPixelBmp(unsigned char right_b, unsigned char right_g, unsigned char right_r) {
    std::vector<unsigned char> f = {'B',     'M', 62, 0, 0, 0, 0, 0, 0, 0, 54,  0, 0, 0,  // file header
                                    40,      0,   0,  0, 2, 0, 0, 0, 1, 0, 0,   0, 1, 0,       24,
                                    0,       0,   0,  0, 0, 8, 0, 0, 0, 0, 0,   0, 0, 0,       0,
                                    0,       0,   0,  0, 0, 0, 0, 0, 0, 0, 255, 0, 0, right_b, right_g,
                                    right_r, 0,   0};  // row padded to 8 bytes
    return f;
}

TEST_F(UiTest, LoadedBitmapsAreCopiesOfOneDecodingAndFollowANewRegistration) {
    static const std::vector<unsigned char> red = TwoPixelBmp(0, 0, 255);
    static const std::vector<unsigned char> green = TwoPixelBmp(0, 255, 0);
    static const ui::ResourceEntry first[] = {{7, red.data(), red.size()}};
    ui::RegisterResources(first, 1);
    CBitmap a, b;
    ASSERT_TRUE(ui::LoadBitmapResource(a, 7));
    ASSERT_EQ(a.Width(), 2);
    EXPECT_EQ(a.GetSafeHandle()->at(0, 0), 0x0000FFu);
    EXPECT_EQ(a.GetSafeHandle()->at(1, 0), 0xFF0000u);
    EXPECT_EQ(a.GetSafeHandle()->resource_id, 7);
    a.GetSafeHandle()->set(1, 0, 0x123456);  // drawing into one loaded bitmap
    ASSERT_TRUE(ui::LoadBitmapResource(b, 7));
    EXPECT_NE(a.GetSafeHandle(), b.GetSafeHandle());
    EXPECT_EQ(b.GetSafeHandle()->at(1, 0), 0xFF0000u);  // leaves the next one as decoded
    EXPECT_EQ(b.GetSafeHandle()->resource_id, 7);

    static const ui::ResourceEntry second[] = {{7, green.data(), green.size()}};
    ui::RegisterResources(second, 1);
    ASSERT_TRUE(ui::LoadBitmapResource(b, 7));
    EXPECT_EQ(b.GetSafeHandle()->at(1, 0), 0x00FF00u);
    ui::ClearResources();
    EXPECT_FALSE(ui::LoadBitmapResource(b, 7));
}

}  // namespace
