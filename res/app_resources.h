// The program's own resources: the pictures of res/, embedded at build time.
#pragma once

// The application icon holds two images: 32 x 32 under its own number and
// 16 x 16 under a number above the 16-bit range, so no resource collides.
inline constexpr int kAppIcon = 128;
inline constexpr int kAppIconSmall = kAppIcon + 0x10000;

// Makes every embedded picture loadable by its resource number.
void RegisterAppResources();
