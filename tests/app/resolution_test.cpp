// The Resolution page: chart geometry, the mode comparison, the chart's hit
// test, and the display-mode change with every driver answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "display/recommended_modes.h"
#include "platform/ui/framework.h"
#include "tests/app/app_harness.h"

namespace {

using app_test::Start;

// Texts drawn since the last render record.
std::vector<const gdi::TraceObject*> TextsOfLastRender(const app_test::Run& run) {
    std::vector<const gdi::TraceObject*> texts;
    for (const auto& r : run.records()) {
        if (r.op() == "render") texts.clear();
        if (r.op() == "text") texts.push_back(&r);
    }
    return texts;
}

// The first (or last) text drawn with these characters.
const gdi::TraceObject* FindText(const std::vector<const gdi::TraceObject*>& texts, const std::string& s,
                                 bool last = false) {
    const gdi::TraceObject* found = nullptr;
    for (const auto* t : texts) {
        if (t->Str("text") != s) continue;
        found = t;
        if (!last) break;
    }
    return found;
}

// Texts of the last drawing of the mode box (a render or a new selection).
std::vector<const gdi::TraceObject*> PanelTexts(const app_test::Run& run) {
    std::vector<const gdi::TraceObject*> texts;
    for (const auto& r : run.records()) {
        if (r.op() != "text") continue;
        if (r.Str("text") == "Current Resolution:") texts.clear();
        texts.push_back(&r);
    }
    return texts;
}

TEST(SizeChart, GeometryAt1024x768And640x480) {
    auto big = Start("1024x768@60", "click adjust");
    const auto& c = big.frame().Chart;
    EXPECT_EQ(c.ChartLeftX, 284);
    EXPECT_EQ(c.ChartRightX, 400);
    const int tops[] = {291, 337, 384, 430, 476}, bottoms[] = {337, 384, 430, 476, 522};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(c.SizeRows[n], (RECT{284, tops[n], 400, bottoms[n]})) << n;
    EXPECT_EQ(c.ModeBox, (RECT{400, 291, 720, 522}));
    const auto texts = TextsOfLastRender(big);
    const auto* current = FindText(texts, "Current Resolution:");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->Int("y"), 299);
    EXPECT_EQ(current->Int("x"), 560 - current->Int("cx").value() / 2);
    EXPECT_EQ(FindText(texts, "Recommended Resolution:")->Int("y"), 392);
    EXPECT_EQ(FindText(texts, "1024 X 768 @ 60 hz")->Int("y"), 336);
    EXPECT_EQ(FindText(texts, "Size not selected")->Int("y"), 429);
    // A row's label sits at 31.3% of the width, centred on the row: row 3 spans y 384 to 430.
    const auto* label = FindText(texts, "17\"");
    EXPECT_EQ(label->Int("x"), 320);
    EXPECT_EQ(label->Int("y"), 407 - label->Int("cy").value() / 2);
    EXPECT_EQ(FindText(texts, "Step 2: ")->Int("y"), 153);
    EXPECT_EQ(FindText(texts, "Choose Your")->Int("x"), 102);
    EXPECT_EQ(FindText(texts, "Display Size")->Int("y"), 376);
    EXPECT_EQ(FindText(texts, "Adjusting Resolution")->Int("height"), 48);

    auto small = Start("640x480@60", "click adjust");
    const auto& s = small.frame().Chart;
    const int stops[] = {182, 211, 240, 268, 297}, sbottoms[] = {211, 240, 268, 297, 326};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(s.SizeRows[n].top, stops[n]) << n;
    for (int n = 0; n < 5; ++n) EXPECT_EQ(s.SizeRows[n].bottom, sbottoms[n]) << n;
    EXPECT_EQ(s.ModeBox, (RECT{250, 182, 450, 326}));
    EXPECT_EQ(FindText(TextsOfLastRender(small), "Adjusting Resolution")->Int("height"), 32);

    // At 800 pixels the chart's edges fall on fractions, which are dropped.
    auto odd = Start("800x600@60", "click adjust");
    EXPECT_EQ(odd.frame().Chart.ChartLeftX, 221);
    EXPECT_EQ(odd.frame().Chart.ChartRightX, 312);
    // Every row is drawn, each as a box.
    std::vector<std::optional<std::vector<std::int64_t>>> boxes;
    for (const auto* r : odd.WithOp("rect")) boxes.push_back(r->Ints("rect"));
    for (const RECT& row : odd.frame().Chart.SizeRows) {
        const std::optional<std::vector<std::int64_t>> box{{row.left, row.top, row.right, row.bottom}};
        EXPECT_NE(std::find(boxes.begin(), boxes.end(), box), boxes.end()) << row.top;
    }
}

