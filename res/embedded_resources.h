// The pictures of res/, compiled in as byte arrays; one entry per file.
#pragma once

#include <cstddef>

namespace corvane_res {

struct EmbeddedResource {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// In the order of the file names; ids are unique.
extern const EmbeddedResource* const kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

}  // namespace corvane_res
