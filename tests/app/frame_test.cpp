// The main window as a whole: button faces, display-mode changes, and modes
// the drawing layer cannot or can barely draw.
#include <gtest/gtest.h>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime; GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "platform/ui/framework.h"
#include "tests/app/app_harness.h"

namespace {

using app_test::Start;
using app_test::WindowRect;

std::size_t HeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
    std::size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY) used += entry._size;
    }
    return used;
#else
    return mallinfo2().uordblks;
#endif
}

// What the button should show: the image stretched over its rectangle.
std::shared_ptr<gdi::Surface> ExpectedFace(int resource, const RECT& r) {
    CBitmap image;
    EXPECT_TRUE(ui::LoadBitmapResource(image, resource));
    CDC src, dst;
    src.CreateCompatibleDC(nullptr);
    dst.CreateCompatibleDC(nullptr);
    CBitmap out;
    out.CreateCompatibleBitmap(&dst, r.right - r.left, r.bottom - r.top);
    src.SelectObject(&image);
    dst.SelectObject(&out);
    dst.StretchBlt(0, 0, r.right - r.left, r.bottom - r.top, &src, 0, 0, image.Width(), image.Height(),
                   SRCCOPY);
    return out.GetSafeHandle();
}

bool ScreenShows(const gdi::Surface& screen, const gdi::Surface& face, const RECT& r) {
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            if (screen.at(r.left + x, r.top + y) != face.at(x, y)) return false;
        }
    }
    return true;
}

TEST(ButtonFaces, HeldShowsDownImageAndDisabledNextShowsItsGreyFace) {
    auto held = Start("1024x768@60", "press 510,716");
    const RECT adjust{421, 692, 599, 740};
    EXPECT_TRUE(ScreenShows(held.screen(), *ExpectedFace(157, adjust), adjust));
    EXPECT_EQ(held.frame().CurrentPage, WizardPage::Welcome) << "not released yet";

    auto released = Start("1024x768@60", "press 510,716; release 10,10");
    EXPECT_TRUE(ScreenShows(released.screen(), *ExpectedFace(156, adjust), adjust));
    EXPECT_EQ(released.frame().CurrentPage, WizardPage::Welcome) << "released outside: no click";

    auto disabled = Start("1024x768@60", "click adjust; press 848,715");
    const RECT next{776, 692, 920, 739};
    EXPECT_TRUE(ScreenShows(disabled.screen(), *ExpectedFace(171, next), next));
}

TEST(DisplayChange, RebuildsAtTheNewSizeKeepingPageAndPanelSize) {
    auto run = Start("1024x768@60", "click adjust; click 300,420; click next; answer yes; mode 800x600@60");
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.CurrentPage, WizardPage::Pitch);
    EXPECT_EQ(f.PanelSize, 3);
    EXPECT_EQ(f.ScreenMetrics.W, 800);
    EXPECT_EQ(f.ScreenMetrics.H, 600);
    EXPECT_EQ(f.ResolutionClass, 1);
    EXPECT_EQ(f.BackBuffer.dc.surface()->width(), 800);
    EXPECT_EQ(f.BackBuffer.dc.surface()->height(), 600);
    EXPECT_EQ(WindowRect(f), (RECT{0, 0, 800, 600}));
    // Buttons at their 800 x 600 places: top = 600 - 60.
    EXPECT_EQ(WindowRect(f.BackButton), (RECT{80, 540, 80 + 113, 540 + 36}));
    EXPECT_EQ(run.screen().width(), 800);
    const auto renders = run.WithOp("render");
    ASSERT_FALSE(renders.empty());
    EXPECT_EQ(renders.back()->Str("page"), "Pitch");
    EXPECT_EQ(renders.back()->Int("width"), 800);
    EXPECT_EQ(renders.back()->Int("class"), 1);

    // Only the rate changes: the page is still rebuilt and shows the new rate.
    auto rate = Start("1024x768@60", "click adjust; mode 1024x768@75");
    const auto texts = rate.WithOp("text");
    bool shows75 = false;
    for (const auto* t : texts) shows75 = shows75 || t->Str("text") == "1024 X 768 @ 75 hz";
    EXPECT_TRUE(shows75);
}

