// The pitch and phase pages over the stripe pattern.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/app/pages_test_util.h"

namespace pages_test {
namespace {

struct StripeCase {
    WizardPage page;
    int w, h;
    const char* title;
    int titleY, titleFont, textFont;
    int x0;
    int y[4];  // Y1..Y4
    int ls;
    Rect boxes[4];
    BlitRecord icons[4];  // down arrow step 2, down arrow step 3, pitch/phase icon, up arrow
};

const StripeCase kStripeCases[] = {
    {WizardPage::Pitch,
     1024,
     768,
     " Adjusting Pitch ",
     37,
     48,
     26,
     35,
     {112, 176, 213, 573},
     26,
     {{20, 109, 1004, 269}, {20, 168, 1004, 209}, {20, 570, 1004, 603}, {0, 661, 1024, 768}},
     {{{449, 179, 16, 19}, {0, 0, 20, 26}, 143},
      {{417, 217, 16, 19}, {0, 0, 20, 26}, 143},
      {{696, 176, 34, 23}, {0, 0, 43, 31}, 144},
      {{322, 217, 19, 19}, {0, 0, 22, 27}, 145}}},
    {WizardPage::Pitch,
     640,
     480,
     " Adjusting Pitch ",
     23,
     30,
     16,
     22,
     {70, 110, 133, 358},
     16,
     {{12, 68, 628, 168}, {12, 105, 628, 130}, {12, 356, 628, 376}, {0, 413, 640, 480}},
     {{{266, 108, 19, 19}, {0, 0, 20, 26}, 143},
      {{244, 130, 19, 19}, {0, 0, 20, 26}, 143},
      {{425, 110, 21, 14}, {0, 0, 43, 31}, 144},
      {{187, 132, 19, 19}, {0, 0, 22, 27}, 145}}},
    {WizardPage::Phase,
     1024,
     768,
     " Adjusting Phase ",
     37,
     48,
     26,
     27,
     {112, 176, 213, 573},
     26,
     {{19, 109, 1001, 269}, {19, 168, 1001, 209}, {19, 570, 1001, 603}, {0, 661, 1024, 768}},
     {{{442, 179, 16, 19}, {0, 0, 20, 26}, 143},
      {{415, 217, 16, 19}, {0, 0, 20, 26}, 143},
      {{690, 175, 29, 21}, {0, 0, 37, 28}, 146},
      {{321, 217, 19, 19}, {0, 0, 22, 27}, 145}}},
    {WizardPage::Phase,
     640,
     480,
     " Adjusting Phase ",
     23,
     30,
     16,
     17,
     {70, 110, 133, 358},
     16,
     {{12, 68, 625, 168}, {12, 105, 625, 130}, {12, 356, 625, 376}, {0, 413, 640, 480}},
     {{{262, 108, 19, 19}, {0, 0, 20, 26}, 143},
      {{244, 132, 19, 19}, {0, 0, 20, 26}, 143},
      {{424, 110, 18, 13}, {0, 0, 37, 28}, 146},
      {{186, 132, 19, 19}, {0, 0, 22, 27}, 145}}},
};

TEST(StripePages, TitleStepsBoxesAndIconsAtKnownSizes) {
    for (const StripeCase& c : kStripeCases) {
        SCOPED_TRACE(testing::Message() << WizardPageName(c.page) << " " << c.w << "x" << c.h);
        PageView view = ShowPage(c.w, c.h, c.page);
        const auto texts = Texts(view.records);
        ASSERT_EQ(texts.size(), 11u);

        // Title, then the four labels, then the six body lines.
        EXPECT_EQ(texts[0].text, c.title);
        EXPECT_EQ(texts[0].y, c.titleY);
        EXPECT_EQ(texts[0].x, (c.w - texts[0].cx) / 2);
        EXPECT_EQ(texts[0].height, c.titleFont);
        EXPECT_EQ(texts[0].weight, 700);
        EXPECT_EQ(texts[0].bkmode, "opaque");
        for (int i = 0; i < 4; ++i) {
            const TextRecord& label = texts[1 + i];
            EXPECT_EQ(label.text, "Step " + std::to_string(i + 1) + ": ");
            EXPECT_EQ(label.x, c.x0);
            EXPECT_EQ(label.y, c.y[i]);
            EXPECT_EQ(label.height, c.textFont);
            EXPECT_EQ(label.weight, 700);
            EXPECT_EQ(label.bkmode, "transparent");
        }
        const int xt = c.x0 + texts[1].cx;
        const struct {
            int x, y;
        } body[6] = {{xt, c.y[0]}, {c.x0, c.y[0] + c.ls}, {xt, c.y[1]},
                     {xt, c.y[2]}, {c.x0, c.y[2] + c.ls}, {xt, c.y[3]}};
        for (int i = 0; i < 6; ++i) {
            const TextRecord& line = texts[5 + i];
            EXPECT_EQ(line.x, body[i].x) << line.text;
            EXPECT_EQ(line.y, body[i].y) << line.text;
            EXPECT_EQ(line.height, c.textFont);
            EXPECT_EQ(line.weight, 0);
            EXPECT_EQ(line.color, "#000000");
        }
        EXPECT_NE(texts[7].text.find(c.page == WizardPage::Pitch ? "scroll to        \"Pitch\""
                                                                 : "scroll to       \"Phase\""),
                  std::string::npos);

        const auto extents = WithOp(view.records, "extent");
        ASSERT_FALSE(extents.empty());
        EXPECT_EQ(extents.back()->Str("text"), "Step 1: ");

        const auto rects = WithOp(view.records, "rect");
        ASSERT_EQ(rects.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ToRect(*rects[i]->Ints("rect")), c.boxes[i]) << "box " << i;
            EXPECT_EQ(rects[i]->Str("brush"), "#ffffff");
            EXPECT_EQ(rects[i]->Object("pen")->Int("width"), 1);
        }

        const auto blits = Blits(view.records);
        ASSERT_EQ(blits.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(blits[i].dst, c.icons[i].dst) << "icon " << i;
            EXPECT_EQ(blits[i].src, c.icons[i].src) << "icon " << i;
            EXPECT_EQ(blits[i].bitmap, c.icons[i].bitmap) << "icon " << i;
        }
    }
}

// The icon classes above 2: sizes that hit or miss their sources by a pixel.
TEST(StripePages, IconRectanglesOfTheLargerClasses) {
    const struct {
        WizardPage page;
        int w, h;
        Rect icons[4];
    } cases[] = {
        {WizardPage::Pitch,
         1280,
         1024,
         {{578, 239, 20, 25}, {530, 289, 20, 25}, {897, 234, 43, 31}, {403, 289, 24, 26}}},
        {WizardPage::Phase,
         1280,
         1024,
         {{569, 239, 20, 26}, {529, 289, 20, 26}, {885, 233, 37, 28}, {403, 289, 24, 26}}},
        {WizardPage::Pitch,
         1920,
         1200,
         {{829, 286, 30, 30}, {764, 343, 30, 30}, {1282, 278, 64, 36}, {589, 343, 36, 30}}},
        {WizardPage::Phase,
         1920,
         1200,
         {{814, 286, 30, 30}, {764, 343, 30, 30}, {1267, 282, 55, 32}, {589, 343, 36, 30}}},
        // Class 5 holds for every larger mode.
        {WizardPage::Phase,
         3840,
         2160,
         {{1628, 516, 60, 54}, {1528, 617, 60, 54}, {2534, 507, 111, 59}, {1178, 617, 72, 54}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << WizardPageName(c.page) << " " << c.w << "x" << c.h);
        PageView view = ShowPage(c.w, c.h, c.page);
        const auto blits = Blits(view.records);
        ASSERT_EQ(blits.size(), 4u);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(blits[i].dst, c.icons[i]) << "icon " << i;
    }
}

TEST(StripePages, PhaseBoxesAreAsymmetricAtFullHd) {
    PageView view = ShowPage(1920, 1200, WizardPage::Phase);
    const auto texts = Texts(view.records);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1].x, 52);
    for (const Rect& r : Rects(view.records)) {
        if (r[0] == 0) continue;  // the button band
        EXPECT_EQ(r[0], 37);
        EXPECT_EQ(r[2], 1875);
    }
}

