#include "platform/gdi/surface.h"

namespace gdi {

Surface::Surface(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

std::shared_ptr<Surface> Surface::Create(int width, int height, std::string* error) {
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension) {
        if (error) {
            *error = "surface of " + std::to_string(width) + " x " + std::to_string(height) +
                     " refused: each side must be 0 to " + std::to_string(kMaxDimension);
        }
        return nullptr;
    }
    return std::shared_ptr<Surface>(new Surface(width, height));
}

}  // namespace gdi