TEST(DisplayChange, CompletionKeepsOnlyBackAndFinishAtTheirNewPlaces) {
    auto run = Start("1024x768@60",
                     "click adjust; click 300,300; click next; click next; click next; click next; "
                     "mode 640x480@60");
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.CurrentPage, WizardPage::Completion);
    EXPECT_TRUE(f.BackButton.IsWindowVisible());
    EXPECT_TRUE(f.FinishButton.IsWindowVisible());
    EXPECT_FALSE(f.NextButton.IsWindowVisible());
    EXPECT_FALSE(f.QuitButton.IsWindowVisible());
    EXPECT_FALSE(f.AdjustButton.IsWindowVisible());
    EXPECT_EQ(WindowRect(f.FinishButton), (RECT{275, 432, 366, 462}));
}

TEST(DisplayChange, ManyChangesLeaveOneBackBufferSixButtonsAndFlatMemory) {
    auto run =
        Start("640x480@60",
              "click adjust; click 200,190; click next; answer yes; click next; click next; click next");
    ASSERT_EQ(run.frame().CurrentPage, WizardPage::Completion);
    const std::size_t windows = ui::LiveWindowCount();
    const std::size_t surfaces = ui::LiveSurfaceCount();
    EXPECT_EQ(windows, 7u) << "the frame and its six buttons";
    auto& driver = run.session->driver();
    CMainFrame::SetTrace(nullptr);  // the trace itself would grow
    auto change = [&](int n) {
        for (int i = 0; i < n; ++i) {
            driver.ExternalChange(i % 2 ? screen::DisplayMode{640, 480, 60, 32}
                                        : screen::DisplayMode{320, 200, 0, 16});
            ui::PumpUntilIdle();
        }
    };
    change(100);
    const std::size_t heap = HeapBytes();
    change(900);
    EXPECT_EQ(ui::LiveWindowCount(), windows);
    EXPECT_EQ(ui::LiveSurfaceCount(), surfaces);
    EXPECT_EQ(run.frame().BackBuffer.dc.surface()->width(), 640);
    EXPECT_LT(HeapBytes(), heap + 64 * 1024) << "memory grows with display changes";
}

TEST(OddModes, EveryModeRunsAndDrawsWhatFits) {
    const char* modes[] = {"0x0@60", "1x1@0", "641x481@1", "100x80@300", "16384x16384@60"};
    for (const char* mode : modes) {
        auto run = Start(mode, "click 0,0; click 5,5; click adjust; click next; click back");
        EXPECT_EQ(run.status, snapshot::kDone) << mode;
        ASSERT_NE(run.session->frame(), nullptr) << mode;
    }
}

TEST(OddModes, AnUndrawableModeLeavesTheScreenBlankAndRecovers) {
    auto run = Start("20000x20000@60", "click 500,500; mode 1024x768@60; click adjust");
    ASSERT_NE(run.session->frame(), nullptr);
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.CurrentPage, WizardPage::Resolution) << "the buttons work again after the change";
    ASSERT_NE(f.BackBuffer.dc.surface(), nullptr);
    EXPECT_EQ(f.BackBuffer.dc.surface()->width(), 1024);
    EXPECT_EQ(run.screen().width(), 1024);
}

TEST(Input, ClicksOnHiddenButtonsAndDuringABoxDoNothing) {
    // Back and Finish are hidden on the Welcome page.
    auto hidden = Start("1024x768@60", "click 174,715; click 512,716; press 512,716; release 512,716");
    EXPECT_EQ(hidden.frame().CurrentPage, WizardPage::Resolution) << "only Adjust's own click counts";

    // While the box is open, a click on Back (under the box's reach) is dropped, not replayed.
    auto box =
        Start("1024x768@60", "click adjust; click 300,420; click next; click back; click 174,715; answer no");
    EXPECT_EQ(box.frame().CurrentPage, WizardPage::Resolution);
    EXPECT_EQ(box.WithOp("messagebox").size(), 1u);
}

}  // namespace
