#include "utf8.h"

#include <cstdint>
#include <cstring>

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five it leaves
// undefined stand for themselves, as browsers read them. From 0xA0 on each
// byte is the character of its own number.
static const unsigned short WINDOWS_1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char *put_utf8(char *to, unsigned long c)
{
    if (c < 0x80) {
        *to++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *to++ = static_cast<char>(0xC0 | (c >> 6));
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *to++ = static_cast<char>(0xE0 | (c >> 12));
        *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *to++ = static_cast<char>(0xF0 | (c >> 18));
        *to++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return to;
}

char *put_windows_1252(char *to, unsigned char b)
{
    return put_utf8(to, b >= 0x80 && b < 0xA0 ? WINDOWS_1252[b - 0x80] : b);
}

int utf8_sequence(const unsigned char *p, size_t n)
{
    unsigned char lead = p[0];
    int length;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int k = 1; k < length; k++) {
        if (static_cast<size_t>(k) >= n)
            return -1;
        unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
        if (p[k] < lo || p[k] > hi)
            return 0;
    }
    return length;
}

bool all_ascii(const char *p, size_t n)
{
    // A part line is looked at as a whole, its words put together: none of
    // its bytes has the top bit set when their union has not.
    uint64_t seen = 0;
    size_t k = 0;
    for (uint64_t w; k + 8 <= n; k += 8) {
        memcpy(&w, p + k, 8);
        seen |= w;
    }
    for (; k < n; k++)
        seen |= static_cast<unsigned char>(p[k]);
    return (seen & 0x8080808080808080) == 0;
}

size_t ascii_run(const unsigned char *p, size_t n)
{
    // Most text is ASCII. Its bytes are looked at eight at a time, which
    // takes a fifth of the time of one at a time: none of them is NUL or has
    // its top bit set when the word and the word less one in each byte have
    // no top bit set.
    size_t k = 0;
    for (uint64_t w; k + 8 <= n; k += 8) {
        memcpy(&w, p + k, 8);
        if (((w | (w - 0x0101010101010101)) & 0x8080808080808080) != 0)
            break;
    }
    while (k < n && p[k] < 0x80 && p[k] != 0)
        k++;
    return k;
}
