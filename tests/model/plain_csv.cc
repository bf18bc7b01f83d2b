#include "plain_csv.h"

#include <vector>

void append_utf8(std::string &to, unsigned long c)
{
    if (c < 0x80) {
        to += static_cast<char>(c);
    } else if (c < 0x800) {
        to += static_cast<char>(0xC0 | (c >> 6));
        to += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        to += static_cast<char>(0xE0 | (c >> 12));
        to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        to += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        to += static_cast<char>(0xF0 | (c >> 18));
        to += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        to += static_cast<char>(0x80 | (c & 0x3F));
    }
}

size_t utf8_at(const std::string &s, size_t at, unsigned long *code)
{
    auto byte = [&](size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    unsigned lead = byte(at);
    size_t n = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || at + n > s.size())
        return 0;
    unsigned long c = lead & (0x7F >> n);
    for (size_t k = 1; k < n; k++) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (byte(at + k) & 0x3F);
    }
    static const unsigned long LEAST[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < LEAST[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *code = c;
    return n;
}

std::string windows_1252(unsigned char b)
{
    static const unsigned long WINDOWS_1252[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                                   0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                                   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                   0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    std::string text;
    append_utf8(text, b >= 0x80 && b < 0xA0 ? WINDOWS_1252[b - 0x80] : b);
    return text;
}

std::string plain_utf8(const std::string &bytes)
{
    std::string text;
    bool le = bytes.compare(0, 2, "\xFF\xFE") == 0, be = bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (le || be) {
        std::vector<unsigned long> units;
        for (size_t k = 2; k + 1 < bytes.size(); k += 2) {
            auto hi = static_cast<unsigned char>(bytes[be ? k : k + 1]);
            auto lo = static_cast<unsigned char>(bytes[be ? k + 1 : k]);
            units.push_back(static_cast<unsigned long>(hi << 8 | lo));
        }
        for (size_t k = 0; k < units.size(); k++) {
            unsigned long c = units[k];
            if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
                units[k + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[++k] - 0xDC00);
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;
            }
            append_utf8(text, c == 0 ? 0xFFFD : c);
        }
        if (bytes.size() % 2 == 1)
            append_utf8(text, 0xFFFD);
        // Read as text: a CR before a newline is dropped.
        std::string lines;
        for (size_t i = 0; i < text.size(); i++) {
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                lines += text[i];
        }
        return lines;
    }
    size_t k = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (k < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[k]);
        unsigned long code;
        size_t n = b >= 0x80 ? utf8_at(bytes, k, &code) : 1;
        if (b == 0) {
            append_utf8(text, 0xFFFD);
            k++;
        } else if (n > 0) {
            text += bytes.substr(k, n);
            k += n;
        } else {
            text += windows_1252(b);
            k++;
        }
    }
    return text;
}

