// The command ids of the wizard's buttons: a click reaches the frame as
// WM_COMMAND with its button's id. Buttons that do the same share an id:
// Adjust and Next go forward, Quit and Finish end the program.
#pragma once

#include "platform/ui/wintypes.h"

constexpr UINT IDC_FORWARD = 1;            // Adjust, Next
constexpr UINT IDC_BACK = 2;               // Back
constexpr UINT IDC_CLOSE = 3;              // Quit, Finish
constexpr UINT IDC_CHANGE_RESOLUTION = 4;  // Change to Recommended Resolution
