// The picture centering page and its green border.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/pages_test_util.h"

namespace pages_test {
namespace {

struct CenteringCase {
    int w, h;
    int titleY, titleFont, textFont;
    int x0;
    int y[5];  // Y1..Y5
    int ls;
    Rect icons[5];  // down arrow step 2, down arrow step 3, H-Center, V-Center, up arrow
};

const CenteringCase kCentering[] = {
    {1024,
     768,
     23,
     48,
     26,
     71,
     {76, 145, 215, 545, 614},
     29,
     {{449, 148, 16, 19}, {544, 217, 16, 19}, {678, 140, 44, 24}, {384, 541, 44, 24}, {448, 217, 19, 19}}},
    {640,
     480,
     14,
     30,
     16,
     44,
     {48, 91, 134, 340, 384},
     18,
     {{268, 86, 19, 19}, {320, 129, 19, 19}, {414, 88, 28, 15}, {232, 337, 28, 15}, {261, 131, 19, 19}}},
    {800,
     600,
     18,
     34,
     20,
     56,
     {60, 114, 168, 426, 480},
     23,
     {{354, 114, 16, 18}, {418, 168, 16, 18}, {534, 110, 35, 19}, {300, 423, 35, 19}, {342, 170, 16, 18}}},
    {1280,
     1024,
     30,
     56,
     34,
     89,
     {102, 194, 286, 727, 819},
     39,
     {{581, 198, 20, 26}, {686, 289, 20, 26}, {872, 187, 56, 32}, {492, 721, 56, 32}, {563, 289, 24, 26}}},
    {1920,
     1200,
     36,
     72,
     50,
     134,
     {120, 228, 336, 852, 960},
     46,
     {{833, 237, 30, 30}, {998, 345, 30, 30}, {1242, 228, 84, 38}, {710, 852, 84, 38}, {823, 345, 36, 30}}},
};

TEST(CenteringPage, TitleStepsAndIconsAtKnownSizes) {
    const int kSlots[5] = {143, 143, 147, 172, 145};
    const Rect kSources[5] = {{0, 0, 20, 26}, {0, 0, 20, 26}, {0, 0, 56, 33}, {0, 0, 56, 33}, {0, 0, 22, 27}};
    for (const CenteringCase& c : kCentering) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        PageView view = ShowPage(c.w, c.h, WizardPage::Centering);
        const auto texts = Texts(view.records);
        ASSERT_EQ(texts.size(), 15u);

        EXPECT_EQ(texts[0].text, "Picture Centering");
        EXPECT_EQ(texts[0].y, c.titleY);
        EXPECT_EQ(texts[0].x, (c.w - texts[0].cx) / 2);
        EXPECT_EQ(texts[0].height, c.titleFont);
        EXPECT_EQ(texts[0].weight, 700);
        for (int i = 0; i < 5; ++i) {
            const TextRecord& label = texts[1 + i];
            EXPECT_EQ(label.text, "Step " + std::to_string(i + 1) + ": ");
            EXPECT_EQ(label.x, c.x0);
            EXPECT_EQ(label.y, c.y[i]);
            EXPECT_EQ(label.height, c.textFont);
            EXPECT_EQ(label.weight, 700);
        }
        // First lines after the label, continuation lines under it; step 5 has none.
        const int xt = c.x0 + texts[1].cx;
        const struct {
            int x, y;
        } body[9] = {{xt, c.y[0]},          {c.x0, c.y[0] + c.ls}, {xt, c.y[1]},
                     {c.x0, c.y[1] + c.ls}, {xt, c.y[2]},          {c.x0, c.y[2] + c.ls},
                     {xt, c.y[3]},          {c.x0, c.y[3] + c.ls}, {xt, c.y[4]}};
        for (int i = 0; i < 9; ++i) {
            const TextRecord& line = texts[6 + i];
            EXPECT_EQ(line.x, body[i].x) << line.text;
            EXPECT_EQ(line.y, body[i].y) << line.text;
            EXPECT_EQ(line.height, c.textFont);
            EXPECT_EQ(line.weight, 0);
            EXPECT_EQ(line.color, "#000000");
            EXPECT_EQ(line.bkmode, "transparent");
        }
        EXPECT_EQ(texts[10].text.back(), ' ');  // step 3's first line ends in a blank

        const auto blits = Blits(view.records);
        ASSERT_EQ(blits.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(blits[i].dst, c.icons[i]) << "icon " << i;
            EXPECT_EQ(blits[i].src, kSources[i]) << "icon " << i;
            EXPECT_EQ(blits[i].bitmap, kSlots[i]) << "icon " << i;
        }
        EXPECT_TRUE(WithOp(view.records, "rect").empty());
    }
}

TEST(BorderPattern, FourGreenLinesAlongTheEdges) {
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{641, 481}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        PageView view = ShowPage(w, h, WizardPage::Centering);
        const auto lines = WithOp(view.records, "line");
        ASSERT_EQ(lines.size(), 4u);
        const struct {
            int width;
            std::vector<std::int64_t> from, to;
        } want[4] = {{6, {1, 1}, {1, h}},
                     {6, {w - 1, h}, {w - 1, 1}},
                     {7, {1, 1}, {w, 1}},
                     {7, {1, h - 1}, {w, h - 1}}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(lines[i]->Ints("from"), want[i].from) << "line " << i;
            EXPECT_EQ(lines[i]->Ints("to"), want[i].to) << "line " << i;
            EXPECT_EQ(lines[i]->Object("pen")->Int("width"), want[i].width) << "line " << i;
            EXPECT_EQ(lines[i]->Object("pen")->Str("color"), "#00ff00") << "line " << i;
        }

        // The bands that show: columns 0..3 and W-4..W-1, rows 0..4 and H-4..H-1.
        const gdi::Surface& s = *view.surface;
        const int midX = w / 2 + 1, midY = h / 2;
        for (int x = 0; x <= 3; ++x) EXPECT_EQ(s.at(x, midY), kGreen) << "x " << x;
        EXPECT_EQ(s.at(4, midY), kWhite);
        for (int x = w - 4; x < w; ++x) EXPECT_EQ(s.at(x, midY), kGreen) << "x " << x;
        EXPECT_EQ(s.at(w - 5, midY), kWhite);
        for (int y = 0; y <= 4; ++y) EXPECT_EQ(s.at(midX, y), kGreen) << "y " << y;
        EXPECT_EQ(s.at(midX, 5), kWhite);
        for (int y = h - 4; y < h; ++y) EXPECT_EQ(s.at(midX, y), kGreen) << "y " << y;
        EXPECT_EQ(s.at(midX, h - 5), kWhite);
    }
}

}  // namespace
}  // namespace pages_test
