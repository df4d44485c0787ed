#include "platform/screen/edid.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

#include "tests/platform/screen/edid_builder.h"

namespace {

using edidtest::EdidBuilder;
using screen::edid::NativeMode;
using screen::edid::Parse;

TEST(Edid, ReadsEveryFieldOfAnAnalogBlock) {
    const auto bytes = EdidBuilder()
                           .Pnp("ACR")
                           .Product(0xAD49)
                           .NumericSerial(123456)
                           .Year(2004)
                           .Digital(false)
                           .SizeCm(34, 27)
                           .Timing(1280, 1024, 60, 338, 270)
                           .Name("AL1716")
                           .SerialText("L4601234")
                           .Build();
    const auto r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_TRUE(r.error.empty());
    const auto& i = *r.info;
    EXPECT_EQ(i.version, 1);
    EXPECT_EQ(i.revision, 3);
    EXPECT_FALSE(i.digital);
    EXPECT_EQ(i.pnp, "ACR");
    EXPECT_EQ(i.product_code, 0xAD49);
    EXPECT_EQ(i.serial, "L4601234");  // the text descriptor wins over the number
    EXPECT_EQ(i.name, "AL1716");
    EXPECT_EQ(i.year, 2004);
    EXPECT_EQ(i.width_mm, 338);  // the timing's size, not the basic 340x270
    EXPECT_EQ(i.height_mm, 270);
    EXPECT_DOUBLE_EQ(i.diagonal_in, 17.0);
    EXPECT_EQ(i.native, (NativeMode{1280, 1024, 60}));
    EXPECT_EQ(i.extensions, 0);
    EXPECT_EQ(i.extensions_present, 0);
}

TEST(Edid, FallsBackToTheNumericSerialAndTheBasicSize) {
    const auto bytes = EdidBuilder()
                           .Pnp("DEL")
                           .Digital(true)
                           .NumericSerial(0x01020304)
                           .SizeCm(53, 30)
                           .Timing(1920, 1080, 60, 0, 0)
                           .Build();
    const auto r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_TRUE(r.info->digital);
    EXPECT_EQ(r.info->serial, "16909060");
    EXPECT_EQ(r.info->name, "");
    EXPECT_EQ(r.info->width_mm, 530);
    EXPECT_EQ(r.info->height_mm, 300);
    EXPECT_DOUBLE_EQ(r.info->diagonal_in, 24.0);  // 608.99 mm
    EXPECT_EQ(r.info->native, (NativeMode{1920, 1080, 60}));
}

TEST(Edid, SizeUnknownWithoutTimingSizeOrBothBasicDimensions) {
    // One basic dimension alone is an aspect ratio, not a size.
    const auto r = Parse(EdidBuilder().SizeCm(0, 30).Timing(800, 600, 75, 0, 0).Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->width_mm, 0);
    EXPECT_EQ(r.info->height_mm, 0);
    EXPECT_EQ(r.info->diagonal_in, 0);
    EXPECT_EQ(r.info->native, (NativeMode{800, 600, 75}));
    EXPECT_EQ(r.info->serial, "");  // numeric serial 0 means none
}

TEST(Edid, TimingFieldsUseTheirHighNibbles) {
    // 3840 x 2160 needs the upper bits of width, height and size; 1080i is one
    // 540-line field per refresh.
    auto r = Parse(EdidBuilder().Timing(3840, 2160, 30, 1209, 680).Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->native, (NativeMode{3840, 2160, 30}));
    EXPECT_EQ(r.info->width_mm, 1209);
    EXPECT_EQ(r.info->height_mm, 680);
    EXPECT_DOUBLE_EQ(r.info->diagonal_in, 54.6);

    r = Parse(EdidBuilder().Timing(1920, 540, 60, 0, 0, /*interlaced=*/true).Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->native, (NativeMode{1920, 1080, 60}));
}

TEST(Edid, ExtensionBlocksAreCountedAndSkipped) {
    auto bytes =
        EdidBuilder().Pnp("SAM").Name("HDMI TV").Timing(1920, 1080, 60, 160, 90).CeaExtension().Build();
    ASSERT_EQ(bytes.size(), 256u);
    bytes[200] ^= 0xFF;  // the extension's own checksum is not the base block's concern
    auto r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->extensions, 1);
    EXPECT_EQ(r.info->extensions_present, 1);
    EXPECT_TRUE(r.info->cea_extension);
    EXPECT_EQ(r.info->name, "HDMI TV");

    // A block of another kind is skipped as well.
    auto other = bytes;
    other[128] = 0xF0;
    r = Parse(other);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_FALSE(r.info->cea_extension);

    // Announced but cut off, or trailing bytes short of a block: still the base block.
    bytes.resize(128 + 100);
    r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->extensions, 1);
    EXPECT_EQ(r.info->extensions_present, 0);
    EXPECT_FALSE(r.info->cea_extension);
}

TEST(Edid, DigitalInterfaceFromVersion14Only) {
    auto bytes = EdidBuilder().Digital(true).Build();
    bytes[19] = 4;
    bytes[20] = 0x80 | 0x25;  // 8 bits per colour, DisplayPort
    bytes[127] = static_cast<std::uint8_t>(bytes[127] - 1 - 0x25);
    auto r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->digital_interface, 5);

    bytes[19] = 3;  // the same bits mean nothing in 1.3
    bytes[127] = static_cast<std::uint8_t>(bytes[127] + 1);
    r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->digital_interface, 0);
}

