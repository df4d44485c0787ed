// Helpers shared by the page tests: reading one page render's trace records
// and the back buffer's pixels.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/trace.h"
#include "platform/ui/framework.h"
#include "tools/snapshot/session.h"

namespace pages_test {

using Rect = std::array<int, 4>;  // [left, top, right, bottom] or [x, y, w, h]

struct TextRecord {
    std::string text;
    int x = 0, y = 0, height = 0, weight = 0, cx = 0, cy = 0;
    std::string color, bkmode;
};

struct BlitRecord {
    Rect dst{}, src{};
    int bitmap = -1;  // resource number, -1 when the trace has none
};

inline Rect ToRect(const std::vector<std::int64_t>& v) {
    Rect r{};
    for (std::size_t i = 0; i < r.size() && i < v.size(); ++i) r[i] = static_cast<int>(v[i]);
    return r;
}

// The records of the last page render: everything after the last "render".
inline std::vector<gdi::TraceObject> LastRender(const std::vector<gdi::TraceObject>& records) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].op() == "render") start = i + 1;
    }
    return {records.begin() + static_cast<std::ptrdiff_t>(start), records.end()};
}

inline std::vector<TextRecord> Texts(const std::vector<gdi::TraceObject>& records) {
    std::vector<TextRecord> out;
    for (const auto& r : records) {
        if (r.op() != "text") continue;
        out.push_back({r.Str("text").value_or(""), static_cast<int>(r.Int("x").value_or(-1)),
                       static_cast<int>(r.Int("y").value_or(-1)),
                       static_cast<int>(r.Int("height").value_or(-1)),
                       static_cast<int>(r.Int("weight").value_or(-1)),
                       static_cast<int>(r.Int("cx").value_or(-1)), static_cast<int>(r.Int("cy").value_or(-1)),
                       r.Str("color").value_or(""), r.Str("bkmode").value_or("")});
    }
    return out;
}

inline std::vector<Rect> Rects(const std::vector<gdi::TraceObject>& records) {
    std::vector<Rect> out;
    for (const auto& r : records) {
        if (r.op() == "rect") out.push_back(ToRect(r.Ints("rect").value_or(std::vector<std::int64_t>{})));
    }
    return out;
}

inline std::vector<BlitRecord> Blits(const std::vector<gdi::TraceObject>& records) {
    std::vector<BlitRecord> out;
    for (const auto& r : records) {
        if (r.op() != "blit") continue;
        out.push_back({ToRect(r.Ints("dst").value_or(std::vector<std::int64_t>{})),
                       ToRect(r.Ints("src").value_or(std::vector<std::int64_t>{})),
                       static_cast<int>(r.Int("bitmap").value_or(-1))});
    }
    return out;
}

inline std::vector<const gdi::TraceObject*> WithOp(const std::vector<gdi::TraceObject>& records,
                                                   const std::string& op) {
    std::vector<const gdi::TraceObject*> out;
    for (const auto& r : records) {
        if (r.op() == op) out.push_back(&r);
    }
    return out;
}

// One page rendered into the back buffer, with the trace of that render.
struct PageView {
    std::unique_ptr<snapshot::Session> session;
    CMainFrame* frame = nullptr;
    std::vector<gdi::TraceObject> records;
    const gdi::Surface* surface = nullptr;  // null when the size was refused
};

// Renders the current page again, keeping only this render's records.
inline void RenderAgain(PageView& view) {
    gdi::MemoryTrace trace;
    CDC& dc = view.frame->BackBuffer.dc;
    dc.SetTrace(&trace);
    view.frame->RenderCurrentPage();
    dc.SetTrace(nullptr);
    view.records = LastRender(trace.records);
    view.surface = dc.surface();
}

inline PageView ShowPage(int width, int height, WizardPage page) {
    PageView view;
    view.session = snapshot::StartAt(width, height);
    view.frame = view.session->frame();
    view.frame->CurrentPage = page;
    RenderAgain(view);
    return view;
}

constexpr gdi::Pixel kBlack = 0x000000, kWhite = 0xFFFFFF, kGreen = 0x00FF00;

}  // namespace pages_test
