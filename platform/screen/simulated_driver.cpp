#include "platform/screen/simulated_driver.h"

#include "platform/screen/devmode.h"

namespace screen {

int SimulatedScreenDriver::TestMode(const DisplayMode& mode) {
    int result = DISP_CHANGE_SUCCESSFUL;
    if (!Accepts(mode)) {
        result = reject_codes_[next_reject_];
        if (next_reject_ + 1 < reject_codes_.size()) ++next_reject_;
    }
    Log(Call::kTest, mode, result);
    return result;
}

int SimulatedScreenDriver::SetMode(const DisplayMode& mode) {
    int result = Accepts(mode) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
    if (result == DISP_CHANGE_SUCCESSFUL && apply_failure_) result = *apply_failure_;
    Log(Call::kSet, mode, result);
    if (result == DISP_CHANGE_SUCCESSFUL) Change(mode);
    return result;
}

void SimulatedScreenDriver::AcceptAll() {
    accept_all_ = true;
    accepted_.clear();
}

void SimulatedScreenDriver::SetAccepted(std::vector<DisplayMode> modes) {
    accept_all_ = false;
    accepted_ = std::move(modes);
}

void SimulatedScreenDriver::SetRejectCodes(std::vector<int> codes) {
    reject_codes_ = codes.empty() ? std::vector<int>{DISP_CHANGE_BADMODE} : std::move(codes);
    next_reject_ = 0;
}

void SimulatedScreenDriver::ExternalChange(const DisplayMode& mode) {
    Change(mode);
}

bool SimulatedScreenDriver::Accepts(const DisplayMode& mode) const {
    if (accept_all_) return true;
    for (const DisplayMode& a : accepted_) {
        if (a.width == mode.width && a.height == mode.height &&
            (a.refresh == kAny || a.refresh == mode.refresh) && (a.bpp == kAny || a.bpp == mode.bpp)) {
            return true;
        }
    }
    return false;
}

void SimulatedScreenDriver::Log(Call::Kind kind, const DisplayMode& mode, int result) {
    calls_.push_back({kind, mode, result});
    if (observer_) observer_(calls_.back());
}

void SimulatedScreenDriver::Change(const DisplayMode& mode) {
    current_ = mode;
    ++notifications_;
    NotifyChanged(mode);
}

}  // namespace screen
