#include "platform/screen/driver_core.h"

#include <algorithm>

namespace screen {

void DriverCore::SetReplyTimeout(int milliseconds) {
    reply_timeout_ms_ = std::max(1, milliseconds);
}

int DriverCore::Fail(int code, std::string why) {
    last_error_code_ = code;
    last_error_ = std::move(why);
    return code;
}

bool DriverCore::Announce(const DisplayMode& now, bool again) {
    if (now.width <= 0 || (now == announced_ && !again)) return false;
    announced_ = now;
    NotifyChanged(now);
    return true;
}

void DriverCore::ReportGoneOnce(bool gone) {
    if (!gone || gone_reported_) return;
    gone_reported_ = true;
    if (on_gone_) on_gone_();
}

}  // namespace screen
