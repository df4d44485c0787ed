#include "platform/screen/devmode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/context.h"
#include "platform/gdi/dc.h"
#include "platform/screen/simulated_driver.h"

namespace {

class DisplaySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen::SetDriver(&driver);
        screen::SetChangeCallback([this](const screen::DisplayMode& m) { notified.push_back(m); });
    }
    void TearDown() override { platform::TheContext().NewRun(); }
    // The record as the application fills it before a change.
    DEVMODEA Request(int w, int h, int hz, int bpp) {
        DEVMODEA dm;
        std::memset(&dm, 0, sizeof dm);
        dm.dmSize = 148;
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm);
        dm.dmPelsWidth = static_cast<DWORD>(w);
        dm.dmPelsHeight = static_cast<DWORD>(h);
        dm.dmDisplayFrequency = static_cast<DWORD>(hz);
        dm.dmBitsPerPel = static_cast<DWORD>(bpp);
        dm.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        return dm;
    }

    screen::SimulatedScreenDriver driver{{1024, 768, 60, 32}};
    std::vector<screen::DisplayMode> notified;
};

TEST_F(DisplaySettingsTest, EnumFillsCurrentModeWithinTheGivenSize) {
    DEVMODEA dm;
    std::memset(&dm, 0xAB, sizeof dm);
    dm.dmSize = 148;
    dm.dmDriverExtra = 0;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm));
    EXPECT_EQ(dm.dmPelsWidth, 1024u);
    EXPECT_EQ(dm.dmPelsHeight, 768u);
    EXPECT_EQ(dm.dmDisplayFrequency, 60u);
    EXPECT_EQ(dm.dmBitsPerPel, 32u);
    EXPECT_EQ(dm.dmSize, 148);
    EXPECT_EQ(dm.dmFields & 0x5C0000u, 0x5C0000u);
    // The panning fields lie beyond dmSize and are left alone.
    EXPECT_EQ(dm.dmPanningWidth, 0xABABABABu);
    // A record that ends with the rate is filled; one a byte shorter is not.
    const std::size_t rate_end = offsetof(DEVMODEA, dmDisplayFrequency) + sizeof(DWORD);
    for (const bool filled : {true, false}) {
        std::memset(&dm, 0xAB, sizeof dm);
        dm.dmSize = static_cast<WORD>(filled ? rate_end : rate_end - 1);
        ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm));
        EXPECT_EQ(dm.dmPelsWidth, filled ? 1024u : 0xABABABABu) << dm.dmSize;
    }

    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, nullptr));
    EXPECT_FALSE(EnumDisplaySettingsA("\\\\.\\DISPLAY9", ENUM_CURRENT_SETTINGS, &dm));
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 5, &dm));
    screen::SetDriver(nullptr);
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm));
}

TEST_F(DisplaySettingsTest, TestNeitherChangesNorNotifies) {
    DEVMODEA dm = Request(1280, 1024, 60, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver.Current(), (screen::DisplayMode{1024, 768, 60, 32}));
    EXPECT_TRUE(notified.empty());
    ASSERT_EQ(driver.calls().size(), 1u);
    EXPECT_EQ(driver.calls()[0].kind, screen::SimulatedScreenDriver::Call::kTest);
}

TEST_F(DisplaySettingsTest, UpdateRegistryChangesAndTheDriverNotifies) {
    std::vector<screen::SettingsCall> calls;
    screen::SetSettingsObserver([&](const screen::SettingsCall& c) { calls.push_back(c); });
    DEVMODEA dm = Request(1280, 1024, 60, 16);
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    const screen::DisplayMode want{1280, 1024, 60, 16};
    EXPECT_EQ(driver.Current(), want);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], want);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].test);
    EXPECT_EQ(calls[0].fields, 0x5C0000u);
    EXPECT_EQ(calls[0].mode, want);

    dm = Request(800, 600, 75, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver.Current(), (screen::DisplayMode{800, 600, 75, 32}));
    EXPECT_EQ(notified.size(), 2u);
}

TEST_F(DisplaySettingsTest, MissingFieldsKeepCurrentValues) {
    // In the smallest record that holds the fields, each field named alone.
    const struct {
        DWORD fields;
        screen::DisplayMode asked;
    } cases[] = {
        {DM_PELSWIDTH, {640, 768, 60, 32}},
        {DM_PELSHEIGHT, {1024, 480, 60, 32}},
        {DM_DISPLAYFREQUENCY, {1024, 768, 85, 32}},
        {DM_BITSPERPEL, {1024, 768, 60, 8}},
    };
    for (const auto& c : cases) {
        DEVMODEA dm = Request(640, 480, 85, 8);
        dm.dmSize = offsetof(DEVMODEA, dmICMMethod);
        dm.dmFields = c.fields;
        EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
        EXPECT_EQ(driver.calls().back().mode, c.asked) << std::hex << c.fields;
    }
    DEVMODEA dm = Request(640, 480, 85, 8);
    dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(driver.Current(), (screen::DisplayMode{640, 480, 60, 32}));
}

TEST_F(DisplaySettingsTest, BadParametersAreRefusedWithoutReachingTheDriver) {
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_TEST), DISP_CHANGE_BADPARAM);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_UPDATEREGISTRY), DISP_CHANGE_BADPARAM);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    DEVMODEA dm = Request(800, 600, 60, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, 0x40), DISP_CHANGE_BADFLAGS);
    dm.dmSize = 100;
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_TEST), DISP_CHANGE_BADMODE);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(notified.empty());

    screen::SetDriver(nullptr);
    dm.dmSize = 148;
    EXPECT_EQ(ChangeDisplaySettingsA(&dm, CDS_TEST), DISP_CHANGE_FAILED);
}

TEST_F(DisplaySettingsTest, DeviceCapsFollowTheDriver) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 1024);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 768);
    EXPECT_EQ(dc.GetDeviceCaps(VREFRESH), 60);
    EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 32);
    driver.ExternalChange({20000, 20000, 1, 16});
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 20000);
    EXPECT_EQ(dc.GetDeviceCaps(VREFRESH), 1);
    screen::SetDriver(nullptr);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 0);
}

}  // namespace
