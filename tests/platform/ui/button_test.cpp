#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

class CRecordingButton : public CButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        states.push_back(dis->itemState);
        EXPECT_EQ(dis->CtlType, ODT_BUTTON);
        EXPECT_EQ(dis->hwndItem, m_hWnd);
        EXPECT_EQ(dis->rcItem, (RECT{0, 0, 40, 20}));
        EXPECT_NE(dis->hDC, nullptr);
    }
    std::vector<UINT> states;
};

class CParentWnd : public CWnd {
public:
    void OnClicked() { ++clicks; }
    int clicks = 0;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
ON_COMMAND(7, OnClicked)
END_MESSAGE_MAP()

class ButtonTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
        // Screen rect of the button: (50, 40) - (90, 60).
        ASSERT_TRUE(
            button.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(50, 40, 90, 60), &parent, 7));
        ui::PumpUntilIdle();
        button.states.clear();
    }
    int Run() {
        ui::RunMessageLoop();
        return parent.clicks;
    }

    CParentWnd parent;
    CRecordingButton button;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicksOnce) {
    host.PushPress(55, 45);
    host.PushMove(60, 50);
    host.PushRelease(89, 59);
    EXPECT_EQ(Run(), 1);
    // Focus is drawn first, then the pushed look, then released.
    const std::vector<UINT> want = {ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_FOCUS};
    EXPECT_EQ(button.states, want);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetFocus(), &button);
}

TEST_F(ButtonTest, MovingOutAndBackFollowsThePointer) {
    host.PushPress(55, 45);
    host.PushMove(150, 45);  // out: drawn released
    host.PushMove(60, 45);   // back in: pushed again
    host.PushMove(300, 300);
    host.PushRelease(300, 300);  // outside: no click
    EXPECT_EQ(Run(), 0);
    const std::vector<UINT> want = {ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_FOCUS, ODS_SELECTED | ODS_FOCUS,
                                    ODS_FOCUS};
    EXPECT_EQ(button.states, want);
}

TEST_F(ButtonTest, ReleaseOutsideWithoutMovesDoesNotClick) {
    host.PushPress(55, 45);
    host.PushRelease(10, 10);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(button.states.back(), ODS_FOCUS);
}

TEST_F(ButtonTest, PressOutsideThenReleaseInsideDoesNotClick) {
    host.PushPress(10, 10);
    host.PushMove(60, 50);
    host.PushRelease(60, 50);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(button.states.empty());
}

TEST_F(ButtonTest, DisabledOrHiddenButtonsTakeNoInput) {
    button.EnableWindow(FALSE);
    host.PushClick(60, 50);
    EXPECT_EQ(Run(), 0);
    for (UINT s : button.states) EXPECT_EQ(s, ODS_DISABLED);  // the repaint after disabling
    EXPECT_EQ(CWnd::GetFocus(), nullptr);

    button.EnableWindow(TRUE);
    button.ShowWindow(SW_HIDE);
    button.states.clear();
    host.PushClick(60, 50);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(button.states.empty());

    button.ShowWindow(SW_SHOWNORMAL);
    host.PushClick(60, 50);
    EXPECT_EQ(Run(), 1);
}

TEST_F(ButtonTest, DisablingWhilePressedDropsTheClick) {
    host.PushPress(60, 50);
    host.PushAction([&] { button.EnableWindow(FALSE); });
    host.PushRelease(60, 50);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(ButtonTest, SpaceClicksTheFocusedButton) {
    host.PushKey(VK_SPACE);  // no focus yet: nothing
    host.PushClick(60, 50);
    host.PushKey(VK_SPACE);
    EXPECT_EQ(Run(), 2);
}

class CSelfDestroyingParent : public CWnd {
public:
    void OnClicked() { button->DestroyWindow(); }
    CButton* button = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDestroyingParent, CWnd)
ON_COMMAND(3, OnClicked)
END_MESSAGE_MAP()

TEST_F(UiTest, AButtonDestroyedByItsOwnClickIsSafe) {
    CSelfDestroyingParent p;
    ASSERT_TRUE(p.CreateEx(0, nullptr, "p", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    auto* b = new CButton;
    p.button = b;
    ASSERT_TRUE(b->Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 50, 50), &p, 3));
    host.PushClick(10, 10);
    host.PushClick(10, 10);  // lands on the parent now
    ui::RunMessageLoop();
    EXPECT_EQ(b->m_hWnd, nullptr);
    EXPECT_EQ(ui::LiveWindowCount(), 1u);
    delete b;
}

}  // namespace
