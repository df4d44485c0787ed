// Scoped pairs of device-context calls: SaveDC with its RestoreDC, and
// SelectObject with the selection of the object it replaced. The closing call
// is made when the scope ends, on every way out of it.
#pragma once

#include <utility>

#include "platform/gdi/dc.h"

namespace gdi {

// SaveDC now, RestoreDC to that level at the end of the scope.
class SavedDC {
public:
    explicit SavedDC(CDC& dc) : dc_(dc), level_(dc.SaveDC()) {}
    ~SavedDC() {
        if (level_ > 0) dc_.RestoreDC(level_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    CDC& dc_;
    int level_;
};

// Selects an object (a CPen, CBrush, CFont or CBitmap) into a DC and selects
// the one it replaced again at the end of the scope. A selection that failed
// (a bitmap that cannot be selected) is false and puts nothing back.
template <class Object>
class Selected {
public:
    Selected(CDC& dc, const Object* object) : dc_(dc), previous_(dc.SelectObject(object)) {}
    ~Selected() {
        if (previous_) dc_.SelectObject(std::move(previous_));
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

    explicit operator bool() const { return previous_ != nullptr; }

private:
    CDC& dc_;
    decltype(std::declval<CDC&>().SelectObject(std::declval<const Object*>())) previous_;
};

}  // namespace gdi
