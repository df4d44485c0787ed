// A private Xorg with the dummy video driver for tests: outputs DUMMY0 to
// DUMMY15 with RandR CRTCs, whose EDID property clients may set (Xvfb refuses
// that). Needs root; stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/xserver/xvfb_server.h"

namespace monitorstest {

class XorgDummy {
public:
    // Whether this machine can run one; if not, why.
    static bool Available(std::string* why);

    // Writes its configuration and log into `dir`; DUMMY0 starts at 1024x768.
    static std::unique_ptr<XorgDummy> Start(const std::string& dir, std::string* error);

    ~XorgDummy();
    XorgDummy(const XorgDummy&) = delete;
    XorgDummy& operator=(const XorgDummy&) = delete;

    const std::string& DisplayName() const { return display_; }
    xtest::CommandResult Run(const std::vector<std::string>& argv) const;

    // Sets (or with no bytes deletes) the output's EDID property.
    bool SetEdid(const std::string& output, const std::vector<std::uint8_t>& bytes, std::string* error) const;
    // Adds the standard modes ("1024x768_60.00", ...) to the output's list.
    bool AddStandardModes(const std::string& output, std::string* error) const;
    // Shows `mode` on the output (right of DUMMY0 unless it is DUMMY0), which
    // connects it.
    bool SetMode(const std::string& output, const std::string& mode, std::string* error) const;
    // The output's mode and place as `xrandr --query` shows it ("800x600+1024+0"),
    // or "disconnected", "off".
    std::string Geometry(const std::string& output) const;

private:
    XorgDummy(std::unique_ptr<harness::Child> child, int number);

    std::unique_ptr<harness::Child> child_;
    std::string display_;
};

}  // namespace monitorstest
