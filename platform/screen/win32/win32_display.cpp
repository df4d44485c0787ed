#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// After windows.h:
#include <initguid.h>
#include <setupapi.h>

#include "platform/win32_text.h"

#include "platform/screen/win32/win32_display.h"

#include <cwchar>
#include <string>
#include <vector>

#include "res/embedded_resources.h"

namespace corvane_res {
extern const EmbeddedResource pnp_ids;  // hwdata's pnp.ids, embedded at build time
}

namespace screen {

namespace {

// The monitor device interface class.
DEFINE_GUID(kMonitorInterface, 0xE6F07B5F, 0xEE97, 0x4A90, 0xB0, 0x76, 0x33, 0xF5, 0x7B, 0xF4, 0xEA, 0xA7);

using platform::Utf8;
using platform::Wide;

bool ReadSettings(const wchar_t* device, DEVMODEW* settings) {
    *settings = DEVMODEW{};
    settings->dmSize = sizeof *settings;
    return EnumDisplaySettingsExW(device, ENUM_CURRENT_SETTINGS, settings, 0) != FALSE;
}

DisplayMode ModeOf(const DEVMODEW& settings) {
    return {static_cast<int>(settings.dmPelsWidth), static_cast<int>(settings.dmPelsHeight),
            static_cast<int>(settings.dmDisplayFrequency), static_cast<int>(settings.dmBitsPerPel)};
}

// The request as Windows takes it: a refresh of 0 or 1 (the hardware's
// default) and a depth of 0 leave those fields unasked.
DEVMODEW Request(const DisplayMode& mode) {
    DEVMODEW settings{};
    settings.dmSize = sizeof settings;
    settings.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    settings.dmPelsWidth = static_cast<DWORD>(mode.width);
    settings.dmPelsHeight = static_cast<DWORD>(mode.height);
    if (mode.bpp > 0) {
        settings.dmFields |= DM_BITSPERPEL;
        settings.dmBitsPerPel = static_cast<DWORD>(mode.bpp);
    }
    if (mode.refresh > 1) {
        settings.dmFields |= DM_DISPLAYFREQUENCY;
        settings.dmDisplayFrequency = static_cast<DWORD>(mode.refresh);
    }
    return settings;
}

// The EDID Windows keeps in the device key of the monitor whose interface
// path is `interface_path`; empty when there is none.
std::vector<std::uint8_t> ReadEdid(const std::wstring& interface_path) {
    std::vector<std::uint8_t> edid;
    if (interface_path.empty()) return edid;
    HDEVINFO set =
        SetupDiGetClassDevsW(&kMonitorInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return edid;
    SP_DEVICE_INTERFACE_DATA interface {};
    interface.cbSize = sizeof interface;
    for (DWORD i = 0;
         edid.empty() && SetupDiEnumDeviceInterfaces(set, nullptr, &kMonitorInterface, i, &interface); ++i) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &interface, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<std::uint8_t> block(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.data());
        detail->cbSize = sizeof *detail;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiGetDeviceInterfaceDetailW(set, &interface, detail, needed, nullptr, &device)) continue;
        if (_wcsicmp(detail->DevicePath, interface_path.c_str()) != 0) continue;
        HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) break;
        DWORD size = 0;
        DWORD type = 0;
        if (RegQueryValueExW(key, L"EDID", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == REG_BINARY && size > 0) {
            edid.resize(size);
            if (RegQueryValueExW(key, L"EDID", nullptr, &type, edid.data(), &size) != ERROR_SUCCESS)
                edid.clear();
            edid.resize(std::min<std::size_t>(edid.size(), size));
        }
        RegCloseKey(key);
    }
    SetupDiDestroyDeviceInfoList(set);
    return edid;
}

struct MonitorPlace {
    std::wstring device;
    RECT area{};
    bool primary = false;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        auto* places = reinterpret_cast<std::vector<MonitorPlace>*>(data);
        places->push_back({info.szDevice, info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

}  // namespace

bool ReadDisplayMode(const std::string& device, DisplayMode* mode) {
    DEVMODEW settings;
    if (!ReadSettings(Wide(device).c_str(), &settings)) return false;
    *mode = ModeOf(settings);
    return true;
}

long ChangeDisplayMode(const std::string& device, const DisplayMode& mode, bool test) {
    DEVMODEW settings = Request(mode);
    return ChangeDisplaySettingsExW(Wide(device).c_str(), &settings, nullptr,
                                    test ? CDS_TEST : CDS_UPDATEREGISTRY, nullptr);
}

bool DisplayOrigin(const std::string& device, int* x, int* y) {
    DEVMODEW settings;
    if (!ReadSettings(Wide(device).c_str(), &settings) || !(settings.dmFields & DM_POSITION)) return false;
    *x = settings.dmPosition.x;
    *y = settings.dmPosition.y;
    return true;
}

std::vector<Monitor> ReadWin32Monitors() {
    std::vector<MonitorPlace> places;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&places));
    const std::string_view pnp_ids(reinterpret_cast<const char*>(corvane_res::pnp_ids.data),
                                   corvane_res::pnp_ids.size);
    std::vector<Monitor> monitors;
    DISPLAY_DEVICEW adapter{};
    adapter.cb = sizeof adapter;
    for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &adapter, 0); ++i, adapter.cb = sizeof adapter) {
        if (adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;
        Monitor monitor;
        monitor.name = Utf8(adapter.DeviceName);
        monitor.primary = (adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        DEVMODEW settings;
        if ((adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) &&
            ReadSettings(adapter.DeviceName, &settings)) {
            monitor.active = true;
            monitor.current = ModeOf(settings);
            monitor.x = settings.dmPosition.x;
            monitor.y = settings.dmPosition.y;
        }
        for (const MonitorPlace& place : places) {
            if (_wcsicmp(place.device.c_str(), adapter.DeviceName) != 0) continue;
            monitor.x = place.area.left;
            monitor.y = place.area.top;
            monitor.primary = place.primary;
        }
        DISPLAY_DEVICEW screen{};
        screen.cb = sizeof screen;
        std::wstring interface_path;
        if (EnumDisplayDevicesW(adapter.DeviceName, 0, &screen, EDD_GET_DEVICE_INTERFACE_NAME))
            interface_path = screen.DeviceID;
        else if (!monitor.active)
            continue;  // an adapter output with nothing on it
        const std::vector<std::uint8_t> edid = ReadEdid(interface_path);
        AttachEdid(monitor, edid, /*pnp_ids_path=*/"");
        if (monitor.edid) monitor.make = edid::MakerName(pnp_ids, monitor.edid->pnp);
        monitors.push_back(std::move(monitor));
    }
    return monitors;
}

}  // namespace screen
