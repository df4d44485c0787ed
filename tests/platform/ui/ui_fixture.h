// A clean framework on the headless host with a simulated 1024 x 768 screen.
#pragma once

#include <gtest/gtest.h>

#include "platform/host/headless/headless_host.h"
#include "platform/screen/simulated_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::ResetState();
        screen::SetDriver(&driver);
        ui::SetHost(&host);
    }
    void TearDown() override {
        ui::ResetState();
        ui::SetMessageBoxObserver(nullptr);
        screen::SetDriver(nullptr);
    }

    screen::SimulatedScreenDriver driver{{1024, 768, 60, 32}};
    host::HeadlessHost host;
};
