#include "platform/screen/edid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <numeric>

namespace screen::edid {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::array<std::uint8_t, 8> kHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr std::size_t kDescriptorCount = 4;
constexpr std::uint8_t kCeaExtensionTag = 0x02;
// A pnp.ids larger than this is not one; reading stops there.
constexpr std::size_t kMaxPnpIdsBytes = 16u << 20;

int Word(Bytes b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}

std::uint32_t DoubleWord(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

Bytes Descriptor(Bytes b, std::size_t index) {
    return b.subspan(kFirstDescriptor + index * kDescriptorSize, kDescriptorSize);
}

bool IsTiming(Bytes descriptor) {
    return Word(descriptor, 0) != 0;
}

// The checks a base block must pass, in order; each gives its reason or nothing.
struct Check {
    std::string (*failure)(Bytes whole);
};

std::string TooShort(Bytes whole) {
    if (whole.size() >= kBlockSize) return {};
    return "too short: " + std::to_string(whole.size()) + " bytes, a base block has 128";
}

std::string BadHeader(Bytes whole) {
    return std::equal(kHeader.begin(), kHeader.end(), whole.begin()) ? std::string() : "bad header";
}

std::string BadChecksum(Bytes whole) {
    const unsigned sum = std::accumulate(whole.begin(), whole.begin() + kBlockSize, 0u);
    return sum % 256 == 0 ? std::string() : "bad checksum";
}

std::string BadVersion(Bytes whole) {
    return whole[18] == 1 ? std::string() : "unsupported version " + std::to_string(whole[18]);
}

// The first descriptor must be the preferred detailed timing.
std::string ZeroPixelClock(Bytes whole) {
    return IsTiming(Descriptor(whole, 0)) ? std::string() : "zero pixel clock in the first detailed timing";
}

constexpr std::array<Check, 5> kChecks{
    {{TooShort}, {BadHeader}, {BadChecksum}, {BadVersion}, {ZeroPixelClock}}};

// Display descriptors that carry text, and where their text goes.
struct TextDescriptor {
    std::uint8_t tag;
    std::string Info::*field;
};

constexpr std::array<TextDescriptor, 2> kTextDescriptors{{{0xFF, &Info::serial}, {0xFC, &Info::name}}};

// Up to 13 bytes, ended by a line feed, padded with spaces; bytes that are not
// printable ASCII become '?'.
std::string DescriptorText(Bytes descriptor) {
    std::string text;
    for (std::size_t i = 5; i < kDescriptorSize && descriptor[i] != 0x0A; ++i) {
        const std::uint8_t c = descriptor[i];
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string PnpLetters(Bytes b) {
    const int packed = b[8] << 8 | b[9];
    std::string id;
    for (int shift : {10, 5, 0}) {
        const int letter = packed >> shift & 0x1F;
        id += letter >= 1 && letter <= 26 ? static_cast<char>('A' + letter - 1) : '?';
    }
    return id;
}

void ReadTiming(Bytes t, Info& info) {
    const int clock_10khz = Word(t, 0);
    const int h_active = t[2] | (t[4] & 0xF0) << 4;
    const int h_blank = t[3] | (t[4] & 0x0F) << 8;
    const int v_active = t[5] | (t[7] & 0xF0) << 4;
    const int v_blank = t[6] | (t[7] & 0x0F) << 8;
    const bool interlaced = (t[17] & 0x80) != 0;
    const long long total = static_cast<long long>(h_active + h_blank) * (v_active + v_blank);
    // An interlaced timing describes one field: the frame has twice its lines,
    // and the rate given is the field rate, as display settings show it.
    const double rate = total > 0 ? clock_10khz * 10000.0 / static_cast<double>(total) : 0;
    info.native = {h_active, interlaced ? v_active * 2 : v_active, static_cast<int>(std::lround(rate))};
    info.width_mm = t[12] | (t[14] & 0xF0) << 4;
    info.height_mm = t[13] | (t[14] & 0x0F) << 8;
}

}  // namespace

ParseResult Parse(Bytes data) {
    ParseResult result;
    for (const Check& check : kChecks) {
        result.error = check.failure(data);
        if (!result.error.empty()) return result;
    }
    Info info;
    info.version = data[18];
    info.revision = data[19];
    info.digital = (data[20] & 0x80) != 0;
    if (info.digital && info.revision >= 4) info.digital_interface = data[20] & 0x0F;
    info.pnp = PnpLetters(data);
    info.product_code = Word(data, 10);
    info.year = 1990 + data[17];
    info.extensions = data[126];
    info.extensions_present = static_cast<int>((data.size() - kBlockSize) / kBlockSize);
    for (int i = 1; i <= info.extensions_present && i <= info.extensions; ++i) {
        if (data[i * kBlockSize] == kCeaExtensionTag) info.cea_extension = true;
    }

    ReadTiming(Descriptor(data, 0), info);
    // A timing without an image size leaves the basic size in cm, when both are given.
    if ((info.width_mm == 0 || info.height_mm == 0) && data[21] != 0 && data[22] != 0) {
        info.width_mm = data[21] * 10;
        info.height_mm = data[22] * 10;
    }
    if (info.width_mm == 0 || info.height_mm == 0) {
        info.width_mm = info.height_mm = 0;
    } else {
        const double inches = std::hypot(info.width_mm, info.height_mm) / 25.4;
        info.diagonal_in = std::round(inches * 10) / 10;
    }

    for (std::size_t i = 1; i < kDescriptorCount; ++i) {
        const Bytes d = Descriptor(data, i);
        if (IsTiming(d)) continue;
        for (const TextDescriptor& text : kTextDescriptors) {
            if (d[3] == text.tag && (info.*text.field).empty()) info.*text.field = DescriptorText(d);
        }
    }
    if (info.serial.empty() && DoubleWord(data, 12) != 0) info.serial = std::to_string(DoubleWord(data, 12));
    result.info = std::move(info);
    return result;
}

std::string MakerName(std::string_view text, std::string_view pnp) {
    if (pnp.size() != 3) return {};
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() < 5 || line[3] != '\t' || line.substr(0, 3) != pnp) continue;
        return std::string(line.substr(4));
    }
    return {};
}

std::string MakerNameFromFile(std::string_view pnp, const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    file.seekg(0);
    std::string text(
        size > 0 ? std::min<std::size_t>(static_cast<std::size_t>(size), kMaxPnpIdsBytes) : kMaxPnpIdsBytes,
        '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return MakerName(text, pnp);
}

}  // namespace screen::edid
