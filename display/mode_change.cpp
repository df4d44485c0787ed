#include <cstring>

#include "app/main_frame.h"
#include "display/recommended_modes.h"
#include "platform/screen/devmode.h"

namespace {

const char* ModeChangeFailureText(int result) {
    switch (result) {
        case DISP_CHANGE_RESTART:
            return "The computer must be restarted in order for the graphics mode to work.";
        case DISP_CHANGE_FAILED:
            return "The display driver failed the specified graphics mode.";
        case DISP_CHANGE_BADMODE:
            return "The graphics mode is not supported by the computer or video card.";
        case DISP_CHANGE_NOTUPDATED:
            return "Unable to write settings to the registry.";
        case DISP_CHANGE_BADFLAGS:
            return "An invalid set of flags was passed in.";
        case DISP_CHANGE_BADPARAM:
            return "An invalid parameter was passed in. This can include an invalid flag or combination of "
                   "flags.";
        default:
            return "Default Message: Unable to change settings. Contact your system administrator";
    }
}

}  // namespace

void CMainFrame::ChangeToRecommendedResolution() {
    // The button is hidden while no size is chosen; a stray command is ignored.
    if (PanelSize < 1 || PanelSize > 5) return;

    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = 148;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    mode.dmDisplayFrequency = kRecommendedRefresh;
    mode.dmPelsWidth = static_cast<DWORD>(RecommendedModeTable.Widths[PanelSize - 1]);
    mode.dmPelsHeight = static_cast<DWORD>(RecommendedModeTable.Heights[PanelSize - 1]);
    mode.dmDriverExtra = 0;
    int depth = 32;
    mode.dmBitsPerPel = static_cast<DWORD>(depth);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;

    LONG result = DISP_CHANGE_SUCCESSFUL;
    do {
        result = ChangeDisplaySettingsA(&mode, CDS_TEST);
        if (result == DISP_CHANGE_SUCCESSFUL) {
            // A passing test does not promise the change: a compositor may
            // still refuse it, and the user hears about that like any failure.
            result = ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY);
            if (result == DISP_CHANGE_SUCCESSFUL) return;
            break;
        }
        depth /= 2;
        mode.dmBitsPerPel = static_cast<DWORD>(depth);
    } while (depth != 2);

    MessageBox(ModeChangeFailureText(result), AfxGetApp()->m_pszAppName, MB_OK | MB_ICONEXCLAMATION);
}
