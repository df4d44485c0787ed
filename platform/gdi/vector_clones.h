// Loops built once per vector unit, the widest the processor has picked when
// the program loads. Windows executables cannot pick at load time (no
// ifunc): there each loop is built once, for the baseline unit.
#pragma once

#ifdef _WIN32
#define CORVANE_VECTOR_CLONES(...)
#else
#define CORVANE_VECTOR_CLONES(...) __attribute__((target_clones(__VA_ARGS__)))
#endif
