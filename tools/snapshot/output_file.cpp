#include "tools/snapshot/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace snapshot {

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::Open(const std::string& path, std::string* error) {
    Discard();
    path_ = path;
    // Only a plain file is replaced by a rename. Anything else that exists (a
    // symbolic link such as /dev/stdout, a device, a pipe) is written directly,
    // so the rename can never put a file in its place.
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_ && error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return file_ != nullptr;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; the target gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        std::remove(temp.c_str());
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    temp_path_ = temp;
    return true;
}

bool OutputFile::Commit(std::string* error) {
    if (!file_) {
        if (error) *error = "cannot write " + path_ + ": it was never opened";
        return false;
    }
    const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (temp_path_.empty()) {  // written directly
        if (!(written && closed) && error) *error = "cannot write " + path_ + ": " + std::strerror(errno);
        return written && closed;
    }
    if (!written || !closed || std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
        if (error) *error = "cannot write " + path_ + ": " + std::strerror(errno);
        std::remove(temp_path_.c_str());
        temp_path_.clear();
        return false;
    }
    temp_path_.clear();
    return true;
}

void OutputFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_path_.empty()) std::remove(temp_path_.c_str());
    temp_path_.clear();
}

}  // namespace snapshot
