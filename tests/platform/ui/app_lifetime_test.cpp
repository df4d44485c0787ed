#include <string>
#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

int g_frames_deleted = 0;
std::vector<std::string> g_events;

class CTestFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CTestFrame)

public:
    CTestFrame() {
        Create(nullptr, "Title", WS_POPUP);
        ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    }
    ~CTestFrame() override { ++g_frames_deleted; }
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
        cs.lpszClass = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), COLOR_WINDOW + 1,
                                           AfxGetApp()->LoadIcon(128));
        return TRUE;
    }
    void OnDestroy() { g_events.push_back("destroy"); }
    LRESULT OnDisplayChange(WPARAM bpp, LPARAM size) {
        g_events.push_back("display " + std::to_string(bpp) + " " + std::to_string(LOWORD(size)) + "x" +
                           std::to_string(HIWORD(size)));
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CTestFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
ON_WM_DESTROY()
ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override {
        if (fail) return FALSE;
        m_pMainWnd = new CTestFrame;
        m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
        m_pMainWnd->UpdateWindow();
        return TRUE;
    }
    bool fail = false;
};

const unsigned char kNotABmp[] = {1, 2, 3};

class AppTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_frames_deleted = 0;
        g_events.clear();
        static const ui::ResourceEntry table[] = {{128, kNotABmp, sizeof kNotABmp}};
        ui::RegisterResources(table, 1);
    }
    void TearDown() override {
        UiTest::TearDown();
        ui::ClearResources();
    }
    int Main(const char* argv0) {
        char* argv[] = {const_cast<char*>(argv0), nullptr};
        return AfxWinMain(host, 1, argv);
    }
};

TEST_F(AppTest, CloseDestroysTheFrameWhichDeletesItselfAndTheLoopEndsWithZero) {
    CTestApp app;
    host.PushAction([] { AfxGetMainWnd()->SendMessage(WM_CLOSE); });
    host.PushClick(5, 5);  // never reached
    EXPECT_EQ(Main("/opt/x/corvane-adjust"), 0);
    EXPECT_EQ(g_frames_deleted, 1);
    EXPECT_EQ(g_events, (std::vector<std::string>{"destroy"}));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_FALSE(ui::InputExhausted());
    EXPECT_EQ(host.pending(), 2u);
    EXPECT_EQ(ui::LiveWindowCount(), 0u);
}

TEST_F(AppTest, TheFrameIsAPopupWithTheClassIconAndNoEdge) {
    CTestApp app;
    host.PushAction([&] {
        CWnd* f = app.m_pMainWnd;
        ASSERT_NE(f, nullptr);
        EXPECT_STREQ(f->GetRuntimeClass()->m_lpszClassName, "CTestFrame");
        EXPECT_EQ(f->GetStyle() & (WS_POPUP | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
        EXPECT_EQ(f->GetExStyle() & WS_EX_CLIENTEDGE, 0u);
        EXPECT_EQ(host.placement().icon_id, 128);
        EXPECT_EQ(host.placement().title, "Title");
        EXPECT_EQ(host.placement().width, 1024);
        EXPECT_TRUE(host.placement().visible);
    });
    EXPECT_EQ(Main("a"), 0);
    EXPECT_TRUE(ui::InputExhausted());
    EXPECT_EQ(g_frames_deleted, 0);  // the script ran out first
    EXPECT_EQ(host.presents(), 1);
    EXPECT_EQ(host.screen()->at(500, 500), 0xFFFFFFu);  // erased with the window colour
    ui::ResetState();
    EXPECT_EQ(g_frames_deleted, 1);
}

TEST_F(AppTest, AppNameIsTheFileNameWithoutDirectoryAndExtension) {
    EXPECT_EQ(ui::AppNameFromPath("/usr/bin/corvane-adjust"), "corvane-adjust");
    EXPECT_EQ(ui::AppNameFromPath("C:\\Tools\\Adjust.exe"), "Adjust");
    EXPECT_EQ(ui::AppNameFromPath("./a.b.c"), "a.b");
    EXPECT_EQ(ui::AppNameFromPath(".hidden"), ".hidden");
    EXPECT_EQ(ui::AppNameFromPath("/dir/"), "app");
    EXPECT_EQ(ui::AppNameFromPath(nullptr), "app");
    {
        CWinApp named("Given");
        named.SetAppNameFromPath("/bin/other");
        EXPECT_STREQ(AfxGetAppName(), "Given");
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_STREQ(AfxGetAppName(), "app");

    CTestApp app;
    std::vector<ui::MessageBoxRecord> boxes;
    ui::SetMessageBoxObserver([&](const ui::MessageBoxRecord& r) { boxes.push_back(r); });
    host.PushAction([] { AfxGetMainWnd()->MessageBox("Hi", nullptr, MB_OK); });
    host.PushAnswer(IDOK);
    EXPECT_EQ(Main("/usr/local/bin/corvane-snapshot"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "corvane-snapshot");
}

TEST_F(AppTest, InitInstanceFailingEndsWithNonZeroAndSeveralLifetimesRunInOneProcess) {
    {
        CTestApp app;
        app.fail = true;
        EXPECT_NE(Main("x"), 0);
    }
    for (int i = 0; i < 3; ++i) {
        CTestApp app;
        host.PushAction([] { AfxGetMainWnd()->PostMessage(WM_CLOSE); });
        EXPECT_EQ(Main("x"), 0);
        ui::ResetState();
        ui::SetHost(&host);
    }
    EXPECT_EQ(g_frames_deleted, 3);
}

TEST_F(AppTest, DisplayChangeArrivesPostedToTopLevelWindows) {
    CTestApp app;
    host.PushAction([&] {
        DEVMODEA dm{};
        dm.dmSize = 148;
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm);
        dm.dmPelsWidth = 800;
        dm.dmPelsHeight = 600;
        dm.dmBitsPerPel = 16;
        dm.dmFields = 0x5C0000;
        EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
        EXPECT_EQ(ui::QueuedMessageCount(), 0u);
        EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
        EXPECT_TRUE(g_events.empty());  // not inside the call
        EXPECT_EQ(ui::QueuedMessageCount(), 1u);
    });
    host.PushDisplayChange(driver, {640, 480, 75, 32});
    Main("x");
    EXPECT_EQ(g_events, (std::vector<std::string>{"display 16 800x600", "display 32 640x480"}));
    EXPECT_EQ(host.screen()->width(), 640);
}

}  // namespace
