// An output file that appears whole or not at all: it is written under a
// temporary name in the same directory and renamed over the target at the end.
// Anything but a plain file (a symbolic link such as /dev/stdout, a device,
// a pipe) is written directly and never replaced.
#pragma once

#include <cstdio>
#include <string>

namespace snapshot {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside path; false with a message in *error
    // when the directory cannot take it.
    bool Open(const std::string& path, std::string* error);
    // The open temporary file; null before Open or after Commit.
    FILE* file() const { return file_; }
    // Flushes, closes and renames the temporary file to the target; on any
    // failure the temporary file is removed and the target left as it was.
    bool Commit(std::string* error);
    // Removes the temporary file, leaving the target as it was.
    void Discard();

private:
    std::string path_;
    std::string temp_path_;
    FILE* file_ = nullptr;
};

}  // namespace snapshot