TEST(ModeComparison, TheCasesThatDecideGreenOrRed) {
    struct Case {
        const char* mode;
        const char* steps;
        const char* current;
        const char* recommended;
        bool matches;
    };
    const Case cases[] = {
        {"1024x768@60", "click adjust", "1024 X 768 @ 60 hz", "Size not selected", false},
        {"1280x1024@75", "click adjust; click 420,540", "1280 X 1024 @ 75 hz", "1280 X 1024 @ 60 hz", false},
        {"1280x1024@1", "click adjust; click 420,540", "1280 X 1024", "1280 X 1024", true},
        {"1024x768@60/16", "click adjust; click 300,300", "1024 X 768 @ 60 hz", "1024 X 768 @ 60 hz", true},
        {"1024x768@50", "click adjust; click 300,300", "1024 X 768", "1024 X 768", true},
    };
    for (const Case& c : cases) {
        auto run = Start(c.mode, c.steps);
        CMainFrame& f = run.frame();
        const auto texts = PanelTexts(run);
        const auto* current = FindText(texts, c.current);
        const auto* recommended = FindText(texts, c.recommended, true);
        ASSERT_NE(current, nullptr) << c.mode;
        ASSERT_NE(recommended, nullptr) << c.mode;
        EXPECT_EQ(current->Str("color"), c.matches ? "#00b400" : "#c80000") << c.mode;
        EXPECT_EQ(recommended->Str("color"), "#0000ff") << c.mode;
        EXPECT_EQ(f.ModeMatchesRecommendation, c.matches) << c.mode;
        const bool selected = f.PanelSize != -1;
        EXPECT_EQ(f.ChangeResolutionButton.IsWindowVisible() != 0, selected && !c.matches) << c.mode;
        EXPECT_EQ(f.NextButton.IsWindowEnabled() != 0, selected) << c.mode;
    }
}

TEST(ModeTexts, AreBuiltWithoutFixedBuffers) {
    EXPECT_EQ(CurrentModeText(-2147483647 - 1, 2147483647, 2147483647),
              "-2147483648 X 2147483647 @ 2147483647 hz");
    EXPECT_EQ(CurrentModeText(0, 0, 51), "0 X 0 @ 51 hz");
    EXPECT_EQ(RecommendedModeText(0, 60), "Size not selected");
    EXPECT_EQ(RecommendedModeText(6, 60), "Size not selected");
    EXPECT_EQ(RecommendedModeText(5, 0), "1280 X 1024");
}

TEST(ChartHits, EdgesOtherPagesAndRepeatedRows) {
    // x = 284 and x = 400 are outside; y = 522 is below the last row.
    auto edges =
        Start("1024x768@60", "click adjust; click 284,300; click 400,300; click 300,522; click 300,100");
    EXPECT_EQ(edges.frame().PanelSize, -1);
    EXPECT_FALSE(edges.frame().NextButton.IsWindowEnabled());

    auto corner = Start("1024x768@60", "click adjust; click 285,291");
    EXPECT_EQ(corner.frame().PanelSize, 1);

    auto elsewhere = Start("1024x768@60", "click 300,420");
    EXPECT_EQ(elsewhere.frame().PanelSize, -1) << "the chart only answers on its page";

    // The selected row again: nothing is drawn and nothing invalidated.
    auto again = Start("1024x768@60", "click adjust; click 300,420");
    const std::size_t records = again.records().size();
    const int presents = again.session->host().presents();
    again.session->host().PushClick(300, 425);
    ui::RunMessageLoop();
    EXPECT_EQ(again.records().size(), records);
    EXPECT_EQ(again.session->host().presents(), presents);
    EXPECT_TRUE(again.frame().NextButton.IsWindowEnabled());

    // A new row redraws only the chart: no page render, no page clear.
    again.session->host().PushClick(300, 300);
    ui::RunMessageLoop();
    EXPECT_EQ(again.frame().PanelSize, 1);
    for (std::size_t i = records; i < again.records().size(); ++i) {
        EXPECT_NE(again.records()[i].op(), "render");
        EXPECT_NE(again.records()[i].op(), "fill");
    }

    // The choice survives a trip through other pages.
    auto trip =
        Start("1024x768@60",
              "click adjust; click 300,420; click next; answer yes; click next; click back; click back");
    EXPECT_EQ(trip.frame().CurrentPage, WizardPage::Resolution);
    EXPECT_EQ(trip.frame().PanelSize, 3);
    EXPECT_TRUE(trip.frame().NextButton.IsWindowEnabled());
    const auto rects = trip.WithOp("rect");
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects.back()->Str("brush"), "#0000ff") << "the highlighted row is drawn last";
}

