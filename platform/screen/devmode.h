// The display-settings services of Windows over the current screen driver:
// the DEVMODEA record, EnumDisplaySettingsA and ChangeDisplaySettingsA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/gdi/types.h"
#include "platform/screen/driver.h"

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

constexpr int CCHDEVICENAME = 32;
constexpr int CCHFORMNAME = 32;

struct POINTL {
    LONG x;
    LONG y;
};

// Laid out byte for byte as the Windows record. The printer half of the
// first union is left out; its display half is kept.
struct DEVMODEA {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    POINTL dmPosition;
    DWORD dmDisplayOrientation;
    DWORD dmDisplayFixedOutput;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};

static_assert(offsetof(DEVMODEA, dmSpecVersion) == 32);
static_assert(offsetof(DEVMODEA, dmSize) == 36);
static_assert(offsetof(DEVMODEA, dmFields) == 40);
static_assert(offsetof(DEVMODEA, dmPosition) == 44);
static_assert(offsetof(DEVMODEA, dmColor) == 60);
static_assert(offsetof(DEVMODEA, dmFormName) == 70);
static_assert(offsetof(DEVMODEA, dmLogPixels) == 102);
static_assert(offsetof(DEVMODEA, dmBitsPerPel) == 104);
static_assert(offsetof(DEVMODEA, dmPelsWidth) == 108);
static_assert(offsetof(DEVMODEA, dmPelsHeight) == 112);
static_assert(offsetof(DEVMODEA, dmDisplayFlags) == 116);
static_assert(offsetof(DEVMODEA, dmDisplayFrequency) == 120);
static_assert(offsetof(DEVMODEA, dmICMMethod) == 124);
static_assert(offsetof(DEVMODEA, dmReserved2) == 144);
static_assert(offsetof(DEVMODEA, dmPanningWidth) == 148);
static_assert(sizeof(DEVMODEA) == 156);

constexpr WORD DM_SPECVERSION = 0x0401;

constexpr DWORD DM_POSITION = 0x00000020;
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFLAGS = 0x00200000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

constexpr DWORD ENUM_CURRENT_SETTINGS = static_cast<DWORD>(-1);
constexpr DWORD ENUM_REGISTRY_SETTINGS = static_cast<DWORD>(-2);

constexpr DWORD CDS_UPDATEREGISTRY = 0x00000001;
constexpr DWORD CDS_TEST = 0x00000002;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr DWORD CDS_NORESET = 0x10000000;

constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_RESTART = 1;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;
constexpr LONG DISP_CHANGE_NOTUPDATED = -3;
constexpr LONG DISP_CHANGE_BADFLAGS = -4;
constexpr LONG DISP_CHANGE_BADPARAM = -5;
constexpr LONG DISP_CHANGE_BADDUALVIEW = -6;

// Fills the record with the current mode. device: null or "\\.\DISPLAY1";
// mode: ENUM_CURRENT_SETTINGS, ENUM_REGISTRY_SETTINGS (the same here: X has
// no registry) or 0, the only mode listed. Writes only within dmSize; keeps
// the caller's dmSize and dmDriverExtra. FALSE without a display.
BOOL EnumDisplaySettingsA(const char* device, DWORD mode, DEVMODEA* devmode);

// CDS_TEST asks the driver without changing anything; 0 or
// CDS_UPDATEREGISTRY sets the mode (the driver then announces the change).
// Fields missing from dmFields keep their current values. A record shorter
// than up to dmICMMethod is DISP_CHANGE_BADMODE; unknown flags are
// DISP_CHANGE_BADFLAGS; a null record with flags 0 ("back to the stored
// mode") succeeds without change, with other flags it is
// DISP_CHANGE_BADPARAM. Without a driver: DISP_CHANGE_FAILED.
LONG ChangeDisplaySettingsA(DEVMODEA* devmode, DWORD flags);

namespace screen {

// One ChangeDisplaySettingsA call that reached the driver, for traces.
struct SettingsCall {
    bool test = false;
    DisplayMode mode;
    DWORD fields = 0;
    DWORD flags = 0;
    LONG result = 0;
};
void SetSettingsObserver(std::function<void(const SettingsCall&)> observer);

}  // namespace screen
