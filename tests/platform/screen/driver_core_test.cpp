// The part every driver shares, driven through a driver whose connection is
// a counter.
#include "platform/screen/driver_core.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/screen/event_driver.h"

namespace {

using screen::DisplayMode;

class CountingDriver final : public screen::EventScreenDriver {
public:
    struct Impl {
        explicit Impl(CountingDriver* owner) : closes(&owner->closes) {}
        ~Impl() { ++*closes; }
        int* closes;
    };

    int closes = 0;
    std::unique_ptr<Impl> impl = std::make_unique<Impl>(this);

    bool Open(bool works, std::string* error) {
        BeginOpen(impl, this);
        return works || FailOpen(impl, this, "no server", error);
    }
    using EventScreenDriver::Announce;
    using EventScreenDriver::ReportGoneOnce;
    using EventScreenDriver::TakeAsAnnounced;

    DisplayMode Current() const override { return {}; }
    int TestMode(const DisplayMode&) override { return Fail(DISP_CHANGE_BADMODE, "no such mode"); }
    int SetMode(const DisplayMode&) override { return DISP_CHANGE_SUCCESSFUL; }
    int ConnectionFd() const override { return -1; }
    void ProcessPendingEvents() override {}
    bool ServerGone() const override { return false; }
};

TEST(DriverCore, AnnouncesEachNewModeOnce) {
    CountingDriver driver;
    std::vector<DisplayMode> heard;
    driver.SetChangeListener([&](const DisplayMode& mode) { heard.push_back(mode); });
    driver.TakeAsAnnounced({800, 600, 60, 32});
    EXPECT_FALSE(driver.Announce({800, 600, 60, 32}));
    EXPECT_FALSE(driver.Announce({}));  // no mode read: nothing to say
    EXPECT_TRUE(driver.Announce({1024, 768, 60, 32}));
    EXPECT_FALSE(driver.Announce({1024, 768, 60, 32}));
    EXPECT_TRUE(driver.Announce({1024, 768, 60, 32}, /*again=*/true));
    EXPECT_EQ(heard, (std::vector<DisplayMode>{{1024, 768, 60, 32}, {1024, 768, 60, 32}}));
}

TEST(DriverCore, OpenStartsAfreshAndKeepsCallbackAndTimeout) {
    CountingDriver driver;
    int gone = 0;
    driver.SetServerGoneCallback([&] { ++gone; });
    driver.SetReplyTimeout(250);
    driver.ReportGoneOnce(false);
    driver.ReportGoneOnce(true);
    driver.ReportGoneOnce(true);
    EXPECT_EQ(gone, 1);

    driver.TakeAsAnnounced({800, 600, 60, 32});
    std::string error;
    EXPECT_TRUE(driver.Open(true, &error));
    EXPECT_EQ(driver.closes, 1);                       // the last connection
    EXPECT_TRUE(driver.Announce({800, 600, 60, 32}));  // news to whoever listens now
    EXPECT_EQ(driver.ReplyTimeoutMs(), 250);
    driver.ReportGoneOnce(true);  // a new connection may go away again
    EXPECT_EQ(gone, 2);
    EXPECT_EQ(driver.LastErrorCode(), DISP_CHANGE_SUCCESSFUL);

    EXPECT_FALSE(driver.Open(false, &error));
    EXPECT_EQ(driver.closes, 3);  // the last one, and the failed one
    EXPECT_EQ(error, "no server");
    EXPECT_EQ(driver.LastError(), "no server");
    EXPECT_EQ(driver.LastErrorCode(), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver.TestMode({}), DISP_CHANGE_BADMODE);
    EXPECT_EQ(driver.LastError(), "no such mode");
    EXPECT_EQ(driver.LastErrorCode(), DISP_CHANGE_BADMODE);
}

}  // namespace
