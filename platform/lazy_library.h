// Shared libraries opened when one of their functions is first called, not
// when the program starts: a start loads only what its first frame needs.
// A file that forwards a library defines each function the program calls
// with LAZY_FORWARD, naming a function that opens the library once.
#pragma once

#include <dlfcn.h>

namespace platform {

// The library's handle, or null when it is missing.
inline void* OpenLibrary(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

// The library's function, or null when the library or the function is missing.
template <typename Function>
Function ResolveIn(void* library, const char* name) {
    return library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

}  // namespace platform

// Defines `name` to call the same function of the library that `library()`
// opens; without it, a call gives `fallback`.
#define LAZY_FORWARD(library, result, name, params, args, fallback)                         \
    extern "C" result name params {                                                         \
        static const auto real = ::platform::ResolveIn<result(*) params>(library(), #name); \
        if (!real) return fallback;                                                         \
        return real args;                                                                   \
    }
#define LAZY_FORWARD_VOID(library, name, params, args)                                    \
    extern "C" void name params {                                                         \
        static const auto real = ::platform::ResolveIn<void(*) params>(library(), #name); \
        if (real) real args;                                                              \
    }
