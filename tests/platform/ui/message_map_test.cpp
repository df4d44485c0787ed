#include <string>
#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

std::vector<std::string> g_log;

class CBaseWnd : public CWnd {
public:
    void OnPaint() {
        CPaintDC dc(this);
        g_log.push_back("base paint");
    }
    void OnLButtonDown(UINT, CPoint p) {
        g_log.push_back("base down " + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    void OnOne() { g_log.push_back("base cmd 1"); }
    LRESULT OnUser(WPARAM w, LPARAM l) {
        g_log.push_back("base user " + std::to_string(w) + " " + std::to_string(l));
        return 42;
    }

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_USER) g_log.push_back("default " + std::to_string(message - WM_USER));
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_COMMAND(1, OnOne)
ON_MESSAGE(WM_USER + 1, OnUser)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
    DECLARE_DYNAMIC(CDerivedWnd)

public:
    void OnLButtonDown(UINT, CPoint) { g_log.push_back("derived down"); }
    void OnTwo() { g_log.push_back("derived cmd 2"); }

protected:
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CDerivedWnd, CWnd)

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_WM_LBUTTONDOWN()
ON_COMMAND(2, OnTwo)
END_MESSAGE_MAP()

class CEmptyMapWnd : public CDerivedWnd {
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CEmptyMapWnd, CDerivedWnd)
END_MESSAGE_MAP()

using MessageMapTest = UiTest;

TEST_F(MessageMapTest, HandlersAreFoundUpTheClassChainThenTheDefault) {
    g_log.clear();
    CEmptyMapWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    w.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(-3, 5));      // derived wins
    w.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);  // base command
    w.SendMessage(WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);  // derived command
    w.SendMessage(WM_COMMAND, MAKEWPARAM(2, 5), 0);           // other code: unhandled
    EXPECT_EQ(w.SendMessage(WM_USER + 1, 7, -8), 42);         // ON_MESSAGE result
    w.SendMessage(WM_USER + 2, 0, 0);                         // nobody: default
    const std::vector<std::string> want = {"derived down", "base cmd 1", "derived cmd 2", "base user 7 -8",
                                           "default 2"};
    EXPECT_EQ(g_log, want);
}

TEST_F(MessageMapTest, RuntimeClassNamesAndDerivation) {
    CDerivedWnd w;
    EXPECT_STREQ(w.GetRuntimeClass()->m_lpszClassName, "CDerivedWnd");
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(w.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(w.IsKindOf(RUNTIME_CLASS(CButton)));
    CButton b;
    EXPECT_STREQ(b.GetRuntimeClass()->m_lpszClassName, "CButton");
}

TEST_F(MessageMapTest, SentMessagesRunAtOncePostedOnesInOrderFromTheLoop) {
    g_log.clear();
    CBaseWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    w.PostMessage(WM_USER + 1, 1, 0);
    w.PostMessage(WM_USER + 1, 2, 0);
    w.SendMessage(WM_USER + 1, 3, 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"base user 3 0"}));
    EXPECT_EQ(ui::QueuedMessageCount(), 2u);
    ui::PumpUntilIdle();
    EXPECT_EQ(g_log, (std::vector<std::string>{"base user 3 0", "base user 1 0", "base user 2 0"}));
}

TEST_F(MessageMapTest, MessagesForDestroyedWindowsAreDropped) {
    g_log.clear();
    CBaseWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND old = w.m_hWnd;
    w.PostMessage(WM_USER + 1, 1, 0);
    w.DestroyWindow();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(::SendMessage(old, WM_USER + 1, 9, 0), 0);
    EXPECT_FALSE(::PostMessage(old, WM_USER + 1, 9, 0));
    // A new window on the same object gets a new handle; the old message stays dead.
    ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_NE(w.m_hWnd, old);
    ui::PumpUntilIdle();
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