namespace {

struct record {
    texts fields;
    bool quoted = true;
    std::string line_end;
};

struct parsed {
    std::vector<record> rows;
    std::vector<size_t> ends;       // where each row's line end ends
    std::vector<bool> after_empty;  // an empty line comes before it
};

// The separator: the most frequent of comma, semicolon and tab outside
// quotes on the first line holding any, in the first `window` bytes.
char separator_of(const std::string &text, size_t window)
{
    const std::string seps = ",;\t";
    long seen[3] = {0, 0, 0};
    bool quoted = false;
    for (size_t k = 0; k < text.size() && k < window; k++) {
        char c = text[k];
        if (c == '"')
            quoted = !quoted;
        if (c == '\n' && !quoted && seen[0] + seen[1] + seen[2] > 0)
            break;
        size_t i = seps.find(c);
        if (!quoted && c != '"' && i != std::string::npos)
            seen[i]++;
    }
    int most = 0;
    for (int i = 1; i < 3; i++)
        if (seen[i] > seen[most])
            most = i;
    return seps[static_cast<size_t>(most)];
}

parsed parse(const std::string &t, char sep)
{
    parsed p;
    bool empty_seen = false;
    size_t i = 0, n = t.size();
    auto at = [&](size_t k) { return k < n ? t[k] : '\0'; };
    while (i < n) {
        if (t[i] == '\n' || (t[i] == '\r' && at(i + 1) == '\n')) {  // an empty line
            i += t[i] == '\n' ? 1 : 2;
            empty_seen = true;
            continue;
        }
        record r;
        for (;;) {
            std::string field;
            if (at(i) == '"' && i < n) {
                size_t j = i + 1;
                for (;;) {
                    if (j >= n) {
                        i = n;
                        break;
                    }
                    if (t[j] != '"') {
                        field += t[j++];
                        continue;
                    }
                    if (at(j + 1) == '"') {
                        field += '"';
                        j += 2;
                        continue;
                    }
                    size_t k = j + 1;
                    while (k < n && t[k] == ' ')
                        k++;
                    if (k >= n || t[k] == sep || t[k] == '\n' || (t[k] == '\r' && at(k + 1) == '\n')) {
                        i = k;
                        break;
                    }
                    field += t.substr(j, k - j);
                    j = k;
                }
            } else {
                r.quoted = false;
                size_t j = i;
                while (j < n && t[j] != sep && t[j] != '\n')
                    j++;
                field = t.substr(i, j - i);
                if (j < n && t[j] == '\n' && !field.empty() && field.back() == '\r')
                    field.pop_back(), j--;
                i = j;
            }
            r.fields.push_back(field);
            if (i < n && t[i] == sep) {
                i++;
                continue;
            }
            if (i < n) {
                r.line_end = t[i] == '\r' ? "\r\n" : "\n";
                i += r.line_end.size();
            }
            break;
        }
        p.rows.push_back(r);
        p.ends.push_back(i);
        p.after_empty.push_back(empty_seen);
    }
    return p;
}

// A line break in a cell is a break of the cell's own.
std::string broken(const std::string &text)
{
    std::string out;
    for (size_t k = 0; k < text.size(); k++) {
        if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n')
            continue;
        out += text[k] == '\n' ? std::string("<br>") : std::string(1, text[k]);
    }
    return out;
}

}  // namespace

plain_tables plain_csv_tables(const std::string &bytes)
{
    const size_t WINDOW = size_t{3} * 65536;  // the text looked at for the separator and the heading
    const size_t LOOKAHEAD_ROWS = 64;
    const std::string text = plain_utf8(bytes);
    parsed p = parse(text, separator_of(text, WINDOW));
    // The heading: the first row, among those ending in the window, whose
    // non-empty fields are more than half the most any of them has.
    size_t looked = 0;
    while (looked < p.rows.size() && looked < LOOKAHEAD_ROWS && p.ends[looked] <= WINDOW &&
           (!p.rows[looked].line_end.empty() || text.size() <= WINDOW))
        looked++;
    auto filled = [&](size_t k) {
        size_t f = 0;
        for (const std::string &field : p.rows[k].fields)
            f += !field.empty();
        return f;
    };
    size_t most = 0, heading = 0;
    for (size_t k = 0; k < looked; k++)
        most = filled(k) > most ? filled(k) : most;
    for (size_t k = 0; k < looked; k++) {
        if (2 * filled(k) > most) {
            heading = k > 0 && (!p.rows[0].quoted || p.after_empty[k]) ? k : 0;
            break;
        }
    }
    // Or the first row after the first empty line, wide, when every row
    // before it is narrower.
    size_t e = 0;
    while (e < looked && !p.after_empty[e])
        e++;
    bool narrower = e > 0 && e < looked && 2 * filled(e) > most;
    for (size_t k = 0; narrower && k < e; k++)
        narrower = filled(k) < filled(e);
    if (narrower)
        heading = e;
    plain_tables tables;
    for (size_t k = heading; k < p.rows.size(); k++) {
        texts cells;
        for (const std::string &field : p.rows[k].fields)
            cells.push_back(broken(field));
        if (k == heading) {
            // The heading's last cell keeps the line's end, or a line break
            // of its own in its place, as it is.
            std::string last = p.rows[k].fields.back() + p.rows[k].line_end;
            size_t tail = last.size() >= 2 && last.compare(last.size() - 2, 2, "\r\n") == 0 ? 2
                          : !last.empty() && last.back() == '\n'                            ? 1
                                                                                            : 0;
            cells.back() = broken(last.substr(0, last.size() - tail)) + last.substr(last.size() - tail);
            tables.begin(cells, &p.rows[k].fields);
        } else {
            tables.row(cells, cells, &p.rows[k].fields);
        }
    }
    tables.end();
    return tables;
}
