// The screen layer's share of the platform context: the driver of this run,
// who hears about mode changes, and who watches display-settings calls.
#pragma once

#include <functional>

#include "platform/context.h"
#include "platform/screen/devmode.h"
#include "platform/screen/driver.h"

namespace screen::detail {

struct ScreenPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kScreen;

    ScreenDriver* driver = nullptr;
    ScreenDriver::ChangeListener change_callback;
    std::function<void(const SettingsCall&)> settings_observer;

    // The driver outlives the run: it must stop calling into it.
    void EndRun() override {
        if (driver) driver->SetChangeListener(nullptr);
    }
};

inline ScreenPart& State() {
    return platform::TheContext().Get<ScreenPart>();
}

}  // namespace screen::detail
