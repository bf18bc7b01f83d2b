#include "text_input.h"

#include <cstring>

#include "platform.h"
#include "utf8.h"

void text_open(text_input *in, FILE *file)
{
    in->file = file;
    in->started = false;
    in->encoding = TEXT_UTF8;
    in->windows_1252 = false;
    in->at_end = false;
    in->held_count = 0;
}

// Decodes UTF-8 text, bytes that are not read as Windows-1252. Returns how
// many of the n bytes were taken: a sequence cut at their end is left for
// the next read, unless the input ends there.
static size_t decode_utf8(text_input *in, const unsigned char *from, size_t n, char **to)
{
    char *out = *to;
    size_t k = 0;
    while (k < n) {
        size_t run = k + ascii_run(from + k, n - k);
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
            out = put_windows_1252(out, b);
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