TEST(Edid, TextDescriptorsAreTrimmedAndMadePrintable) {
    auto r = Parse(EdidBuilder().Name("ABCDEFGHIJKLM").SerialText("  x1  ").Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->name, "ABCDEFGHIJKLM");  // 13 bytes, no line feed
    EXPECT_EQ(r.info->serial, "  x1");

    r = Parse(EdidBuilder().Name(std::string("A\x01\xC3\"B", 5)).Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->name, "A??\"B");

    // The first descriptor of a kind counts; 0xFE text is neither name nor serial.
    r = Parse(EdidBuilder().Text(1, 0xFE, "other").Text(2, 0xFC, "first").Text(3, 0xFC, "second").Build());
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->name, "first");
    EXPECT_EQ(r.info->serial, "");
}

TEST(Edid, PnpLettersOutOfRangeShowAsQuestionMarks) {
    auto bytes = EdidBuilder().Build();
    bytes[8] = 0x7F;  // first letter 31, second 27 and up
    bytes[9] = 0xE1;
    bytes[127] = 0;
    bytes[127] = static_cast<std::uint8_t>(256 - std::accumulate(bytes.begin(), bytes.end(), 0u) % 256);
    const auto r = Parse(bytes);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_EQ(r.info->pnp, "??A");
    // The ends of the range are letters.
    EXPECT_EQ(Parse(EdidBuilder().Pnp("AZZ").Build()).info->pnp, "AZZ");
}

TEST(Edid, BadDataGivesAReasonAndNoValues) {
    const auto good = EdidBuilder().Pnp("ACR").Build();
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    std::vector<std::uint8_t> bad_header = good;
    bad_header[0] = 0x01;
    std::vector<std::uint8_t> version2 = good;
    version2[18] = 2;
    version2[127] = static_cast<std::uint8_t>(version2[127] - 1);
    const Case cases[] = {
        {"empty", {}, "too short"},
        {"one byte", {0x00}, "too short"},
        {"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + 127), "too short"},
        {"bad header", bad_header, "bad header"},
        {"bad checksum", EdidBuilder().BreakChecksum().Build(), "bad checksum"},
        {"version 2", version2, "unsupported version 2"},
        {"zero pixel clock", EdidBuilder().ZeroPixelClock().Build(), "zero pixel clock"},
    };
    for (const Case& c : cases) {
        const auto r = Parse(c.bytes);
        EXPECT_FALSE(r.info) << c.what;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.what << ": " << r.error;
    }
}

TEST(Edid, AnySingleByteChangeOfAGoodBlockIsRejected) {
    const auto good = EdidBuilder().Pnp("ACR").Name("X").CeaExtension().Build();
    for (std::size_t at = 0; at < 128; ++at) {
        auto bytes = good;
        bytes[at] ^= 0x20;
        EXPECT_FALSE(Parse(bytes).info) << "byte " << at;
    }
}

TEST(Edid, RandomBytesOfAnyLengthAreSafe) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(random() % (64 * 1024 + 1));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        // A valid header and checksum now and then, so the field readers run too.
        if (round % 2 == 0 && bytes.size() >= 128) {
            const auto header = EdidBuilder().Build();
            std::copy_n(header.begin(), 8, bytes.begin());
            bytes[18] = 1;
            bytes[54] |= 1;
            bytes[127] = 0;
            bytes[127] = static_cast<std::uint8_t>(
                256 - std::accumulate(bytes.begin(), bytes.begin() + 128, 0u) % 256);
        }
        const auto r = Parse(bytes);
        EXPECT_EQ(r.info.has_value(), r.error.empty());
        if (round % 2 == 0 && bytes.size() >= 128) {
            EXPECT_TRUE(r.info) << r.error;
        }
    }
}

TEST(PnpIds, FindsTheMakerAndSkipsMalformedLines) {
    const std::string text =
        "# comment\n"
        "AC\tToo Short\n"
        "ACRX Acer Wrong\n"
        "ACR Acer With Space\n"
        "\n"
        "ACR\tAcer Technologies\r\n"
        "DEL\tDell Inc.";
    EXPECT_EQ(screen::edid::MakerName(text, "ACR"), "Acer Technologies");
    EXPECT_EQ(screen::edid::MakerName(text, "DEL"), "Dell Inc.");  // last line, no line feed
    EXPECT_EQ(screen::edid::MakerName(text, "SAM"), "");
    EXPECT_EQ(screen::edid::MakerName(text, "AC"), "");
    EXPECT_EQ(screen::edid::MakerName("", "ACR"), "");
    EXPECT_EQ(screen::edid::MakerName(std::string("\0\0\0\t\xff\n", 6), "ACR"), "");
}

TEST(PnpIds, MissingOrBinaryFileGivesNoName) {
    EXPECT_EQ(screen::edid::MakerNameFromFile("ACR", "/nonexistent/pnp.ids"), "");
    EXPECT_EQ(screen::edid::MakerNameFromFile("ACR", "/"), "");

    const auto path = std::filesystem::temp_directory_path() / ("pnp-" + std::to_string(getpid()) + ".ids");
    {
        std::ofstream out(path, std::ios::binary);
        std::mt19937 random(3);
        for (int i = 0; i < 100000; ++i) out.put(static_cast<char>(random()));
        out << "\nXYZ\tZed Displays\n";
    }
    EXPECT_EQ(screen::edid::MakerNameFromFile("XYZ", path.string()), "Zed Displays");
    EXPECT_EQ(screen::edid::MakerNameFromFile("ACR", path.string()), "");
    std::filesystem::remove(path);
}

}  // namespace
