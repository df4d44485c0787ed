#include <string>

#include "display/recommended_modes.h"

namespace {

std::string Size(int width, int height) {
    return std::to_string(width) + " X " + std::to_string(height);
}

}  // namespace

std::string CurrentModeText(int width, int height, int refresh) {
    if (refresh > 50) return Size(width, height) + " @ " + std::to_string(refresh) + " hz";
    return Size(width, height);
}

std::string RecommendedModeText(int panelSize, int currentRefresh) {
    if (panelSize < 1 || panelSize > 5) return "Size not selected";
    std::string text =
        Size(RecommendedModeTable.Widths[panelSize - 1], RecommendedModeTable.Heights[panelSize - 1]);
    if (currentRefresh > 50) text += " @ " + std::to_string(kRecommendedRefresh) + " hz";
    return text;
}
