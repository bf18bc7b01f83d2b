// The Markdown flavour: a pipe table of the heading, a delimiter row and the
// rows, in which every cell reads as its own text. Its blanks at both ends
// are trimmed, as a renderer trims them; a byte that could begin markup gets
// a backslash, but only where it could; a line break inside the cell is a
// "<br>", since a line break would end the table's row. The renderers of the
// big code-hosting sites also make a link of a bare web address: the "." or
// ":" that would begin one gets a backslash too, which keeps it text.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "cell_output.h"

enum md_kind : unsigned char {
    MD_TEXT,          // stands for itself
    MD_BLANK,         // trimmed at the cell's ends, itself inside
    MD_BREAK,         // CR or LF: trimmed at the cell's ends, "<br>" inside
    MD_ESCAPED,       // always after a backslash: | * ` [ ~
    MD_LOOKS_AHEAD,   // \ _ & <: escaped or not by the byte after it
    MD_LOOKS_BEHIND,  // . and :, escaped or not by the bytes before them
};

static constexpr std::array<unsigned char, 256> md_kinds()
{
    std::array<unsigned char, 256> kinds{};
    for (unsigned char b : {' ', '\t', '\v', '\f'})
        kinds[b] = MD_BLANK;
    kinds['\r'] = kinds['\n'] = MD_BREAK;
    for (unsigned char b : {'|', '*', '`', '[', '~'})
        kinds[b] = MD_ESCAPED;
    for (unsigned char b : {'\\', '_', '&', '<'})
        kinds[b] = MD_LOOKS_AHEAD;
    kinds['.'] = kinds[':'] = MD_LOOKS_BEHIND;
    return kinds;
}
static constexpr std::array<unsigned char, 256> MD_KIND = md_kinds();

