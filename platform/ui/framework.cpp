#include "platform/ui/framework.h"

#include "platform/ui/window_state.h"

namespace ui {

using detail::S;

void SetHost(host::Host* host) {
    detail::EnsureHooks();
    S().host = host;
}

host::Host* GetHost() {
    return S().host;
}

int RunMessageLoop() {
    S().input_exhausted = false;
    int code = 0;
    detail::RunLoop(nullptr, false, false, &code);
    return code;
}

void PumpUntilIdle() {
    detail::RunLoop(nullptr, false, true, nullptr);
}

bool InputExhausted() {
    return S().input_exhausted;
}
int UnansweredMessageBoxes() {
    return S().unanswered_boxes;
}

std::size_t LiveWindowCount() {
    return S().windows.size();
}

std::size_t LiveSurfaceCount() {
    std::size_t n = 0;
    for (const auto& [h, w] : S().windows) n += w->surface ? 1 : 0;
    return n;
}

std::size_t QueuedMessageCount() {
    return S().queue.size();
}

void ResetState() {
    platform::TheContext().Renew(platform::PartId::kUi);
}

std::string AppNameFromPath(const char* path) {
    std::string name = path ? path : "";
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "app" : name;
}

}  // namespace ui
