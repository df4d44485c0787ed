// A fresh framework run on the headless host with a simulated 1024 x 768 screen.
#pragma once

#include <gtest/gtest.h>

#include "platform/context.h"
#include "platform/host/headless/headless_host.h"
#include "platform/screen/simulated_driver.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/framework.h"

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TheContext().NewRun();
        screen::SetDriver(&driver);
        ui::SetHost(&host);
    }
    void TearDown() override { platform::TheContext().NewRun(); }

    screen::SimulatedScreenDriver driver{{1024, 768, 60, 32}};
    host::HeadlessHost host;
};
