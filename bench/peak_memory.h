// Peak resident memory of a running process, as the kernel counts it.
#pragma once

#include <sys/types.h>

#include <fstream>
#include <sstream>
#include <string>

namespace bench {

// VmHWM of process `pid` in KiB; -1 when it cannot be read.
inline long PeakResidentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) != 0) continue;
        std::istringstream fields(line.substr(6));
        long kib = -1;
        fields >> kib;
        return kib;
    }
    return -1;
}

}  // namespace bench
