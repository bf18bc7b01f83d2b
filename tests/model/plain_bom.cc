#include "plain_bom.h"

#include <algorithm>
#include <vector>

#include "plain_csv.h"

namespace {

constexpr size_t MOST = 42047;  // the most bytes of one read of a line

// A line as the program reads it: at most MOST bytes, up to its first NUL.
struct piece {
    std::string text;
    bool starts_line, ends_line;
    long number;  // of the physical line
};

std::vector<piece> pieces(const std::string &bytes)
{
    std::vector<piece> all;
    long number = 1;
    bool starts = true;
    for (size_t at = 0; at < bytes.size();) {
        size_t newline = bytes.find('\n', at);
        size_t end = std::min({newline == std::string::npos ? bytes.size() : newline + 1, at + MOST, bytes.size()});
        bool ends = end == bytes.size() || bytes[end - 1] == '\n';
        std::string text = bytes.substr(at, end - at);
        all.push_back({text.substr(0, text.find('\0')), starts, ends, number});
        number += ends;
        starts = ends;
        at = end;
    }
    return all;
}

bool is_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_gap(char c)
{
    return c == ' ' || c == '\t';
}

// The columns of a header: where Part, Value and Package start and where
// each ends (npos: at the line's last byte); empty when it is none.
struct columns {
    size_t from[3], to[3];
};

bool six_names(const std::string &line, columns *c)
{
    static const char *const NAMES[] = {"Part ", "Value ", "Device ", "Package ", "Library ", "Sheet"};
    std::vector<size_t> s;
    size_t from = 0;
    for (const char *name : NAMES) {
        size_t at = line.find(name, from);
        if (at == std::string::npos)
            return false;
        s.push_back(at);
        from = at + 1;
    }
    *c = {{s[0], s[1] - 1, s[3] - 1}, {s[1] - 1, s[2] - 1, s[4] - 1}};
    return true;
}

// The words of the line, apart by blanks, tabs, CRs and LFs: where each
// starts, and whether a blank or tab stands before it.
bool other_names(const std::string &line, columns *c)
{
    if (line.compare(0, 4, "Part") != 0 || line.size() < 5 || !is_gap(line[4]))
        return false;
    struct word {
        std::string text;
        size_t at;
    };
    auto apart = [](char b) { return is_gap(b) || b == '\r' || b == '\n'; };
    std::vector<word> words;
    for (size_t k = 0, end; k < line.size(); k = end) {
        for (end = k; end < line.size() && !apart(line[end]);)
            end++;
        if (end > k)
            words.push_back({line.substr(k, end - k), k});
        else
            end++;
    }
    auto named = [&](size_t i, const char *name) { return words[i].text == name && is_gap(line[words[i].at - 1]); };
    size_t value = 1, package;
    while (value < words.size() && !named(value, "Value"))
        value++;
    for (package = value + 1; package < words.size() && !named(package, "Package");)
        package++;
    bool device = false, library = false;
    for (size_t i = 1; i < words.size(); i++) {
        device = device || named(i, "Device");
        library = library || named(i, "Library");
    }
    if (package >= words.size() || (device && library))
        return false;
    const size_t index[3] = {0, value, package};
    for (int i = 0; i < 3; i++) {
        c->from[i] = i == 0 ? 0 : words[index[i]].at - 1;
        c->to[i] = index[i] + 1 < words.size() ? words[index[i] + 1].at - 1 : std::string::npos;
    }
    return true;
}

// The bytes of the line that are part of valid UTF-8 sequences; a sequence
// that the line cuts short of a physical line's end counts.
std::vector<bool> utf8_bytes(const piece &p)
{
    const std::string &s = p.text;
    std::vector<bool> valid(s.size(), false);
    for (size_t k = 0; k < s.size();) {
        unsigned long code;
        size_t n = static_cast<unsigned char>(s[k]) < 0x80 ? 1 : utf8_at(s, k, &code);
        if (n == 0 && !p.ends_line) {
            // A valid start of a sequence at the line's end: one that some
            // bytes would finish.
            for (const char *rest : {"\x80\x80\x80", "\x90\x80\x80", "\xA0\x80\x80"}) {
                std::string tried = s.substr(k) + rest;
                if (s.size() - k < 4 && utf8_at(tried, 0, &code) > s.size() - k)
                    n = s.size() - k;
            }
        }
        for (size_t i = k; i < k + std::max<size_t>(n, 1); i++)
            valid[i] = n > 0;
        k += std::max<size_t>(n, 1);
    }
    return valid;
}

}  // namespace

plain_tables plain_bom_tables(const std::string &bytes, std::string *notes, const std::string &program)
{
    plain_tables tables;
    bool found = false, recoded = false;
    columns c = {};
    long digits = 0, first_digit = 0;
    std::vector<piece> lines = pieces(bytes);
    if (!lines.empty() && lines[0].text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        lines[0].text.erase(0, 3);
    for (const piece &p : lines) {
        const std::string &line = p.text;
        if (line.empty() || !is_letter(line[0])) {
            if (found && p.starts_line && !line.empty() && line[0] >= '0' && line[0] <= '9' && digits++ == 0)
                first_digit = p.number;
            continue;
        }
        if (!found) {
            found = six_names(line, &c) || other_names(line, &c);
            if (found)
                tables.begin({"Part ", "Value ", "Package "});
            continue;
        }
        std::vector<bool> valid = utf8_bytes(p);
        recoded = recoded || std::count(valid.begin(), valid.end(), false) > 0;
        texts cells;
        for (int i = 0; i < 3; i++) {
            size_t to = std::min(c.to[i] == std::string::npos ? line.size() - 1 : c.to[i], line.size());
            std::string text;
            for (size_t k = c.from[i]; k < to; k++)
                text += valid[k] ? std::string(1, line[k]) : windows_1252(static_cast<unsigned char>(line[k]));
            cells.push_back(text);
        }
        tables.row(cells, cells);
    }
    tables.end();
    if (notes != nullptr) {
        *notes = "";
        if (!found)
            *notes += program + ": no header line was found (a line that begins with Part and names Value and "
                                "Package): the tables have no rows\n";
        const std::string rest = " left out, as every line that does not begin with a letter";
        if (digits == 1)
            *notes += program + ": line " + std::to_string(first_digit) + " begins with a digit and was" + rest + "\n";
        else if (digits > 1)
            *notes += program + ": " + std::to_string(digits) + " lines begin with a digit and were" + rest +
                      "; the first is line " + std::to_string(first_digit) + "\n";
        if (recoded)
            *notes += program + ": the file is not all UTF-8: the bytes that are not were read as Windows-1252\n";
    }
    return tables;
}
