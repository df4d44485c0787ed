#include "tests/e2e/snapshot_run.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/harness/child.h"

namespace e2e {
namespace {

std::optional<long> IntField(const std::string& line, const std::string& key) {
    const std::string k = "\"" + key + "\":";
    const auto at = line.find(k);
    if (at == std::string::npos) return std::nullopt;
    return std::stol(line.substr(at + k.size()));
}

// [l,t,r,b] of `key` as its centre.
std::optional<Point> RectCentre(const std::string& line, const std::string& key) {
    const std::string k = "\"" + key + "\":[";
    const auto at = line.find(k);
    if (at == std::string::npos) return std::nullopt;
    long v[4];
    std::size_t pos = at + k.size();
    for (long& n : v) {
        std::size_t used = 0;
        n = std::stol(line.substr(pos), &used);
        pos += used + 1;
    }
    return Point{static_cast<int>((v[0] + v[2]) / 2), static_cast<int>((v[1] + v[3]) / 2)};
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::optional<Point> Snapshot::ButtonCentre(const std::string& name) const {
    for (const std::string& line : trace) {
        if (line.find("\"op\":\"button\"") == std::string::npos) continue;
        if (line.find("\"name\":\"" + name + "\"") == std::string::npos) continue;
        if (line.find("\"visible\":true") == std::string::npos) return std::nullopt;
        return RectCentre(line, "rect");
    }
    return std::nullopt;
}

std::optional<Point> Snapshot::BoxButtonCentre(std::size_t box, const std::string& answer) const {
    std::size_t seen = 0;
    for (const std::string& line : trace) {
        if (line.find("\"op\":\"messagebox\"") == std::string::npos) continue;
        if (seen++ == box) return RectCentre(line, answer);
    }
    return std::nullopt;
}

std::optional<Point> Snapshot::TextCentre(const std::string& text) const {
    std::optional<Point> found;
    const std::string field = "\"text\":" + JsonString(text) + ",";
    for (const std::string& line : trace) {
        if (line.find("\"op\":\"text\"") == std::string::npos || line.find(field) == std::string::npos)
            continue;
        const auto x = IntField(line, "x"), y = IntField(line, "y");
        const auto cx = IntField(line, "cx"), cy = IntField(line, "cy");
        if (x && y && cx && cy) found = Point{static_cast<int>(*x + *cx / 2), static_cast<int>(*y + *cy / 2)};
    }
    return found;
}

Snapshot RunSnapshot(const std::string& dir, const std::string& mode, const std::string& steps,
                     const std::vector<std::string>& options) {
    namespace fs = std::filesystem;
    const fs::path tool = fs::path(dir) / "corvane-adjust";
    std::error_code ignored;
    if (!fs::exists(tool)) fs::create_symlink(CORVANE_SNAPSHOT_PATH, tool, ignored);
    const std::string png = (fs::path(dir) / "snapshot.png").string();
    const std::string trace = (fs::path(dir) / "snapshot.jsonl").string();
    fs::remove(png, ignored);

    Snapshot s;
    std::vector<std::string> argv{tool.string(), "--mode", mode,      "--do", steps,
                                  "--png",       png,      "--trace", trace};
    argv.insert(argv.end(), options.begin(), options.end());
    const harness::RunResult r = harness::Run({argv}, 60000);
    s.status = r.status;
    s.output = r.Output();
    std::string error;
    if (!ReadPng(png, &s.image, &error)) s.output += error;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) s.trace.push_back(line);
    return s;
}

}  // namespace e2e
