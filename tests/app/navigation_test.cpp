// The wizard's buttons: their places, which of them each page shows, and the
// way through the pages, with the confirmation on the Resolution page.
#include <gtest/gtest.h>

#include "tests/app/app_harness.h"

namespace {

using app_test::Start;
using app_test::WindowRect;

struct Visibility {
    bool adjust, back, next, quit, finish, change;
};

Visibility Visible(CMainFrame& f) {
    return {f.AdjustButton.IsWindowVisible() != 0, f.BackButton.IsWindowVisible() != 0,
            f.NextButton.IsWindowVisible() != 0,   f.QuitButton.IsWindowVisible() != 0,
            f.FinishButton.IsWindowVisible() != 0, f.ChangeResolutionButton.IsWindowVisible() != 0};
}

void ExpectVisible(CMainFrame& f, Visibility want, const char* where) {
    const Visibility got = Visible(f);
    EXPECT_EQ(got.adjust, want.adjust) << where;
    EXPECT_EQ(got.back, want.back) << where;
    EXPECT_EQ(got.next, want.next) << where;
    EXPECT_EQ(got.quit, want.quit) << where;
    EXPECT_EQ(got.finish, want.finish) << where;
    EXPECT_EQ(got.change, want.change) << where;
}

TEST(Buttons, PlacesAt1024x768And640x480) {
    struct Case {
        const char* mode;
        RECT adjust, back, next, quit, finish, change;
    };
    const Case cases[] = {
        {"1024x768@60",
         {421, 692, 599, 740},
         {102, 692, 246, 739},
         {776, 692, 920, 739},
         {776, 692, 922, 741},
         {439, 692, 585, 741},
         {339, 692, 684, 741}},
        {"640x480@60",
         {263, 432, 374, 462},
         {64, 432, 154, 461},
         {485, 432, 575, 461},
         {485, 432, 576, 462},
         {275, 432, 366, 462},
         {212, 432, 428, 462}},
    };
    for (const Case& c : cases) {
        auto run = Start(c.mode);
        CMainFrame& f = run.frame();
        EXPECT_EQ(WindowRect(f.AdjustButton), c.adjust) << c.mode;
        EXPECT_EQ(WindowRect(f.BackButton), c.back) << c.mode;
        EXPECT_EQ(WindowRect(f.NextButton), c.next) << c.mode;
        EXPECT_EQ(WindowRect(f.QuitButton), c.quit) << c.mode;
        EXPECT_EQ(WindowRect(f.FinishButton), c.finish) << c.mode;
        EXPECT_EQ(WindowRect(f.ChangeResolutionButton), c.change) << c.mode;
    }
}

TEST(Navigation, EachPageShowsItsButtonsAlongTheWholeWizard) {
    auto run = Start("1024x768@60");
    CMainFrame& f = run.frame();
    ASSERT_EQ(f.CurrentPage, WizardPage::Welcome);
    ExpectVisible(f, {true, false, false, true, false, false}, "Welcome");
    EXPECT_EQ(f.GetStyle() & (WS_CAPTION | WS_THICKFRAME), 0u);
    EXPECT_EQ(f.GetExStyle() & WS_EX_CLIENTEDGE, 0u);

    auto walk =
        Start("1024x768@60",
              "click adjust; click 300,400; click next; answer yes; click next; click next; click next");
    CMainFrame& g = walk.frame();
    EXPECT_EQ(g.CurrentPage, WizardPage::Completion);
    ExpectVisible(g, {false, true, false, false, true, false}, "Completion");

    // Back all the way, checking each page on the way.
    const WizardPage back_order[] = {WizardPage::Centering, WizardPage::Phase, WizardPage::Pitch,
                                     WizardPage::Resolution, WizardPage::Welcome};
    std::string steps =
        "click adjust; click 300,400; click next; answer yes; click next; click next; click next";
    for (WizardPage page : back_order) {
        steps += "; click back";
        auto r = Start("1024x768@60", steps);
        CMainFrame& h = r.frame();
        EXPECT_EQ(h.CurrentPage, page) << steps;
        if (page == WizardPage::Resolution) {
            EXPECT_TRUE(h.NextButton.IsWindowEnabled()) << "a size was picked";
            ExpectVisible(h, {false, true, true, false, false, true}, "Resolution, 17 inches at 1024 x 768");
        } else if (page != WizardPage::Welcome) {
            ExpectVisible(h, {false, true, true, false, false, false}, WizardPageName(page));
        } else {
            ExpectVisible(h, {true, false, false, true, false, false}, "Welcome again");
        }
    }
}

TEST(Navigation, NextStaysDisabledWithoutASizeAndCannotBePressed) {
    auto run = Start("1024x768@60", "click adjust; click next; click back; click adjust; click next");
    CMainFrame& f = run.frame();
    EXPECT_EQ(f.CurrentPage, WizardPage::Resolution);
    EXPECT_FALSE(f.NextButton.IsWindowEnabled());
    EXPECT_TRUE(run.WithOp("messagebox").empty()) << "a disabled Next asks nothing";
}

TEST(Navigation, TheConfirmationGuardsTheResolutionPage) {
    // 17 inches at 1024 x 768: the mode is not the recommended one.
    auto no = Start("1024x768@60", "click adjust; click 300,420; click next; answer no");
    EXPECT_EQ(no.frame().CurrentPage, WizardPage::Resolution);
    auto boxes = no.WithOp("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Str("text"),
              "We strongly suggest that you continue adjustment using the recommended resolution. \n"
              "Are you sure you would like to continue using the current settings?");
    EXPECT_EQ(boxes[0]->Int("flags"), MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[0]->Str("answer"), "no");
    EXPECT_EQ(no.WithOp("render").size(), 3u) << "Welcome, Resolution, and Resolution again after No";

    auto again = Start("1024x768@60",
                       "click adjust; click 300,420; click next; answer no; click next; answer yes; "
                       "click back; click next; answer yes");
    EXPECT_EQ(again.frame().CurrentPage, WizardPage::Pitch);
    EXPECT_EQ(again.WithOp("messagebox").size(), 3u) << "asked each time the page is left";

    // The recommended mode: Next goes on without a question.
    auto match = Start("1024x768@60", "click adjust; click 300,300; click next");
    EXPECT_EQ(match.frame().CurrentPage, WizardPage::Pitch);
    EXPECT_TRUE(match.WithOp("messagebox").empty());
}

TEST(Navigation, QuitAndFinishEndTheProgramWithoutTouchingTheMode) {
    auto quit = Start("1024x768@60", "click quit");
    EXPECT_EQ(quit.status, snapshot::kDone);
    EXPECT_EQ(quit.session->frame(), nullptr);
    EXPECT_TRUE(quit.session->driver().calls().empty());

    auto early = Start("1024x768@60", "click quit; click adjust");
    EXPECT_EQ(early.status, snapshot::kEndedEarly);

    auto finish =
        Start("1024x768@60",
              "click adjust; click 300,300; click next; click next; click next; click next; click finish");
    EXPECT_EQ(finish.status, snapshot::kDone);
    EXPECT_EQ(finish.session->frame(), nullptr);
    EXPECT_EQ(finish.session->driver().Current(), (screen::DisplayMode{1024, 768, 60, 32}));
}

TEST(Navigation, BoxCaptionIsTheExecutableNameWithoutDirectoryOrExtension) {
    auto run = Start("1024x768@60", "click adjust; click 300,420; click next; answer no",
                     "/opt/tools/lcd-adjust.bin");
    auto boxes = run.WithOp("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Str("caption"), "lcd-adjust");
}

// The same script with every answer moved before the step that opens its box.
std::string AnswersFirst(const std::string& steps) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = steps.find("; ", start)) != std::string::npos; start = end + 2)
        parts.push_back(steps.substr(start, end - start));
    parts.push_back(steps.substr(start));
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].rfind("answer ", 0) == 0) std::swap(parts[i - 1], parts[i]);
    }
    std::string joined;
    for (const std::string& p : parts) joined += (joined.empty() ? "" : "; ") + p;
    return joined;
}

