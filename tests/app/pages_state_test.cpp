// What every adjustment page owes the back buffer: its drawing state back,
// black text, the same picture every time, and safety at any screen size.
#include <gtest/gtest.h>

#include <vector>

#include "tests/app/pages_test_util.h"

namespace pages_test {
namespace {

const WizardPage kPages[] = {WizardPage::Welcome, WizardPage::Pitch, WizardPage::Phase, WizardPage::Centering,
                             WizardPage::Completion};

TEST(PageState, EachRenderLeavesTheDrawingStateAsItFoundIt) {
    for (WizardPage page : kPages) {
        SCOPED_TRACE(WizardPageName(page));
        PageView view = ShowPage(1024, 768, page);
        CDC& dc = view.frame->BackBuffer.dc;
        const HPEN pen = dc.GetCurrentPen();
        const HBRUSH brush = dc.GetCurrentBrush();
        const HFONT font = dc.GetCurrentFont();
        RenderAgain(view);
        EXPECT_EQ(dc.GetCurrentPen(), pen);
        EXPECT_EQ(dc.GetCurrentBrush(), brush);
        EXPECT_EQ(dc.GetCurrentFont(), font);
        EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
        EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
        EXPECT_EQ(dc.GetBkColor(), RGB(255, 255, 255));
    }
}

// The welcome page sets black before it saves the state, so black outlives it.
TEST(PageState, WelcomeLeavesTheTextColourBlack) {
    PageView view = ShowPage(1024, 768, WizardPage::Welcome);
    CDC& dc = view.frame->BackBuffer.dc;
    dc.SetTextColor(RGB(255, 0, 0));
    RenderAgain(view);
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    for (const TextRecord& t : Texts(view.records)) EXPECT_EQ(t.color, "#000000") << t.text;
}

TEST(PageState, RenderingTwiceGivesIdenticalPixels) {
    for (WizardPage page : kPages) {
        SCOPED_TRACE(WizardPageName(page));
        PageView view = ShowPage(1024, 768, page);
        const gdi::PixelVector first = view.surface->pixels();
        RenderAgain(view);
        EXPECT_TRUE(view.surface->pixels() == first);
    }
}

TEST(PageState, DegenerateScreenSizesRenderEveryPage) {
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 1}, {100, 80}, {641, 481}, {7680, 4320}};
    for (auto [w, h] : sizes) {
        for (WizardPage page : kPages) {
            SCOPED_TRACE(testing::Message() << WizardPageName(page) << " " << w << "x" << h);
            PageView view = ShowPage(w, h, page);
            EXPECT_FALSE(view.records.empty());
            if (view.surface) {
                EXPECT_EQ(view.surface->width(), w);
                EXPECT_EQ(view.surface->height(), h);
            }
        }
    }
}

}  // namespace
}  // namespace pages_test
