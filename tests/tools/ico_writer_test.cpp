// The .ico file of the Windows program: its header and directory as Windows
// reads them, the images after them in order, and refusals.
#include <gtest/gtest.h>

#include "tools/resgen/ico_writer.h"

namespace {

unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::size_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return U16(b, at) | (static_cast<std::size_t>(U16(b, at + 2)) << 16);
}

TEST(IcoFile, DirectoryPointsAtEachImageInOrder) {
    const std::vector<resgen::IcoImage> images{{16, {1, 2, 3}}, {256, {4, 5}}};
    const std::vector<std::uint8_t> ico = resgen::IcoFile(images);
    ASSERT_EQ(ico.size(), 6u + 2 * 16 + 3 + 2);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);  // an icon
    EXPECT_EQ(U16(ico, 4), 2u);
    const std::size_t first = 6;
    const std::size_t second = 6 + 16;
    EXPECT_EQ(ico[first], 16);
    EXPECT_EQ(ico[first + 1], 16);
    EXPECT_EQ(ico[second], 0) << "256 is written as 0";
    EXPECT_EQ(ico[second + 1], 0);
    for (std::size_t entry : {first, second}) {
        EXPECT_EQ(U16(ico, entry + 4), 1u);   // planes
        EXPECT_EQ(U16(ico, entry + 6), 32u);  // bits per pixel
    }
    EXPECT_EQ(U32(ico, first + 8), 3u);
    EXPECT_EQ(U32(ico, first + 12), 38u);
    EXPECT_EQ(U32(ico, second + 8), 2u);
    EXPECT_EQ(U32(ico, second + 12), 41u);
    EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + 38, ico.end()),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
}

TEST(IcoFile, RefusesNoImagesAndSizesWindowsCannotTake) {
    EXPECT_TRUE(resgen::IcoFile({}).empty());
    EXPECT_TRUE(resgen::IcoFile({{0, {1}}}).empty());
    EXPECT_TRUE(resgen::IcoFile({{257, {1}}}).empty());
    EXPECT_TRUE(resgen::IcoFile({{32, {}}}).empty());
    EXPECT_FALSE(resgen::IcoFile({{1, {1}}}).empty());
}

}  // namespace
