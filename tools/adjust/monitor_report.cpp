#include "tools/adjust/monitor_report.h"

#include <cstdio>

namespace adjust {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            // Bytes beyond ASCII need not be UTF-8; each stands for itself.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string QuotedOrNull(const std::string& text) {
    return text.empty() ? "null" : Quoted(text);
}

std::string ModeJson(int width, int height, int refresh) {
    return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
           ",\"refresh\":" + std::to_string(refresh) + "}";
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string EdidJson(const screen::Monitor& m) {
    const screen::edid::Info& e = *m.edid;
    return std::string("{\"input\":") + (e.digital ? "\"digital\"" : "\"analog\"") +
           ",\"pnp\":" + Quoted(e.pnp) + ",\"make\":" + QuotedOrNull(m.make) +
           ",\"model\":" + QuotedOrNull(e.name) + ",\"serial\":" + QuotedOrNull(e.serial) +
           ",\"year\":" + std::to_string(e.year) + ",\"width_mm\":" + std::to_string(e.width_mm) +
           ",\"height_mm\":" + std::to_string(e.height_mm) + ",\"diagonal_in\":" + OneDecimal(e.diagonal_in) +
           ",\"native\":" + ModeJson(e.native.width, e.native.height, e.native.refresh) + "}";
}

std::string ModeText(int width, int height, int refresh) {
    std::string text = std::to_string(width) + "x" + std::to_string(height);
    return refresh > 1 ? text + " at " + std::to_string(refresh) + " Hz" : text;
}

void Line(std::string& out, const char* label, const std::string& value) {
    char head[32];
    std::snprintf(head, sizeof head, "  %-14s", label);
    out += head + value + "\n";
}

}  // namespace

std::string MonitorsJson(std::span<const screen::Monitor> monitors) {
    std::string out = "[";
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const screen::Monitor& m = monitors[i];
        out += i == 0 ? "\n  " : ",\n  ";
        out += "{\"name\":" + Quoted(m.name) +
               ",\"connector\":" + Quoted(std::string(ConnectorLabel(m.connector))) +
               ",\"primary\":" + (m.primary ? "true" : "false") +
               ",\"current\":" + ModeJson(m.current.width, m.current.height, m.current.refresh) +
               ",\"edid\":" + (m.edid ? EdidJson(m) : "null") +
               ",\"edid_error\":" + (m.edid ? "null" : Quoted(m.edid_error)) + "}";
    }
    return out + (monitors.empty() ? "]\n" : "\n]\n");
}

std::string MonitorsText(std::span<const screen::Monitor> monitors) {
    std::string out;
    for (const screen::Monitor& m : monitors) {
        if (!out.empty()) out += "\n";
        out += m.name + (m.primary ? " (primary)\n" : "\n");
        Line(out, "connector:", std::string(ConnectorLabel(m.connector)));
        Line(out, "current mode:",
             m.active ? ModeText(m.current.width, m.current.height, m.current.refresh) : "off");
        if (!m.edid) {
            Line(out, "EDID:", "none (" + m.edid_error + ")");
            // What the compositor reports stands in for the EDID.
            if (!m.make.empty()) Line(out, "make:", m.make);
            if (!m.model.empty()) Line(out, "model:", m.model);
            if (!m.serial.empty()) Line(out, "serial:", m.serial);
            continue;
        }
        const screen::edid::Info& e = *m.edid;
        Line(out, "input:", e.digital ? "digital" : "analog");
        Line(out, "maker:", e.pnp + (m.make.empty() ? "" : " (" + m.make + ")"));
        char product[16];
        std::snprintf(product, sizeof product, "0x%04X", e.product_code);
        Line(out, "model:", (e.name.empty() ? "" : e.name + ", ") + "product code " + product);
        if (!e.serial.empty()) Line(out, "serial:", e.serial);
        Line(out, "year:", std::to_string(e.year));
        Line(out, "image size:",
             e.width_mm > 0 ? std::to_string(e.width_mm) + " x " + std::to_string(e.height_mm) + " mm, " +
                                  OneDecimal(e.diagonal_in) + " inches"
                            : "unknown");
        Line(out, "native mode:", ModeText(e.native.width, e.native.height, e.native.refresh));
        Line(out, "EDID:",
             "version " + std::to_string(e.version) + "." + std::to_string(e.revision) + ", " +
                 std::to_string(e.extensions) + " extension block" + (e.extensions == 1 ? "" : "s"));
    }
    return out;
}

std::string AnalogHint(std::span<const screen::Monitor> monitors, const screen::Monitor* chosen) {
    for (const screen::Monitor& m : monitors) {
        if (&m == chosen || (chosen && m.name == chosen->name) || !IsAnalog(m)) continue;
        return m.name + " is an analog (VGA) monitor: corvane-adjust --monitor " + m.name + " adjusts it";
    }
    return {};
}

}  // namespace adjust
