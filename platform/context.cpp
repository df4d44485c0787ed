#include "platform/context.h"

namespace platform {

void Context::Renew(PartId id) {
    std::unique_ptr<Part>& slot = parts_[static_cast<std::size_t>(id)];
    if (!slot) return;
    slot->EndRun();
    slot.reset();
}

void Context::NewRun() {
    for (std::size_t i = parts_.size(); i-- > static_cast<std::size_t>(kFirstRunPart);) {
        Renew(static_cast<PartId>(i));
    }
}

Context& TheContext() {
    // The one free-standing mutable object of the platform layer. It is never
    // destroyed: objects of other statics may still use fonts, windows or the
    // driver from their destructors at exit, and everything stays reachable.
    static Context* const context = new Context;
    return *context;
}

}  // namespace platform
