// Builds EDID blocks for tests, field by field, with valid checksums unless
// asked otherwise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace edidtest {

class EdidBuilder {
public:
    EdidBuilder() {
        const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        std::copy(header, header + 8, base_.begin());
        base_[18] = 1;
        base_[19] = 3;
        Timing(1024, 768, 60, 0, 0);
        for (int i = 1; i < 4; ++i) Dummy(i);
    }

    EdidBuilder& Pnp(const std::string& letters) {
        int packed = 0;
        for (char c : letters) packed = packed << 5 | ((c - 'A' + 1) & 0x1F);
        base_[8] = static_cast<std::uint8_t>(packed >> 8);
        base_[9] = static_cast<std::uint8_t>(packed);
        return *this;
    }
    EdidBuilder& Product(int code) {
        base_[10] = static_cast<std::uint8_t>(code);
        base_[11] = static_cast<std::uint8_t>(code >> 8);
        return *this;
    }
    EdidBuilder& NumericSerial(std::uint32_t serial) {
        for (int i = 0; i < 4; ++i) base_[12 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
        return *this;
    }
    EdidBuilder& Year(int year) {
        base_[16] = 10;  // week
        base_[17] = static_cast<std::uint8_t>(year - 1990);
        return *this;
    }
    EdidBuilder& Digital(bool digital) {
        base_[20] = digital ? 0x80 : 0x00;
        return *this;
    }
    // An EDID 1.4 digital input naming its interface (1 DVI, 2 and 3 HDMI, 5 DisplayPort).
    EdidBuilder& Interface(int bits) {
        base_[19] = 4;
        base_[20] = static_cast<std::uint8_t>(0x80 | bits);
        return *this;
    }
    EdidBuilder& SizeCm(int width, int height) {
        base_[21] = static_cast<std::uint8_t>(width);
        base_[22] = static_cast<std::uint8_t>(height);
        return *this;
    }
    // The first detailed timing: a pixel clock that gives `refresh` with
    // 160 columns and 40 lines of blanking; image size in mm. An interlaced
    // timing's height is that of one field.
    EdidBuilder& Timing(int width, int height, int refresh, int width_mm, int height_mm,
                        bool interlaced = false) {
        const int h_blank = 160;
        const int v_blank = 40;
        const long long total = static_cast<long long>(width + h_blank) * (height + v_blank);
        const long long clock = (total * refresh + 5000) / 10000;
        std::uint8_t* t = &base_[54];
        std::fill(t, t + 18, 0);
        t[0] = static_cast<std::uint8_t>(clock);
        t[1] = static_cast<std::uint8_t>(clock >> 8);
        t[2] = static_cast<std::uint8_t>(width);
        t[3] = static_cast<std::uint8_t>(h_blank);
        t[4] = static_cast<std::uint8_t>((width >> 8) << 4 | h_blank >> 8);
        t[5] = static_cast<std::uint8_t>(height);
        t[6] = static_cast<std::uint8_t>(v_blank);
        t[7] = static_cast<std::uint8_t>((height >> 8) << 4 | v_blank >> 8);
        t[12] = static_cast<std::uint8_t>(width_mm);
        t[13] = static_cast<std::uint8_t>(height_mm);
        t[14] = static_cast<std::uint8_t>((width_mm >> 8) << 4 | (height_mm >> 8 & 0x0F));
        t[17] = interlaced ? 0x80 : 0x18;
        return *this;
    }
    EdidBuilder& ZeroPixelClock() {
        base_[54] = base_[55] = 0;
        return *this;
    }
    // Text descriptors in slots 1..3: 0xFC name, 0xFF serial, 0xFE other text.
    EdidBuilder& Text(int slot, std::uint8_t tag, const std::string& text) {
        std::uint8_t* d = &base_[54 + 18 * slot];
        std::fill(d, d + 18, 0);
        d[3] = tag;
        std::fill(d + 5, d + 18, 0x20);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 13), d + 5);
        if (text.size() < 13) d[5 + text.size()] = 0x0A;
        return *this;
    }
    EdidBuilder& Name(const std::string& name) { return Text(1, 0xFC, name); }
    EdidBuilder& SerialText(const std::string& serial) { return Text(2, 0xFF, serial); }
    // Appends a CEA-861 extension block (tag 2, revision 3) and counts it.
    EdidBuilder& CeaExtension() {
        std::vector<std::uint8_t> block(128, 0);
        block[0] = 0x02;
        block[1] = 0x03;
        block[2] = 4;  // detailed timings would start here; there are none
        block[127] =
            static_cast<std::uint8_t>(256 - std::accumulate(block.begin(), block.end() - 1, 0u) % 256);
        extensions_.insert(extensions_.end(), block.begin(), block.end());
        base_[126] = static_cast<std::uint8_t>(base_[126] + 1);
        return *this;
    }
    EdidBuilder& BreakChecksum() {
        break_checksum_ = true;
        return *this;
    }

    std::vector<std::uint8_t> Build() const {
        std::vector<std::uint8_t> out(base_.begin(), base_.end());
        const unsigned sum = std::accumulate(out.begin(), out.end() - 1, 0u);
        out[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256 + (break_checksum_ ? 1 : 0));
        out.insert(out.end(), extensions_.begin(), extensions_.end());
        return out;
    }

private:
    // An empty "dummy" descriptor (tag 0x10).
    void Dummy(int slot) {
        std::uint8_t* d = &base_[54 + 18 * slot];
        std::fill(d, d + 18, 0);
        d[3] = 0x10;
    }

    std::vector<std::uint8_t> base_ = std::vector<std::uint8_t>(128, 0);
    std::vector<std::uint8_t> extensions_;
    bool break_checksum_ = false;
};

}  // namespace edidtest
