// Pages as the user reaches them: after a display change, and after pages
// that drew in colour.
#include <gtest/gtest.h>

#include "tests/app/app_harness.h"

namespace {

using app_test::Start;

// Heights of the fonts used by the texts of the last render.
std::vector<std::pair<std::string, int>> LastRenderTexts(const app_test::Run& run) {
    std::vector<std::pair<std::string, int>> texts;
    for (const auto& r : run.records()) {
        if (r.op() == "render") texts.clear();
        if (r.op() == "text")
            texts.emplace_back(r.Str("text").value(), static_cast<int>(r.Int("height").value()));
    }
    return texts;
}

TEST(PageFlow, ADisplayChangeRerendersTheShownPageWithTheNewClassFonts) {
    auto run = Start("800x600@60", "mode 1024x768@60");
    const auto renders = run.WithOp("render");
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_EQ(renders[0]->Int("class"), 1);
    EXPECT_EQ(renders[1]->Str("page"), "Welcome");
    EXPECT_EQ(renders[1]->Int("class"), 2);
    const auto texts = LastRenderTexts(run);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().first, "Thank you for purchasing a Corvane Flat Panel LCD.");
    EXPECT_EQ(texts.front().second, 48) << "36 at 800 x 600";
    EXPECT_EQ(run.screen().width(), 1024);
}

TEST(PageFlow, CompletionTextIsBlackAfterTheColouredResolutionPage) {
    auto run =
        Start("1024x768@60",
              "click adjust; click 300,420; click 300,300; click next; click next; click next; click next");
    ASSERT_EQ(run.frame().CurrentPage, WizardPage::Completion);
    std::size_t checked = 0;
    bool in_last_render = false;
    for (const auto& r : run.records()) {
        if (r.op() == "render") in_last_render = r.Str("page") == "Completion";
        if (in_last_render && r.op() == "text") {
            EXPECT_EQ(r.Str("color"), "#000000") << r.Str("text").value();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4u);
    EXPECT_EQ(run.frame().BackBuffer.dc.GetTextColor(), RGB(0, 0, 0));
}

TEST(PageFlow, RenderingAPageAgainGivesTheSamePixels) {
    const char* walks[] = {"", "click adjust; click 300,300", "click adjust; click 300,300; click next",
                           "click adjust; click 300,300; click next; click next; click next; click next"};
    for (const char* walk : walks) {
        auto once = Start("1024x768@60", walk);
        auto twice = Start("1024x768@60", std::string(walk) + (*walk ? "; " : "") + "mode 1024x768@60");
        EXPECT_EQ(once.screen().pixels(), twice.screen().pixels()) << walk;
    }
}

}  // namespace
