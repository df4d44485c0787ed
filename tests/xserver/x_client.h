// A second client of the test server, for what the driver must notice:
// windows of other programs and mode changes made behind its back. Xlib
// stays out of this header (its macros clash with GoogleTest).
#pragma once

#include <string>

namespace xtest {

class XClient {
public:
    explicit XClient(const std::string& display_name);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool Connected() const;

    // A mapped top-level window; 0 on failure.
    unsigned long CreateWindow(int x, int y, int width, int height);
    void DestroyWindow(unsigned long window);

    // The RandR id of the mode named so; 0 when the server has none.
    unsigned long ModeNamed(const std::string& name);

    // Sets `first`, `second`, `first`, ... on the first CRTC, `count` times
    // in all, as fast as the server answers. Returns how many were accepted.
    int FlipModes(unsigned long first, unsigned long second, int count);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace xtest