std::vector<const gdi::TraceObject*> Tests(const app_test::Run& run, const char* call) {
    std::vector<const gdi::TraceObject*> out;
    for (const auto* d : run.WithOp("display")) {
        if (d->Str("call") == call) out.push_back(d);
    }
    return out;
}

TEST(ModeChange, DriverAcceptsThirtyTwoOrSixteenBits) {
    auto run = Start("1024x768@60", "click adjust; click 300,420; click change");
    const auto tests = Tests(run, "test"), sets = Tests(run, "set");
    ASSERT_EQ(tests.size(), 1u);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(tests[0]->ToJson(),
              R"({"op":"display","call":"test","width":1280,"height":1024,"refresh":60,"bpp":32,)"
              R"("fields":"0x5c0000","result":0})");
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.ScreenMetrics.W, 1280) << "rebuilt by the driver's notification";
    EXPECT_TRUE(f.ModeMatchesRecommendation);
    EXPECT_FALSE(f.ChangeResolutionButton.IsWindowVisible());
    const auto* current = FindText(TextsOfLastRender(run), "1280 X 1024 @ 60 hz");
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(run.WithOp("render").back()->Str("page"), "Resolution");

    snapshot::Options sixteen;
    sixteen.accept = std::vector<screen::DisplayMode>{{1280, 1024, 60, 16}};
    auto second =
        Start("1024x768@60", "click adjust; click 300,420; click change", "corvane-adjust", sixteen);
    ASSERT_EQ(Tests(second, "test").size(), 2u);
    EXPECT_EQ(Tests(second, "test")[1]->Int("bpp"), 16);
    EXPECT_EQ(second.session->driver().Current(), (screen::DisplayMode{1280, 1024, 60, 16}));
    EXPECT_TRUE(second.WithOp("messagebox").empty());
}

TEST(ModeChange, EachPanelSizeAsksForItsModeAndStaysHighlighted) {
    // At 800x600 the chart's rows start at y = 228, 264, 300, 336 and 372.
    const int tops[] = {228, 264, 300, 336, 372};
    const int widths[] = {1024, 1280, 1280, 1280, 1280}, heights[] = {768, 1024, 1024, 1024, 1024};
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        auto run = Start("800x600@60",
                         "click adjust; click 250," + std::to_string(tops[n - 1] + 10) + "; click change");
        CMainFrame& f = run.frame();
        EXPECT_EQ(f.PanelSize, n);
        const auto tests = Tests(run, "test");
        ASSERT_EQ(tests.size(), 1u);
        EXPECT_EQ(tests[0]->Int("width"), widths[n - 1]);
        EXPECT_EQ(tests[0]->Int("height"), heights[n - 1]);
        EXPECT_EQ(tests[0]->Int("refresh"), 60);
        EXPECT_EQ(tests[0]->Int("bpp"), 32);
        EXPECT_EQ(f.ScreenMetrics.W, widths[n - 1]);
        // The chart drawn again at the new mode: the chosen row's dotted inset is the last blue box.
        const RECT& row = f.Chart.SizeRows[n - 1];
        const gdi::TraceObject* inset = nullptr;
        for (const auto* r : run.WithOp("rect")) {
            if (r->Str("brush") == "#0000ff") inset = r;
        }
        ASSERT_NE(inset, nullptr);
        EXPECT_EQ(inset->Ints("rect"),
                  (std::vector<std::int64_t>{row.left + 3, row.top + 3, row.right - 3, row.bottom - 3}));
    }
}

