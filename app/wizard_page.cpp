#include "app/wizard_page.h"

const char* WizardPageName(WizardPage page) {
    switch (page) {
        case WizardPage::Welcome:
            return "Welcome";
        case WizardPage::Resolution:
            return "Resolution";
        case WizardPage::Pitch:
            return "Pitch";
        case WizardPage::Phase:
            return "Phase";
        case WizardPage::Centering:
            return "Centering";
        case WizardPage::Completion:
            return "Completion";
    }
    return "Unknown";
}
