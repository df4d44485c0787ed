// A scripted screen for tests and the snapshot tool: which modes it accepts,
// which codes it returns for the others, and changes made "by another
// program".
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/screen/driver.h"

namespace screen {

class SimulatedScreenDriver : public ScreenDriver {
public:
    // Matches any value in an accept-list entry's refresh or bpp.
    static constexpr int kAny = -1;

    struct Call {
        enum Kind { kTest, kSet } kind = kTest;
        DisplayMode mode;
        int result = 0;
    };

    explicit SimulatedScreenDriver(DisplayMode initial = {1024, 768, 60, 32}) : current_(initial) {}

    DisplayMode Current() const override { return current_; }
    int TestMode(const DisplayMode& mode) override;
    // An accepted mode becomes current and is announced; a refused one
    // returns DISP_CHANGE_BADMODE and changes nothing.
    int SetMode(const DisplayMode& mode) override;

    // Every mode is accepted (the default).
    void AcceptAll();
    // Only these modes are accepted; an empty list accepts nothing.
    void SetAccepted(std::vector<DisplayMode> modes);
    // Codes returned by refused tests, in order, the last repeating.
    // An empty list means {DISP_CHANGE_BADMODE}.
    void SetRejectCodes(std::vector<int> codes);
    // Every set then fails with `code` and changes nothing, though its test
    // passed (a compositor refusing the real change); nullopt: sets succeed.
    void SetApplyFailure(std::optional<int> code) { apply_failure_ = code; }

    // Another program changed the mode: it becomes current and is announced.
    void ExternalChange(const DisplayMode& mode);

    const std::vector<Call>& calls() const { return calls_; }
    void SetCallObserver(std::function<void(const Call&)> observer) { observer_ = std::move(observer); }
    int notifications() const { return notifications_; }

private:
    bool Accepts(const DisplayMode& mode) const;
    void Log(Call::Kind kind, const DisplayMode& mode, int result);
    void Change(const DisplayMode& mode);

    DisplayMode current_;
    bool accept_all_ = true;
    std::vector<DisplayMode> accepted_;
    std::vector<int> reject_codes_{-2};
    std::size_t next_reject_ = 0;
    std::optional<int> apply_failure_;
    std::vector<Call> calls_;
    std::function<void(const Call&)> observer_;
    int notifications_ = 0;
};

}  // namespace screen