TEST(ModeChange, RejectionsShowTheMessageOfTheLastCode) {
    struct Case {
        std::vector<int> codes;
        const char* text;
    };
    const Case cases[] = {
        {{-2}, "The graphics mode is not supported by the computer or video card."},
        {{1}, "The computer must be restarted in order for the graphics mode to work."},
        {{-1}, "The display driver failed the specified graphics mode."},
        {{-3}, "Unable to write settings to the registry."},
        {{-4}, "An invalid set of flags was passed in."},
        {{-5},
         "An invalid parameter was passed in. This can include an invalid flag or combination of flags."},
        {{-6}, "Default Message: Unable to change settings. Contact your system administrator"},
        {{12345}, "Default Message: Unable to change settings. Contact your system administrator"},
        {{-1, -1, -1, -2}, "The graphics mode is not supported by the computer or video card."},
        {{-2, 1, -5, -1}, "The display driver failed the specified graphics mode."},
    };
    for (const Case& c : cases) {
        snapshot::Options options;
        options.accept = std::vector<screen::DisplayMode>{};
        options.reject = c.codes;
        auto run = Start("1024x768@60", "click adjust; click 300,420; click change; answer ok",
                         "corvane-adjust", options);
        const auto tests = Tests(run, "test");
        ASSERT_EQ(tests.size(), 4u);
        const int depths[] = {32, 16, 8, 4};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(tests[static_cast<std::size_t>(i)]->Int("bpp"), depths[i]);
        EXPECT_TRUE(Tests(run, "set").empty());
        const auto boxes = run.WithOp("messagebox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]->Str("text"), c.text);
        EXPECT_EQ(boxes[0]->Int("flags"), MB_OK | MB_ICONEXCLAMATION);
        CMainFrame& f = run.frame();
        EXPECT_EQ(f.ScreenMetrics.W, 1024);
        EXPECT_TRUE(f.ChangeResolutionButton.IsWindowVisible());
        EXPECT_FALSE(f.ModeMatchesRecommendation);
    }
}

TEST(ModeChange, AChangeRefusedAfterAPassingTestShowsItsMessage) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {-1, "The display driver failed the specified graphics mode."},
        {-2, "The graphics mode is not supported by the computer or video card."},
        {1, "The computer must be restarted in order for the graphics mode to work."},
        {-3, "Unable to write settings to the registry."},
    };
    for (const Case& c : cases) {
        snapshot::Options options;
        options.fail_apply = c.code;
        auto run = Start("1024x768@60", "click adjust; click 300,420; click change; answer ok",
                         "corvane-adjust", options);
        // One passing test, one refused set, and no further depths tried.
        ASSERT_EQ(Tests(run, "test").size(), 1u);
        EXPECT_EQ(Tests(run, "test")[0]->Int("result"), 0);
        const auto sets = Tests(run, "set");
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(sets[0]->Int("result"), c.code);
        const auto boxes = run.WithOp("messagebox");
        ASSERT_EQ(boxes.size(), 1u) << c.code;
        EXPECT_EQ(boxes[0]->Str("text"), c.text);
        EXPECT_EQ(boxes[0]->Int("flags"), MB_OK | MB_ICONEXCLAMATION);
        CMainFrame& f = run.frame();
        EXPECT_EQ(f.ScreenMetrics.W, 1024);
        EXPECT_EQ(run.session->driver().Current(), (screen::DisplayMode{1024, 768, 60, 32}));
        EXPECT_TRUE(f.ChangeResolutionButton.IsWindowVisible());
    }
}

TEST(ModeChange, StrayCommandsAndOddScreensAreHarmless) {
    // Command 4 with no size selected: nothing is tested or changed.
    auto run = Start("1024x768@60", "click adjust");
    run.frame().SendMessage(WM_COMMAND, MAKEWPARAM(4, BN_CLICKED), 0);
    EXPECT_TRUE(run.session->driver().calls().empty());
    EXPECT_TRUE(run.WithOp("messagebox").empty());

    // A 0 x 0 screen still runs the page, its chart and a change.
    auto empty = Start("0x0@0", "click adjust; click 0,0");
    ASSERT_NE(empty.session->frame(), nullptr);
    EXPECT_EQ(empty.frame().Chart.ModeBox, (RECT{0, 0, 0, 0}));
    empty.frame().PanelSize = 2;
    empty.frame().SendMessage(WM_COMMAND, MAKEWPARAM(4, BN_CLICKED), 0);
    ui::PumpUntilIdle();
    EXPECT_EQ(empty.frame().ScreenMetrics.W, 1280);
}

TEST(ModeChange, AStormOfChangesEndsAtTheLastMode) {
    std::string steps = "click adjust; click 300,420";
    for (int i = 0; i < 100; ++i) steps += i % 2 ? "; mode 1024x768@60" : "; mode 800x600@75";
    steps += "; mode 1280x1024@60";
    auto run = Start("1024x768@60", steps);
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.ScreenMetrics.W, 1280);
    EXPECT_TRUE(f.ModeMatchesRecommendation);
    EXPECT_EQ(f.BackBuffer.dc.surface()->width(), 1280);
    EXPECT_EQ(ui::LiveWindowCount(), 7u);
}

}  // namespace
