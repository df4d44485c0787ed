// Drawing trace: each drawing call as one structured record, written as one
// JSON Lines object. Tests read the records; the snapshot tool writes them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace gdi {

struct TraceObject;

struct TraceValue {
    std::variant<std::nullptr_t, bool, std::int64_t, std::string, std::vector<std::int64_t>,
                 std::shared_ptr<TraceObject>>
        v;
    TraceValue() : v(nullptr) {}
    TraceValue(std::nullptr_t) : v(nullptr) {}
    TraceValue(bool b) : v(b) {}
    TraceValue(int i) : v(static_cast<std::int64_t>(i)) {}
    TraceValue(std::int64_t i) : v(i) {}
    TraceValue(const char* s) : v(std::string(s)) {}
    TraceValue(std::string s) : v(std::move(s)) {}
    TraceValue(std::vector<std::int64_t> a) : v(std::move(a)) {}
    TraceValue(TraceObject o);
};

// An ordered JSON object.
struct TraceObject {
    std::vector<std::pair<std::string, TraceValue>> fields;

    TraceObject& Add(std::string key, TraceValue value) {
        fields.emplace_back(std::move(key), std::move(value));
        return *this;
    }
    const TraceValue* Find(std::string_view key) const;
    // Typed lookups for tests; a missing or mistyped field yields nullopt.
    std::optional<std::int64_t> Int(std::string_view key) const;
    std::optional<std::string> Str(std::string_view key) const;
    std::optional<bool> Bool(std::string_view key) const;
    std::optional<std::vector<std::int64_t>> Ints(std::string_view key) const;
    const TraceObject* Object(std::string_view key) const;
    std::string op() const { return Str("op").value_or(""); }
    std::string ToJson() const;
};

inline TraceValue::TraceValue(TraceObject o) : v(std::make_shared<TraceObject>(std::move(o))) {}

std::string JsonEscape(std::string_view s);
std::string ColorHex(std::uint32_t colorref);  // "#rrggbb" from a COLORREF

class TraceRecorder {
public:
    virtual ~TraceRecorder() = default;
    virtual void Record(const TraceObject& record) = 0;
};

// Where the program's drawing in this run is recorded (tools and tests set
// it); null, the default of every run: nowhere.
void SetRunTrace(TraceRecorder* trace);
TraceRecorder* RunTrace();

// Keeps every record in memory (tests).
class MemoryTrace : public TraceRecorder {
public:
    void Record(const TraceObject& record) override { records.push_back(record); }
    std::vector<const TraceObject*> WithOp(std::string_view op) const;
    std::vector<TraceObject> records;
};

}  // namespace gdi