// The main test area lies between the steps frame and the step 4 box. On
// short class 1 screens step 3's second line reaches below the frame.
void ExpectStripesInTestArea(const PageView& view, int w) {
    const auto rects = Rects(view.records);
    ASSERT_EQ(rects.size(), 4u);
    int top = rects[0][3];
    const int bottom = rects[2][1];
    for (const TextRecord& t : Texts(view.records)) {
        if (t.y < bottom) top = std::max(top, t.y + t.cy);
    }
    ASSERT_LT(top, bottom);
    const gdi::Surface& s = *view.surface;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < w; ++x) {
            const gdi::Pixel want = x % 2 == 0 ? kBlack : kWhite;
            if (s.at(x, y) != want) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << s.at(x, y);
                return;
            }
        }
    }
}

TEST(StripePattern, EvenColumnsBlackOddWhiteInTheTestArea) {
    for (WizardPage page : {WizardPage::Pitch, WizardPage::Phase}) {
        for (auto [w, h] : {std::pair{1024, 768}, std::pair{641, 481}, std::pair{640, 480}}) {
            SCOPED_TRACE(testing::Message() << WizardPageName(page) << " " << w << "x" << h);
            PageView view = ShowPage(w, h, page);
            ExpectStripesInTestArea(view, w);
            // An odd width ends on an even, black column.
            if (w % 2 == 1) {
                EXPECT_EQ(view.surface->at(w - 1, h / 2), kBlack);
            }

            const auto lines = WithOp(view.records, "line");
            ASSERT_EQ(lines.size(), static_cast<std::size_t>(w / 2 + 1));
            EXPECT_EQ(lines.back()->Ints("from"), (std::vector<std::int64_t>{w - w % 2, 0}));
            EXPECT_EQ(lines.back()->Ints("to"), (std::vector<std::int64_t>{w - w % 2, h}));
            EXPECT_EQ(lines.front()->Object("pen")->Int("width"), 1);
        }
    }
}

// The title's cell, leading blank included, is cut white out of the stripes.
TEST(StripePattern, TitleStandsInAWhiteBand) {
    PageView view = ShowPage(1024, 768, WizardPage::Pitch);
    const auto texts = Texts(view.records);
    ASSERT_FALSE(texts.empty());
    const TextRecord& title = texts[0];
    const gdi::Surface& s = *view.surface;
    const int evenInside = (title.x + 2) & ~1;
    const int evenOutside = (title.x - 1) & ~1;
    for (int y = title.y; y < title.y + title.cy; ++y) {
        EXPECT_EQ(s.at(evenInside, y), kWhite) << "y " << y;
        EXPECT_EQ(s.at(evenOutside, y), kBlack) << "y " << y;
    }
}

}  // namespace
}  // namespace pages_test
