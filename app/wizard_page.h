// The wizard's pages, in their order.
#pragma once

enum class WizardPage : int {
    Welcome = 1,
    Resolution = 2,
    Pitch = 3,
    Phase = 4,
    Centering = 5,
    Completion = 6,
};

const char* WizardPageName(WizardPage page);
