// Which vector unit the drawing loops use: the widest the processor has, or
// the portable loops (tests run both and require the same pixels).
#pragma once

namespace gdi {

enum class VectorUnit { kWidest, kPortable };

void UseVectorUnit(VectorUnit unit);

// Whether the loops written for AVX-512 run: the processor has it and the
// widest unit is in use.
bool UsesAvx512();

}  // namespace gdi
