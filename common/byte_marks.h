#ifndef BOMTABLES_BYTE_MARKS_H
#define BOMTABLES_BYTE_MARKS_H

#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Bit k of the result is set when byte k of the 16 at p is `byte`. The line
// ends and the quotes that split lines are found sixteen bytes at a time.
inline uint64_t byte_marks_16(const char *p, char byte)
{
#ifdef __SSE2__
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(byte))));
#else
    uint64_t marks = 0;
    for (int k = 0; k < 16; k++)
        marks |= static_cast<uint64_t>(p[k] == byte) << k;
    return marks;
#endif
}

#endif
