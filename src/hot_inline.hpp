// Marks the helpers of the hot loop: always inlined, which the compiler would
// not do by itself, and which the benchmark's instruction counts show pays.
// The hot loops also copy the fields and the reference parameters that they
// change into locals, which the compiler keeps in registers, and store them
// back once at the end.
#pragma once

#if defined(_MSC_VER)
#define REPLAYGEN_HOT_INLINE __forceinline
#else
#define REPLAYGEN_HOT_INLINE [[gnu::always_inline]] inline
#endif
