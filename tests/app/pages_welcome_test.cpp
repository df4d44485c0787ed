// The welcome and completion pages at the screen sizes whose positions are
// known by heart.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/app/pages_test_util.h"

namespace pages_test {
namespace {

struct WelcomeCase {
    int w, h;
    Rect banner;  // x, y, width, height
    int bodyFont;
    int bodyY[5];
    int versionFont;
    int versionX, versionY;
};

const WelcomeCase kWelcome[] = {
    {1024, 768, {270, 74, 482, 86}, 48, {224, 315, 361, 407, 487}, 20, 5, 744},
    {640, 480, {168, 46, 301, 53}, 32, {140, 197, 225, 254, 304}, 10, 3, 465},
    {1280, 1024, {337, 99, 602, 114}, 56, {299, 420, 481, 542, 649}, 28, 6, 993},
    {800, 600, {211, 58, 376, 67}, 36, {175, 246, 282, 318, 380}, 14, 4, 582},
};

TEST(WelcomePage, BannerBodyAndVersionAtKnownSizes) {
    for (const WelcomeCase& c : kWelcome) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        PageView view = ShowPage(c.w, c.h, WizardPage::Welcome);

        const auto blits = Blits(view.records);
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].dst, c.banner);
        EXPECT_EQ(blits[0].src, (Rect{0, 0, 617, 116}));
        EXPECT_EQ(blits[0].bitmap, 130);

        const auto texts = Texts(view.records);
        ASSERT_EQ(texts.size(), 6u);
        EXPECT_EQ(texts[2].text, "Corvane Flat Panel LCD, we strongly suggest that ");
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(texts[i].y, c.bodyY[i]) << texts[i].text;
            EXPECT_EQ(texts[i].x, (c.w - texts[i].cx) / 2) << texts[i].text;
            EXPECT_EQ(texts[i].height, c.bodyFont);
            EXPECT_EQ(texts[i].weight, 0);
        }
        EXPECT_EQ(texts[5].text, "Version: 2.91");
        EXPECT_EQ(texts[5].x, c.versionX);
        EXPECT_EQ(texts[5].y, c.versionY);
        EXPECT_EQ(texts[5].height, c.versionFont);
        for (const TextRecord& t : texts) {
            EXPECT_EQ(t.color, "#000000");
            EXPECT_EQ(t.bkmode, "transparent");
        }

        // The banner is drawn first, right after the page is cleared.
        ASSERT_GE(view.records.size(), 2u);
        EXPECT_EQ(view.records[0].op(), "fill");
        EXPECT_EQ(view.records[1].op(), "blit");
    }
}

struct CompletionCase {
    int w, h;
    Rect frame;
    int font;
    int y[4];
};

const CompletionCase kCompletion[] = {
    {1024, 768, {143, 149, 879, 449}, 42, {187, 232, 277, 374}},
    {640, 480, {89, 93, 549, 281}, 28, {117, 145, 173, 234}},
    {1280, 1024, {179, 199, 1099, 599}, 56, {249, 310, 370, 499}},
    {800, 600, {112, 117, 687, 351}, 34, {146, 181, 216, 292}},
};

TEST(CompletionPage, FrameAndLinesAtKnownSizes) {
    for (const CompletionCase& c : kCompletion) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        PageView view = ShowPage(c.w, c.h, WizardPage::Completion);

        const auto rects = WithOp(view.records, "rect");
        ASSERT_EQ(rects.size(), 1u);
        EXPECT_EQ(ToRect(*rects[0]->Ints("rect")), c.frame);
        EXPECT_EQ(rects[0]->Str("brush"), "#ffffff");
        EXPECT_EQ(rects[0]->Object("pen")->Int("width"), 1);
        EXPECT_EQ(rects[0]->Object("pen")->Str("color"), "#000000");

        const auto texts = Texts(view.records);
        ASSERT_EQ(texts.size(), 4u);
        EXPECT_EQ(texts[0].text, "Congratulations!!!  You have optimized the");
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(texts[i].y, c.y[i]) << texts[i].text;
            EXPECT_EQ(texts[i].x, (c.w - texts[i].cx) / 2) << texts[i].text;
            EXPECT_EQ(texts[i].height, c.font);
            EXPECT_EQ(texts[i].weight, i == 3 ? 700 : 0);
            EXPECT_EQ(texts[i].color, "#000000");
        }

        // Outline on the last column and row inside the frame, white inside.
        const gdi::Surface& s = *view.surface;
        EXPECT_EQ(s.at(c.frame[0], c.frame[1] + 5), kBlack);
        EXPECT_EQ(s.at(c.frame[2] - 1, c.frame[1] + 5), kBlack);
        EXPECT_EQ(s.at(c.frame[2], c.frame[1] + 5), kWhite);
        EXPECT_EQ(s.at(c.frame[0] + 5, c.frame[3] - 1), kBlack);
        EXPECT_EQ(s.at(c.frame[0] + 5, c.frame[3]), kWhite);
    }
}

// The fonts the start asks the font set-up to have ready are the ones the
// page draws with, with every character drawn in each.
TEST(WelcomePage, FontsPreparedAtStartAreTheOnesItDraws) {
    const std::pair<int, int> sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        PageView view = ShowPage(w, h, WizardPage::Welcome);
        const auto prepared = view.frame->WelcomePageTexts();
        const auto texts = Texts(view.records);
        ASSERT_FALSE(texts.empty());
        for (const TextRecord& t : texts) {
            bool found = false;
            for (const auto& [font, chars] : prepared) {
                if (font.lfHeight != t.height || font.lfWeight != t.weight) continue;
                found = std::all_of(t.text.begin(), t.text.end(),
                                    [&chars](char c) { return chars.find(c) != std::string::npos; });
                if (found) break;
            }
            EXPECT_TRUE(found) << "\"" << t.text << "\" at height " << t.height << " is not prepared";
        }
    }
}

}  // namespace
}  // namespace pages_test
