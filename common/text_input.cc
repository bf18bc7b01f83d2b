#include "text_input.h"

#include <cstdint>
#include <cstring>

#include "platform.h"

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five it leaves
// undefined stand for themselves, as browsers read them. From 0xA0 on each
// byte is the character of its own number.
static const unsigned short WINDOWS_1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void text_open(text_input *in, FILE *file)
{
    in->file = file;
    in->started = false;
    in->encoding = TEXT_UTF8;
    in->windows_1252 = false;
    in->at_end = false;
    in->held_count = 0;
}

static char *put_utf8(char *to, unsigned long c)
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

// How many bytes of a valid UTF-8 sequence start at p (n bytes there): its
// length, 0 when it is not valid, or -1 when the n bytes are a valid start
// of one that goes on past them.
static int utf8_sequence(const unsigned char *p, size_t n)
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

// Decodes UTF-8 text, bytes that are not read as Windows-1252. Returns how
// many of the n bytes were taken: a sequence cut at their end is left for
// the next read, unless the input ends there.
static size_t decode_utf8(text_input *in, const unsigned char *from, size_t n, char **to)
{
    char *out = *to;
    size_t k = 0;
    while (k < n) {
        // Most text is ASCII: a run of it is copied as it is. Its bytes are
        // looked at eight at a time, which takes a fifth of the time of one
        // at a time: none of them is NUL or has its top bit set when the
        // word and the word less one in each byte have no top bit set.
        size_t run = k;
        for (uint64_t w; run + 8 <= n; run += 8) {
            memcpy(&w, from + run, 8);
            if (((w | (w - 0x0101010101010101)) & 0x8080808080808080) != 0)
                break;
        }
        while (run < n && from[run] < 0x80 && from[run] != 0)
            run++;
        memcpy(out, from + k, run - k);
        out += run - k;
        k = run;
        if (k == n)
            break;
        if (from[k] == 0) {
            out = put_utf8(out, 0xFFFD);
            k++;
            continue;
        }
        int length = utf8_sequence(from + k, n - k);
        if (length < 0 && !in->at_end)
            break;
        if (length > 0) {
            memcpy(out, from + k, static_cast<size_t>(length));
            out += length;
            k += static_cast<size_t>(length);
        } else {
            unsigned char b = from[k++];
            in->windows_1252 = true;
            out = put_utf8(out, b < 0xA0 ? WINDOWS_1252[b - 0x80] : b);
        }
    }
    *to = out;
    return k;
}

// Decodes UTF-16 in the input's byte order; a lone surrogate or a last odd
// byte is the replacement character. Its bytes were read as they are, so a
// CR before a newline is dropped, as reading text drops it.
static size_t decode_utf16(text_input *in, const unsigned char *from, size_t n, char **to)
{
    const bool big = in->encoding == TEXT_UTF16BE;
    auto unit = [&](size_t at) {
        return static_cast<unsigned long>(big ? (from[at] << 8 | from[at + 1]) : (from[at + 1] << 8 | from[at]));
    };
    char *out = *to;
    size_t k = 0;
    while (k + 1 < n) {
        unsigned long c = unit(k);
        size_t used = 2;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (k + 3 >= n && !in->at_end)
                break;
            unsigned long low = k + 3 < n ? unit(k + 2) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                used = 4;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0xFFFD;
        } else if (c == '\r') {
            if (k + 3 >= n && !in->at_end)
                break;
            if (k + 3 < n && unit(k + 2) == '\n') {
                k += 2;
                continue;
            }
        }
        out = put_utf8(out, c == 0 ? 0xFFFD : c);
        k += used;
    }
    if (k + 1 == n && in->at_end) {
        out = put_utf8(out, 0xFFFD);
        k++;
    }
    *to = out;
    return k;
}

// Looks at the first bytes for a byte-order mark; returns how many it takes.
static size_t take_byte_order_mark(text_input *in, const unsigned char *p, size_t n)
{
    in->started = true;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return 3;
    if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        in->encoding = p[0] == 0xFF ? TEXT_UTF16LE : TEXT_UTF16BE;
        read_input_as_bytes(in->file);
        return 2;
    }
    return 0;
}

long text_read(text_input *in, char *into)
{
    char *out = into;
    while (out == into) {
        if (in->at_end && in->held_count == 0)
            return 0;
        memcpy(in->raw, in->held, in->held_count);
        size_t n = in->held_count;
        if (!in->at_end) {
            // The first bytes are read alone: after a UTF-16 mark, the rest
            // is read as bytes.
            size_t most = in->started ? sizeof in->raw - 4 - n : 3 - n;
            long got = read_input(in->file, reinterpret_cast<char *>(in->raw) + n, most);
            if (got < 0)
                return -1;
            in->at_end = got == 0;
            n += static_cast<size_t>(got);
        }
        size_t k = 0;
        if (!in->started) {
            if (n < 3 && !in->at_end) {
                memcpy(in->held, in->raw, n);
                in->held_count = n;
                continue;
            }
            k = take_byte_order_mark(in, in->raw, n);
        }
        if (in->encoding == TEXT_UTF8)
            k += decode_utf8(in, in->raw + k, n - k, &out);
        else
            k += decode_utf16(in, in->raw + k, n - k, &out);
        in->held_count = n - k;
        memcpy(in->held, in->raw + k, in->held_count);
    }
    return static_cast<long>(out - into);
}
