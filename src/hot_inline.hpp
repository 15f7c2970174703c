// Marks the helpers of the hot loop: always inlined, which the compiler would
// not do by itself, and which the benchmark's instruction counts show pays.
#pragma once

#if defined(_MSC_VER)
#define REPLAYGEN_HOT_INLINE __forceinline
#else
#define REPLAYGEN_HOT_INLINE [[gnu::always_inline]] inline
#endif
