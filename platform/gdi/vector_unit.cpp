#include "platform/gdi/vector_unit.h"

namespace gdi {

namespace {

bool ProcessorHasAvx512() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx512f");
#else
    return false;
#endif
}

bool& Avx512InUse() {
    static bool in_use = ProcessorHasAvx512();
    return in_use;
}

}  // namespace

void UseVectorUnit(VectorUnit unit) {
    Avx512InUse() = unit == VectorUnit::kWidest && ProcessorHasAvx512();
}

bool UsesAvx512() {
    return Avx512InUse();
}

}  // namespace gdi
