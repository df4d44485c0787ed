// The display mode recommended for each panel size.
#pragma once

#include <string>

// Indexed by PanelSize - 1 (15 to 19 inches).
struct RecommendedModeTableType {
    int Widths[5];
    int Heights[5];
};
constexpr RecommendedModeTableType RecommendedModeTable = {{1024, 1280, 1280, 1280, 1280},
                                                           {768, 1024, 1024, 1024, 1024}};
constexpr int kRecommendedRefresh = 60;

constexpr const char* kSizeRowLabels[5] = {"15\"", "16\"", "17\"", "18\"", "19\""};

// "W X H @ R hz" when the rate is above 50, else "W X H".
std::string CurrentModeText(int width, int height, int refresh);
// "Size not selected", or the recommended "W X H", with " @ 60 hz" when the
// current rate is above 50.
std::string RecommendedModeText(int panelSize, int currentRefresh);
