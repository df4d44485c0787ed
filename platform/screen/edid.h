// What a monitor's EDID base block says about it. Any bytes of any length
// are safe to parse; data that fails a check gives a reason and no values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace screen::edid {

inline constexpr std::size_t kBlockSize = 128;

struct NativeMode {
    int width = 0;
    int height = 0;
    int refresh = 0;  // Hz, rounded
    friend bool operator==(const NativeMode&, const NativeMode&) = default;
};

struct Info {
    int version = 0;
    int revision = 0;
    bool digital = false;       // byte 20 bit 7; false means an analog input
    int digital_interface = 0;  // from version 1.4: 1 DVI, 2 and 3 HDMI, 5 DisplayPort; 0 undefined
    std::string pnp;            // three letters, e.g. "ACR"; '?' for a letter out of range
    int product_code = 0;       // bytes 10-11, little-endian
    std::string serial;         // the serial text descriptor, else the numeric serial; empty when neither
    std::string name;           // the monitor name descriptor; empty when absent
    int year = 0;               // of manufacture (or the model year)
    int width_mm = 0;           // image size; 0 when unknown
    int height_mm = 0;
    double diagonal_in = 0;      // to one decimal place; 0 when the size is unknown
    NativeMode native;           // the first detailed timing
    int extensions = 0;          // extension blocks the base block announces (byte 126)
    int extensions_present = 0;  // whole 128-byte blocks that follow it
    bool cea_extension = false;  // one of them is a CEA-861 block (HDMI and its kin)
};

struct ParseResult {
    std::optional<Info> info;  // set exactly when `error` is empty
    std::string error;
};

ParseResult Parse(std::span<const std::uint8_t> data);

// The maker's name for a PNP ID from the text of a pnp.ids file ("ABC<TAB>Name"
// lines). Lines of another shape are skipped; empty when there is no match.
std::string MakerName(std::string_view pnp_ids_text, std::string_view pnp);

// The same from a file; empty when the file is missing, unreadable or holds
// no matching line.
inline constexpr const char* kPnpIdsPath = "/usr/share/hwdata/pnp.ids";
std::string MakerNameFromFile(std::string_view pnp, const std::string& path = kPnpIdsPath);

}  // namespace screen::edid