static bool is_letter(int b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

static bool is_letter_or_digit(int b)
{
    return is_letter(b) || (b >= '0' && b <= '9');
}

static bool is_punctuation(int b)
{
    return (b >= '!' && b <= '/') || (b >= ':' && b <= '@') || (b >= '[' && b <= '`') || (b >= '{' && b <= '~');
}

constexpr int CELL_ENDS = -1;  // what follows the cell's last byte, or precedes its first

// Whether `held` needs its backslash, given the byte after it. A backslash
// escapes punctuation, and the "<" of a "<br>"; "_" within a word of letters
// and digits starts no emphasis; "&" starts a character reference only
// before a letter or "#"; "<" a tag or a link only before a letter, "/",
// "!" or "?".
static bool needs_escape(unsigned char held, bool after_word, int next)
{
    switch (held) {
    case '\\':
        return next != CELL_ENDS && (is_punctuation(next) || next == '\r' || next == '\n');
    case '_':
        return !(after_word && is_letter_or_digit(next));
    case '&':
        return is_letter(next) || next == '#';
    default:  // '<'
        return is_letter(next) || next == '/' || next == '!' || next == '?';
    }
}

// The most bytes a link's start looks back: the byte before an "https".
constexpr int MD_TAIL = 6;

// Blanks and line breaks after the cell's text so far, kept as runs of one
// byte: inside the cell when more text follows, trimmed when it ends. A
// longer alternation than MD_RUNS has its first runs written at once.
constexpr int MD_RUNS = 16;

// What is known of the table and of the cell at hand between the parts of a
// row. One Markdown table is written at a time; its heading starts it anew.
struct md_table {
    long cells;          // of the row at hand so far
    long heading_cells;  // what every row is filled up to
    bool cell_open;      // the row's last cell goes on in the next part
    bool text_begun;     // the cell has shown a byte that is not blank
    bool after_word;     // the last byte was an ASCII letter or digit
    bool held_after_word;
    bool after_cr;       // the last break written was a CR, which an LF completes
    unsigned char held;  // a byte whose backslash waits for the next byte, or 0
    int runs;
    unsigned char run_byte[MD_RUNS];
    size_t run_length[MD_RUNS];
    int tail_length;  // the cell's last bytes before the part at hand
    unsigned char tail[MD_TAIL];
};
static md_table md;

static const char LINE_BREAK[] = "<br>";

// Whether the "." or ":" at p begins a link that a renderer makes of a bare
// web address: the "." of a "www." that begins a word, or the ":" after a
// word "http", "https" or "ftp" in any case. [from, p) is the part of the
// cell at hand, and the last tail_length bytes of md.tail come before it.
static bool starts_link(const char *from, const char *p, int tail_length)
{
    auto before = [&](int back) -> int {
        std::ptrdiff_t i = (p - from) - back;
        if (i >= 0)
            return static_cast<unsigned char>(from[i]);
        i += tail_length;
        return i >= 0 ? md.tail[MD_TAIL - tail_length + i] : CELL_ENDS;
    };
    if (*p == '.')
        return before(1) == 'w' && before(2) == 'w' && before(3) == 'w' && !is_letter_or_digit(before(4));
    char word[5];
    int n = 0;  // letters before the ':', 6 for more than five
    for (int b; n < 6 && is_letter(b = before(n + 1)); n++)
        if (n < 5)
            word[4 - n] = static_cast<char>(b | 0x20);
    auto word_is = [&](const char *scheme, int length) {
        return n == length && memcmp(word + 5 - length, scheme, static_cast<size_t>(length)) == 0;
    };
    return word_is("http", 4) || word_is("https", 5) || word_is("ftp", 3);
}

// The cell's bytes so far end with [from, end): its last MD_TAIL are kept.
static void keep_tail(const char *from, const char *end)
{
    size_t n = static_cast<size_t>(end - from);
    if (n >= MD_TAIL) {
        memcpy(md.tail, end - MD_TAIL, MD_TAIL);
        md.tail_length = MD_TAIL;
        return;
    }
    memmove(md.tail, md.tail + n, MD_TAIL - n);
    memcpy(md.tail + MD_TAIL - n, from, n);
    md.tail_length = std::min(MD_TAIL, md.tail_length + static_cast<int>(n));
}

static void put_run(output_buffer *out, unsigned char b, size_t n)
{
    if (b == '\r' || b == '\n') {
        // CR LF is one line break.
        for (size_t k = b == '\n' && md.after_cr ? 1 : 0; k < n; k++)
            output_put(out, LINE_BREAK, sizeof LINE_BREAK - 1);
        md.after_cr = b == '\r';
        return;
    }
    md.after_cr = false;
    for (size_t k = 0; k < n; k++)
        output_put(out, static_cast<char>(b));
}

// The held byte, now that the one after it is known.
static void put_held(output_buffer *out, int next)
{
    if (needs_escape(md.held, md.held_after_word, next))
        output_put(out, '\\');
    output_put(out, static_cast<char>(md.held));
    md.held = 0;
}

static void hold_blank(output_buffer *out, unsigned char b)
{
    if (md.runs > 0 && md.run_byte[md.runs - 1] == b) {
        md.run_length[md.runs - 1]++;
        return;
    }
    if (md.runs == MD_RUNS) {
        if (md.held != 0)
            put_held(out, md.run_byte[0]);
        put_run(out, md.run_byte[0], md.run_length[0]);
        memmove(md.run_byte, md.run_byte + 1, MD_RUNS - 1);
        memmove(md.run_length, md.run_length + 1, (MD_RUNS - 1) * sizeof md.run_length[0]);
        md.runs--;
    }
    md.run_byte[md.runs] = b;
    md.run_length[md.runs++] = 1;
}

// A piece of the cell at hand: [from, end) of its bytes.
static void put_cell_text(output_buffer *out, const char *from, const char *end)
{
    const char *text = from;  // bytes that stand for themselves, not yet put
    for (const char *p = from; p < end; p++) {
        auto b = static_cast<unsigned char>(*p);
        unsigned kind = MD_KIND[b];
        if (kind == MD_LOOKS_BEHIND)
            kind = starts_link(from, p, md.tail_length) ? MD_ESCAPED : MD_TEXT;
        if (kind == MD_TEXT && md.held == 0 && md.runs == 0) {
            md.text_begun = true;
            md.after_word = is_letter_or_digit(b);
            continue;
        }
        output_put(out, text, static_cast<size_t>(p - text));
        text = p + 1;
        if (kind == MD_BLANK || kind == MD_BREAK) {
            // A backslash before a line break waits: the break is a "<br>"
            // only if more text follows.
            if (md.held != 0 && md.runs == 0 && !(md.held == '\\' && kind == MD_BREAK))
                put_held(out, b);
            if (md.text_begun)
                hold_blank(out, b);
            md.after_word = false;
            continue;
        }
        if (md.held != 0)
            put_held(out, md.runs > 0 ? md.run_byte[0] : b);
        for (int r = 0; r < md.runs; r++)
            put_run(out, md.run_byte[r], md.run_length[r]);
        md.runs = 0;
        md.after_cr = false;
        md.text_begun = true;
        if (kind == MD_TEXT) {
            text = p;
        } else if (kind == MD_ESCAPED) {
            output_put(out, '\\');
            output_put(out, static_cast<char>(b));
        } else {
            md.held = b;
            md.held_after_word = md.after_word;
        }
        md.after_word = is_letter_or_digit(b);
    }
    output_put(out, text, static_cast<size_t>(end - text));
    keep_tail(from, end);
}

static const char FIRST_CELL[] = "| ";
static const char NEXT_CELL[] = " | ";

static void start_cell(output_buffer *out)
{
    if (md.cells++ == 0)
        output_put(out, FIRST_CELL, 2);
    else
        output_put(out, NEXT_CELL, 3);
    md.cell_open = true;
    md.text_begun = md.after_word = md.after_cr = false;
    md.held = 0;
    md.runs = 0;
    md.tail_length = 0;
}

static void end_cell(output_buffer *out)
{
    if (md.held != 0)
        put_held(out, CELL_ENDS);
    md.cell_open = false;
}

static bool trimmed(char b)
{
    unsigned kind = MD_KIND[static_cast<unsigned char>(b)];
    return kind == MD_BLANK || kind == MD_BREAK;
}

// The columns of a BOM export are padded with blanks after their text:
// they are passed eight at a time.
static bool eight_blanks(const char *at)
{
    uint64_t w;
    memcpy(&w, at, 8);
    return w == 0x2020202020202020u;
}

// Whether the byte at p of the whole cell [from, end), one that may need a
// backslash, needs none: "_" inside a word, as in footprint names, is as
// plain as a letter, and so is a "." or ":" that begins no link, as in
// "0.1uF".
static bool plain_in_cell(const char *from, const char *p, const char *end)
{
    if (*p == '.' || *p == ':')
        return !starts_link(from, p, 0);
    return *p == '_' && p > from && p + 1 < end && is_letter_or_digit(p[-1]) && is_letter_or_digit(p[1]);
}

// The text of a whole cell, trimmed, when it has nothing to escape or break.
static bool plain_text(const cell &c, cell *text)
{
    const char *from = c.text, *end = c.text + c.length;
    while (end - from >= 8 && eight_blanks(end - 8))
        end -= 8;
    while (end > from && trimmed(end[-1]))
        end--;
    while (from < end && trimmed(*from))
        from++;
    for (const char *p = from; p < end; p++) {
        if (MD_KIND[static_cast<unsigned char>(*p)] > MD_BLANK && !plain_in_cell(from, p, end))
            return false;
    }
    *text = {from, static_cast<size_t>(end - from)};
    return true;
}

// Whole cells of plain text go straight into the buffer, as the other
// flavours' cells do; any other cell, or a part of one, byte by byte.
static void put_md_row(output_buffer *out, const cell cells[], int count, unsigned part)
{
    if ((part & ROW_STARTS) != 0)
        md.cells = 0;
    char *at = room_for(out, out->data + out->used, ROW_PIECE);
    for (int i = 0; i < count; i++) {
        bool goes_on_from = i == 0 && (part & FIRST_CELL_GOES_ON) != 0 && md.cell_open;
        bool goes_on = i == count - 1 && (part & LAST_CELL_GOES_ON) != 0;
        cell text;
        if (!goes_on_from && !goes_on && !md.cell_open && plain_text(cells[i], &text)) {
            at = md.cells++ == 0 ? put_text(at, FIRST_CELL) : put_text(at, NEXT_CELL);
            at = put_cell(out, at, text);
            continue;
        }
        output_commit(out, at);
        if (!goes_on_from) {
            if (md.cell_open)
                end_cell(out);
            start_cell(out);
        }
        put_cell_text(out, cells[i].text, cells[i].text + cells[i].length);
        if (!goes_on)
            end_cell(out);
        at = room_for(out, out->data + out->used, ROW_PIECE);
    }
    output_commit(out, at);
    if ((part & ROW_ENDS) == 0)
        return;
    if (md.cell_open)
        end_cell(out);
    while (md.cells < md.heading_cells || md.cells == 0) {
        start_cell(out);
        end_cell(out);
    }
    output_put(out, " |\n", 3);
}

static void md_begin(output_buffer *out, const cell heads[], int count, unsigned part)
{
    if (out == nullptr)
        return;
    if ((part & ROW_STARTS) != 0)
        md = md_table{};
    put_md_row(out, heads, count, part);
    if ((part & ROW_ENDS) == 0)
        return;
    md.heading_cells = md.cells;
    output_put(out, '|');
    for (long i = 0; i < md.heading_cells; i++)
        output_put(out, " --- |", 6);
    output_put(out, '\n');
}

static void md_row(output_buffer *out, const cell cells[], int count, unsigned part)
{
    if (out != nullptr)
        put_md_row(out, cells, count, part);
}

// The table ends with its last row: without a heading the file stays empty.
static void md_end(output_buffer *) {}

const table_writer MARKDOWN_TABLE = {md_begin, md_row, md_end};
