#include "platform/gdi/trace.h"

#include <cstdio>

#include "platform/context.h"

namespace gdi {
namespace {

struct RunTracePart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kTrace;
    TraceRecorder* trace = nullptr;
};

}  // namespace

void SetRunTrace(TraceRecorder* trace) {
    platform::TheContext().Get<RunTracePart>().trace = trace;
}

TraceRecorder* RunTrace() {
    return platform::TheContext().Get<RunTracePart>().trace;
}

const TraceValue* TraceObject::Find(std::string_view key) const {
    for (const auto& [k, v] : fields) {
        if (k == key) return &v;
    }
    return nullptr;
}

std::optional<std::int64_t> TraceObject::Int(std::string_view key) const {
    const TraceValue* v = Find(key);
    if (v && std::holds_alternative<std::int64_t>(v->v)) return std::get<std::int64_t>(v->v);
    return std::nullopt;
}

std::optional<std::string> TraceObject::Str(std::string_view key) const {
    const TraceValue* v = Find(key);
    if (v && std::holds_alternative<std::string>(v->v)) return std::get<std::string>(v->v);
    return std::nullopt;
}

std::optional<bool> TraceObject::Bool(std::string_view key) const {
    const TraceValue* v = Find(key);
    if (v && std::holds_alternative<bool>(v->v)) return std::get<bool>(v->v);
    return std::nullopt;
}

std::optional<std::vector<std::int64_t>> TraceObject::Ints(std::string_view key) const {
    const TraceValue* v = Find(key);
    if (v && std::holds_alternative<std::vector<std::int64_t>>(v->v)) {
        return std::get<std::vector<std::int64_t>>(v->v);
    }
    return std::nullopt;
}

const TraceObject* TraceObject::Object(std::string_view key) const {
    const TraceValue* v = Find(key);
    if (v && std::holds_alternative<std::shared_ptr<TraceObject>>(v->v)) {
        return std::get<std::shared_ptr<TraceObject>>(v->v).get();
    }
    return nullptr;
}

std::string JsonEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    // Bytes outside ASCII are cp1252 text; write them as code
                    // points so the line stays valid JSON.
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::string ColorHex(std::uint32_t colorref) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", colorref & 0xFF, (colorref >> 8) & 0xFF,
                  (colorref >> 16) & 0xFF);
    return buf;
}

namespace {

void AppendValue(std::string& out, const TraceValue& value) {
    std::visit(
        [&out](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::nullptr_t>) {
                out += "null";
            } else if constexpr (std::is_same_v<T, bool>) {
                out += v ? "true" : "false";
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                out += std::to_string(v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                out += '"';
                out += JsonEscape(v);
                out += '"';
            } else if constexpr (std::is_same_v<T, std::vector<std::int64_t>>) {
                out += '[';
                for (std::size_t i = 0; i < v.size(); ++i) {
                    if (i) out += ',';
                    out += std::to_string(v[i]);
                }
                out += ']';
            } else {
                out += v ? v->ToJson() : "null";
            }
        },
        value.v);
}

}  // namespace

std::string TraceObject::ToJson() const {
    std::string out = "{";
    bool first = true;
    for (const auto& [k, v] : fields) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += JsonEscape(k);
        out += "\":";
        AppendValue(out, v);
    }
    out += '}';
    return out;
}

std::vector<const TraceObject*> MemoryTrace::WithOp(std::string_view op) const {
    std::vector<const TraceObject*> found;
    for (const auto& r : records) {
        if (r.op() == op) found.push_back(&r);
    }
    return found;
}

}  // namespace gdi