struct Outcome {
    int status = -1;
    std::size_t boxes = 0;
    std::vector<std::string> trace;
};

// Runs a script to its end and lets the program go before the next run.
Outcome RunScript(const std::string& steps, const snapshot::Options& options = {}) {
    auto run = Start("1024x768@60", steps, "corvane-adjust", options);
    Outcome outcome{run.status, run.WithOp("messagebox").size(), {}};
    run.session->RecordFinalState();
    for (const auto& record : run.records()) outcome.trace.push_back(record.ToJson());
    return outcome;
}

void ExpectSameTrace(const Outcome& a, const Outcome& b, const std::string& what) {
    std::size_t i = 0;
    while (i < a.trace.size() && i < b.trace.size() && a.trace[i] == b.trace[i]) ++i;
    EXPECT_EQ(a.trace.size(), b.trace.size()) << what;
    if (i < a.trace.size() && i < b.trace.size())
        ADD_FAILURE() << what << "\nrecord " << i << ":\n" << a.trace[i] << "\n" << b.trace[i];
}

TEST(Navigation, AnswersBeforeOrAfterTheirBoxGiveTheSameTrace) {
    const char* scripts[] = {
        "click adjust; click 300,420; click next; answer yes; click next; click next; click next; click "
        "finish",
        "click adjust; click 300,420; click next; answer no; click next; answer yes; click back; click next; "
        "answer yes",
        "click adjust; click 300,420; click change; answer ok",
        "click adjust; click 300,420; click next; answer yes; mode 800x600@60",
    };
    snapshot::Options refusing;  // the change fails and says so in a box
    refusing.accept = std::vector<screen::DisplayMode>{};
    for (const char* after : scripts) {
        const std::string before = AnswersFirst(after);
        ASSERT_NE(before, after);
        const Outcome a = RunScript(after, refusing);
        const Outcome b = RunScript(before, refusing);
        EXPECT_EQ(a.status, snapshot::kDone) << after;
        EXPECT_EQ(b.status, snapshot::kDone) << before;
        EXPECT_NE(a.boxes, 0u) << after;
        ExpectSameTrace(a, b, before);
    }
}

TEST(Navigation, AnUnusedAnswerChangesNothing) {
    const Outcome plain = RunScript("click adjust; click 300,300; click next");
    const Outcome extra = RunScript("answer yes; click adjust; click 300,300; click next; answer no");
    EXPECT_EQ(extra.status, snapshot::kDone);
    EXPECT_EQ(extra.boxes, 0u);
    ExpectSameTrace(plain, extra, "an unused answer");
}

TEST(Navigation, AnUnansweredBoxEndsTheRunWithStatus3) {
    auto run = Start("1024x768@60", "click adjust; click 300,420; click next");
    EXPECT_EQ(run.status, snapshot::kUnansweredBox);
}

}  // namespace
