// One owner of the platform's state: a new run starts with nothing of the
// last one, and what belongs to the process stays.
#include <gtest/gtest.h>

#include "platform/context.h"
#include "platform/gdi/trace.h"
#include "platform/ui/message_box.h"
#include "platform/ui/resources.h"
#include "tests/platform/ui/ui_fixture.h"

namespace {

using ContextTest = UiTest;

TEST_F(ContextTest, ANewRunForgetsWindowsQueueHostDriverObserversAndTrace) {
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 10, 10), nullptr, 0));
    frame.PostMessage(WM_USER);
    int observed = 0;
    ui::SetMessageBoxObserver([&](const ui::MessageBoxRecord&) { ++observed; });
    screen::SetSettingsObserver([&](const screen::SettingsCall&) { ++observed; });
    gdi::MemoryTrace trace;
    gdi::SetRunTrace(&trace);
    host.PushAnswer(IDYES);  // no box open: it waits for one
    ui::PumpUntilIdle();
    ui::RunMessageLoop();

    platform::TheContext().NewRun();
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr) << "the window was destroyed, not just forgotten";
    EXPECT_EQ(ui::LiveWindowCount(), 0u);
    EXPECT_EQ(ui::QueuedMessageCount(), 0u);
    EXPECT_EQ(ui::GetHost(), nullptr);
    EXPECT_EQ(screen::GetDriver(), nullptr);
    EXPECT_EQ(gdi::RunTrace(), nullptr);
    EXPECT_FALSE(ui::InputExhausted());

    // A box in the new run gets no stale answer and tells no old observer.
    screen::SetDriver(&driver);
    ui::SetHost(&host);
    EXPECT_EQ(AfxMessageBox("?", MB_YESNO), 0);
    EXPECT_EQ(observed, 0);
    EXPECT_EQ(driver.Current(), (screen::DisplayMode{1024, 768, 60, 32}));
}

TEST_F(ContextTest, ProcessPartsOutliveRuns) {
    static const unsigned char kBytes[] = {1, 2, 3};
    const ui::ResourceEntry entry{4242, kBytes, sizeof kBytes};
    ui::RegisterResources(&entry, 1);
    CWinApp app("kept");
    platform::TheContext().NewRun();
    EXPECT_EQ(ui::FindResource(4242).size(), 3u);
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(AfxGetAppName(), "kept");
}

}  // namespace
