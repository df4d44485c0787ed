#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

class CAskingFrame : public CWnd {
public:
    void OnAsk() {
        answers.push_back(MessageBox("Line one \nLine two", nullptr, MB_YESNO | MB_ICONEXCLAMATION));
    }
    void OnOther() { ++others; }
    std::vector<int> answers;
    int others = 0;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAskingFrame, CWnd)
ON_COMMAND(1, OnAsk)
ON_COMMAND(2, OnOther)
END_MESSAGE_MAP()

class MessageBoxTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(
            frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1024, 768), nullptr, 0));
        // Under the box's centre, so clicks meant for the box would hit it.
        ASSERT_TRUE(
            ask.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 700, 100, 760), &frame, 1));
        ASSERT_TRUE(other.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(312, 284, 712, 484),
                                 &frame, 2));
        ui::SetMessageBoxObserver([this](const ui::MessageBoxRecord& r) { records.push_back(r); });
    }
    // Clicks Ask, then runs each step while the box is open.
    void AskThen(const std::function<void()>& steps) {
        host.PushClick(50, 730);
        steps();
        ui::RunMessageLoop();
    }

    CAskingFrame frame;
    CButton ask, other;
    std::vector<ui::MessageBoxRecord> records;
};

TEST_F(MessageBoxTest, IsCentredCaptionedWithTheAppNameAndListsItsButtons) {
    ui::MessageBoxInfo info;
    AskThen([&] {
        host.PushAction([&] {
            ASSERT_TRUE(ui::GetOpenMessageBox(&info));
            EXPECT_EQ(host.screen()->at(info.rect.left + 1, info.rect.bottom - 2), 0xF0F0F0u);  // presented
        });
        host.PushAnswer(IDNO);
    });
    EXPECT_EQ(info.caption, "app");
    EXPECT_EQ(info.text, "Line one \nLine two");
    EXPECT_EQ(info.rect.left + info.rect.right, 1024 - (1024 - info.rect.Width()) % 2);
    EXPECT_EQ((768 - info.rect.Height()) / 2, info.rect.top);
    ASSERT_EQ(info.buttons.size(), 2u);
    EXPECT_EQ(info.buttons[0].id, IDYES);
    EXPECT_EQ(info.buttons[1].id, IDNO);
    EXPECT_TRUE(info.rect.PtInRect(info.buttons[1].rect.CenterPoint()));
    EXPECT_EQ(frame.answers, (std::vector<int>{IDNO}));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(records[0].answer, IDNO);
    EXPECT_FALSE(ui::GetOpenMessageBox(nullptr));
    EXPECT_EQ(ui::LiveWindowCount(), 3u);  // the box is gone
}

TEST_F(MessageBoxTest, EnterChoosesYesEscapeChoosesNo) {
    AskThen([&] { host.PushKey(VK_RETURN); });
    host.PushClick(50, 730);
    host.PushKey(VK_ESCAPE);
    ui::RunMessageLoop();
    EXPECT_EQ(frame.answers, (std::vector<int>{IDYES, IDNO}));
}

TEST_F(MessageBoxTest, ClicksOutsideTheBoxAreDroppedNotQueued) {
    AskThen([&] {
        host.PushClick(320, 290);  // on `other`, beside the box
        host.PushClick(50, 730);   // on Ask again: no second box
        host.PushAction([&] {
            ui::MessageBoxInfo info;
            ASSERT_TRUE(ui::GetOpenMessageBox(&info));
            const CPoint yes = info.buttons[0].rect.CenterPoint();
            host.PushPress(yes.x, yes.y);
            host.PushRelease(5, 5);  // released off the button: no answer
            host.PushClick(yes.x, yes.y);
        });
    });
    EXPECT_EQ(frame.answers, (std::vector<int>{IDYES}));
    EXPECT_EQ(frame.others, 0);
}

TEST_F(MessageBoxTest, RunningOutOfInputEndsTheBoxWithoutAnAnswer) {
    AskThen([] {});
    EXPECT_EQ(frame.answers, (std::vector<int>{0}));
    EXPECT_EQ(ui::UnansweredMessageBoxes(), 1);
    EXPECT_TRUE(ui::InputExhausted());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].answer, 0);
}

TEST_F(MessageBoxTest, AnAnswerGivenBeforeTheBoxOpensAnswersTheNextBox) {
    host.PushAnswer(IDNO);
    host.PushClick(320, 290);  // `other` opens no box: the answer keeps waiting
    host.PushClick(50, 730);
    host.PushAnswer(IDYES);
    host.PushAnswer(IDNO);
    host.PushClick(50, 730);
    host.PushClick(50, 730);
    ui::RunMessageLoop();
    EXPECT_EQ(frame.answers, (std::vector<int>{IDNO, IDYES, IDNO}));
    EXPECT_EQ(frame.others, 1);
    EXPECT_TRUE(host.rejected().empty());
}

TEST_F(MessageBoxTest, AnUnusedAnswerChangesNothingAndIsForgottenOnReset) {
    host.PushAnswer(IDYES);
    ui::RunMessageLoop();
    EXPECT_TRUE(host.rejected().empty());
    EXPECT_TRUE(records.empty());
    ui::ResetState();
    ui::SetHost(&host);
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1024, 768), nullptr, 0));
    ASSERT_TRUE(
        ask.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 700, 100, 760), &frame, 1));
    AskThen([] {});
    EXPECT_EQ(frame.answers, (std::vector<int>{0})) << "the earlier run's answer is gone";
}

TEST_F(MessageBoxTest, AnAnswerTheBoxHasNoButtonForIsRejectedAndTheBoxStaysOpen) {
    AskThen([&] {
        host.PushAnswer(IDOK);
        host.PushAnswer(IDYES);
    });
    EXPECT_EQ(host.rejected(), (std::vector<std::string>{"the message box has no such button"}));
    EXPECT_EQ(frame.answers, (std::vector<int>{IDYES}));

    host.PushAnswer(IDOK);  // waits, then meets a box without OK
    host.PushClick(50, 730);
    ui::RunMessageLoop();
    EXPECT_EQ(host.rejected().size(), 2u);
    EXPECT_EQ(frame.answers, (std::vector<int>{IDYES, 0}));
}

TEST_F(MessageBoxTest, DisplayChangeWhileOpenIsHandledAndTheBoxRecentres) {
    ui::MessageBoxInfo info;
    AskThen([&] {
        host.PushDisplayChange(driver, {640, 480, 60, 32});
        host.PushAction([&] { ui::GetOpenMessageBox(&info); });
        host.PushAnswer(IDYES);
    });
    EXPECT_EQ((640 - info.rect.Width()) / 2, info.rect.left);
    EXPECT_EQ(frame.answers, (std::vector<int>{IDYES}));
}

TEST_F(MessageBoxTest, AfxMessageBoxWithOkOnly) {
    host.PushAction([] { EXPECT_EQ(AfxMessageBox("Done.", MB_OK | MB_ICONEXCLAMATION), IDOK); });
    host.PushKey(VK_ESCAPE);
    ui::RunMessageLoop();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].answer, IDOK);
}

}  // namespace
