#include "platform/screen/devmode.h"

#include <cstring>
#include <utility>

#include "platform/screen/screen_state.h"

namespace screen {
namespace {

constexpr DWORD kKnownFlags = CDS_UPDATEREGISTRY | CDS_TEST | CDS_FULLSCREEN | CDS_NORESET;
constexpr std::size_t kMinSize = offsetof(DEVMODEA, dmICMMethod);

bool Fits(const DEVMODEA& dm, std::size_t end) {
    return dm.dmSize >= end;
}

DisplayMode Requested(const DEVMODEA& dm, const DisplayMode& current) {
    DisplayMode m = current;
    if (dm.dmFields & DM_PELSWIDTH) m.width = static_cast<int>(dm.dmPelsWidth);
    if (dm.dmFields & DM_PELSHEIGHT) m.height = static_cast<int>(dm.dmPelsHeight);
    if (dm.dmFields & DM_DISPLAYFREQUENCY) m.refresh = static_cast<int>(dm.dmDisplayFrequency);
    if (dm.dmFields & DM_BITSPERPEL) m.bpp = static_cast<int>(dm.dmBitsPerPel);
    return m;
}

}  // namespace

void SetSettingsObserver(std::function<void(const SettingsCall&)> observer) {
    detail::State().settings_observer = std::move(observer);
}

}  // namespace screen

BOOL EnumDisplaySettingsA(const char* device, DWORD mode, DEVMODEA* devmode) {
    if (!devmode) return FALSE;
    if (device && *device && std::strcmp(device, "\\\\.\\DISPLAY1") != 0) return FALSE;
    if (mode != ENUM_CURRENT_SETTINGS && mode != ENUM_REGISTRY_SETTINGS && mode != 0) return FALSE;
    screen::ScreenDriver* driver = screen::GetDriver();
    if (!driver) return FALSE;
    const screen::DisplayMode m = driver->Current();

    static constexpr char kName[] = "DISPLAY";
    std::memset(devmode->dmDeviceName, 0, sizeof devmode->dmDeviceName);
    std::memcpy(devmode->dmDeviceName, kName, sizeof kName);
    devmode->dmSpecVersion = DM_SPECVERSION;
    devmode->dmDriverVersion = DM_SPECVERSION;
    if (!screen::Fits(*devmode, offsetof(DEVMODEA, dmDisplayFrequency) + sizeof(DWORD))) return TRUE;
    devmode->dmFields =
        DM_POSITION | DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    devmode->dmPosition = {0, 0};
    devmode->dmBitsPerPel = static_cast<DWORD>(m.bpp);
    devmode->dmPelsWidth = static_cast<DWORD>(m.width);
    devmode->dmPelsHeight = static_cast<DWORD>(m.height);
    devmode->dmDisplayFlags = 0;
    devmode->dmDisplayFrequency = static_cast<DWORD>(m.refresh);
    return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* devmode, DWORD flags) {
    if (flags & ~screen::kKnownFlags) return DISP_CHANGE_BADFLAGS;
    if (!devmode) return flags == 0 ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADPARAM;
    if (!screen::Fits(*devmode, screen::kMinSize)) return DISP_CHANGE_BADMODE;
    screen::ScreenDriver* driver = screen::GetDriver();
    if (!driver) return DISP_CHANGE_FAILED;

    screen::SettingsCall call;
    call.test = (flags & CDS_TEST) != 0;
    call.mode = screen::Requested(*devmode, driver->Current());
    call.fields = devmode->dmFields;
    call.flags = flags;
    if (call.test) {
        call.result = driver->TestMode(call.mode);
    } else if ((flags & CDS_NORESET) && (flags & CDS_UPDATEREGISTRY)) {
        call.result = DISP_CHANGE_SUCCESSFUL;  // stored for later; nothing to store it in
    } else {
        call.result = driver->SetMode(call.mode);
    }
    if (const auto& observer = screen::detail::State().settings_observer) observer(call);
    return call.result;
}
