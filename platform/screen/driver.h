// The screen's current mode and the driver that reads and changes it.
#pragma once

#include <functional>

namespace screen {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int refresh = 0;  // Hz; 0 or 1 means the hardware default
    int bpp = 0;
    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

class ScreenDriver {
public:
    using ChangeListener = std::function<void(const DisplayMode&)>;

    virtual ~ScreenDriver() = default;
    virtual DisplayMode Current() const = 0;
    // Both return a DISP_CHANGE_* code. TestMode never changes anything.
    virtual int TestMode(const DisplayMode& mode) = 0;
    // A successful set changes the mode and then notifies the listener.
    virtual int SetMode(const DisplayMode& mode) = 0;

    void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

protected:
    // Drivers call this after their mode changed, whoever changed it.
    void NotifyChanged(const DisplayMode& mode) const {
        if (listener_) listener_(mode);
    }

private:
    ChangeListener listener_;
};

// The driver of the display the program runs on; null means no display.
// Setting a driver also makes the drawing layer report its mode.
void SetDriver(ScreenDriver* driver);
ScreenDriver* GetDriver();

// Who hears about mode changes of whichever driver is current (the window
// framework installs itself here).
void SetChangeCallback(ScreenDriver::ChangeListener callback);

// Tells whoever hears about mode changes that the display changed in a way
// the driver does not see (its scale, or which monitor shows the program),
// with the mode as it is now.
void AnnounceDisplayChange();

// The current mode, or zeros without a driver.
DisplayMode CurrentMode();

}  // namespace screen
