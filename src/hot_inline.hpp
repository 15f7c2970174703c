// Marks the helpers of the hot loop: always inlined, which the compiler would
// not do by itself, and private to each file that uses them, to fit its code.
#pragma once

#if defined(_MSC_VER)
#define REPLAYGEN_HOT_INLINE static __forceinline
#else
#define REPLAYGEN_HOT_INLINE [[gnu::always_inline]] static inline
#endif
