// Screen classes by size, and the page font height of each class.
#pragma once

constexpr int FontHeightTable[6] = {38, 42, 48, 56, 64, 72};

// Page font styles: a set of two bits.
constexpr int kRegular = 0;
constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kBoldItalic = 3;

// 0: up to 640 x 480, 1: 800 x 600, 2: 1024 x 768, 3: 1280 x 1024,
// 4: 1600 x 1200, 5: larger. Both sides must be within the bound.
int ClassifyResolution(int width, int height);
