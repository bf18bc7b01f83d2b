#!/usr/bin/env python3
"""Shows every table the way a reader sees it and checks that every part is there.

Converts the sample export and the real exports of the corpus (bomtab --html,
bomtab --wiki, bomtab --md and bomgrid for parts lists; rowcast --html, --wiki
and --md for the CSV files, each as it is), opens each HTML output in headless
Chromium and each wiki output in a throwaway MediaWiki whose HTML Chromium then
opens, renders each Markdown output with cmark-gfm as GitHub does, reads the
table cells back from the page (a <br> read as a line break, as innerText gives
it) and compares them, trimmed, with the cells that the input holds, worked out
here from the input alone. The wiki is installed beside a site's own settings,
which it must leave unread. A generated CSV file and parts list, whose cells hold
everything that Markdown could take for markup, are converted to Markdown too:
each cell must show as its text, nothing in it turned into markup.

Exit status: 0 when every page shows every row, 1 on a mismatch, 77 (skipped)
when Chromium, PHP, MediaWiki or cmark-gfm is missing, unless CI is set: then 1.
--plant-fault drops one cell from one row of each output of the sample before
it is shown, to prove that the check notices.
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from html.parser import HTMLParser

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import consumers  # noqa: E402

SKIP = 77
COLUMN_NAMES = (b"Part ", b"Value ", b"Device ", b"Package ", b"Library ", b"Sheet")
SHOWN_COLUMNS = (0, 1, 3)
BLANKS = " \t\n\r\f"  # what HTML collapses
MD_BLANKS = BLANKS + "\v"  # what --md trims
TABLE_TAGS = {"table", "thead", "tbody", "tr", "th", "td", "br"}
SEPARATORS = ",;\t"  # in this order on a tie
PREAMBLE_ROWS = 64
# Text neither UTF-8 nor Windows-1252 is read as Windows-1252: a known limit.
NOT_READ = {"17-shift-jis-heading.csv": "Shift_JIS text"}
MAX_REPORTED = 6
SITE_SETTINGS = r"""<?php
fwrite(STDERR, "the site's own settings were read\n");
exit(1);
"""


def utf8_pieces(data):
    """Per byte, the UTF-8 bytes written for it: a byte of a valid UTF-8 sequence as it
    is, any other byte as its Windows-1252 character (the five bytes that code page
    leaves undefined stand for themselves)."""
    out, i = [], 0
    while i < len(data):
        # The shortest piece that decodes is the sequence that starts here, if valid.
        for size in (1, 2, 3, 4):
            try:
                data[i:i + size].decode("utf-8")
                out += [data[k:k + 1] for k in range(i, i + size)]
                i += size
                break
            except UnicodeDecodeError:
                pass
        else:
            out.append((bytes([data[i]]).decode("cp1252", errors="ignore") or chr(data[i])).encode())
            i += 1
    return out


def cell(pieces):
    # A cut through a UTF-8 sequence leaves its bytes as they are: shown as U+FFFD.
    return b"".join(pieces).decode("utf-8", errors="replace").strip(BLANKS)


def word_at(line, name, start=0):
    """Where name first stands as a word from start on (after a blank or tab, before a
    blank, a tab or the line's end), or -1."""
    found = re.compile(rb"(?<=[ \t])" + name + rb"(?=[ \t\r\n]|\Z)").search(line, start)
    return found.start() if found else -1


def header_cuts(line):
    """(first, end) byte positions of the Part, Value and Package cells of the part lines
    under a header line, or None if the line is none. An end None is the byte before
    the part line's last one."""
    starts = []
    for name in COLUMN_NAMES:
        at = line.find(name, starts[-1] + 1 if starts else 0)
        if at < 0:
            break
        starts.append(at)
    if len(starts) == len(COLUMN_NAMES):
        # Each column starts at the blank before its name; the first at its name.
        bounds = [starts[0]] + [s - 1 for s in starts[1:]]
        return [(bounds[k], bounds[k + 1]) for k in SHOWN_COLUMNS]
    # A board's list or a list edited by hand: Part, Value and Package as words. A header
    # naming Device and Library is a schematic export's: only the six names take it, and
    # one edited past them (Sheet replaced) stays unread.
    value = word_at(line, b"Value", 4)
    package = word_at(line, b"Package", value + len(b"Value")) if value > 0 else -1
    if (not line.startswith((b"Part ", b"Part\t")) or package < 0
            or (word_at(line, b"Device") > 0 and word_at(line, b"Library") > 0)):
        return None
    cuts = []
    for at, name in ((0, b"Part"), (value, b"Value"), (package, b"Package")):
        # A column ends where the header's next word starts; the last runs to the line's end.
        end = at + len(name)
        while end < len(line) and line[end] in b" \t\r\n":
            end += 1
        cuts.append((max(at - 1, 0), end - 1 if end < len(line) else None))
    return cuts


def export_table(data):
    """(heading, rows) that a parts list should show; heading None without a header.
    Each row is (input line number, cells)."""
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    cuts, rows = None, []
    for number, line in enumerate(re.findall(rb"[^\n]*\n|[^\n]+", data), 1):  # each with its newline
        if not line[:1].isalpha():  # ASCII letters only, for bytes
            continue
        if cuts is None:
            cuts = header_cuts(line)
            continue
        pieces = utf8_pieces(line)
        rows.append((f"line {number}", [cell(pieces[first:len(line) - 1 if end is None else end])
                                         for first, end in cuts]))
    if cuts is None:
        return None, []
    return ["Part", "Value", "Package"], rows


def csv_text(data):
    """The file's text: UTF-16 by its mark, else UTF-8 with each byte that is not
    part of a valid sequence read as Windows-1252; no mark; a NUL as U+FFFD."""
    if data[:2] in (b"\xff\xfe", b"\xfe\xff"):
        codec = "utf-16-le" if data[:2] == b"\xff\xfe" else "utf-16-be"
        return data[2:].decode(codec, errors="replace").replace("\0", "\ufffd").replace("\r\n", "\n")
    data = data.replace(b"\0", "\ufffd".encode())
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    return b"".join(utf8_pieces(data)).decode("utf-8")


def csv_separator(text):
    """The most frequent separator outside quotes on the first line holding any."""
    for line in text.split("\n"):
        if any(c in line for c in SEPARATORS):
            counts, quoted = dict.fromkeys(SEPARATORS, 0), False
            for c in line:
                if c == '"':
                    quoted = not quoted
                elif c in counts and not quoted:
                    counts[c] += 1
            return max(SEPARATORS, key=lambda c: counts[c])  # max keeps the first on a tie
    return ","


def csv_rows(text, sep):
    """Each row as (line number, fields, whether all are quoted, empty lines before it).
    A field's line breaks are "\n"."""
    rows, i, line, empty_lines = [], 0, 1, 0
    ends_field = lambda j: j == len(text) or text[j] in (sep, "\n") or text.startswith("\r\n", j)
    while i < len(text):
        if text.startswith("\n", i) or text.startswith("\r\n", i):
            i = text.index("\n", i) + 1
            line, empty_lines = line + 1, empty_lines + 1
            continue
        first_line, fields, all_quoted = line, [], True
        while True:
            if text.startswith('"', i):
                value, i = [], i + 1
                while i < len(text):
                    if text.startswith('""', i):
                        value.append('"')
                        i += 2
                        continue
                    if text[i] == '"':
                        after = i + 1
                        while text.startswith(" ", after):
                            after += 1
                        if ends_field(after):
                            i = after
                            break
                    value.append(text[i])
                    i += 1
                value = "".join(value)
            else:
                start = i
                while not (i == len(text) or text[i] in (sep, "\n")):
                    i += 1
                value = text[start:i]
                if text.startswith("\n", i) and value.endswith("\r"):
                    value = value[:-1]
                all_quoted = False
            line += value.count("\n")
            fields.append(value.replace("\r\n", "\n"))
            if i < len(text) and text[i] == sep:
                i += 1
                continue
            i = text.find("\n", i) + 1 or len(text)  # past the line end, if any
            line += 1
            break
        rows.append((first_line, fields, all_quoted, empty_lines))
    return rows


def csv_table(data):
    """(heading, rows) that rowcast should show for a CSV file."""
    text = csv_text(data)
    rows = csv_rows(text, csv_separator(text))
    if not rows:
        return None, []
    filled = lambda row: sum(1 for field in row[1] if field)
    most = max(filled(row) for row in rows[:PREAMBLE_ROWS])
    at = next((k for k, row in enumerate(rows[:PREAMBLE_ROWS]) if 2 * filled(row) > most), 0)
    if rows[0][2] and rows[at][3] == 0:
        at = 0
    # Or the first row after the first empty line, when it is wide and every row before it narrower.
    after = next((k for k, row in enumerate(rows[:PREAMBLE_ROWS]) if row[3] > 0), None)
    if after and 2 * filled(rows[after]) > most and all(filled(r) < filled(rows[after]) for r in rows[:after]):
        at = after
    # A browser reads a CR left in a field as a line break too.
    cells = lambda row: [field.replace("\r", "\n").strip(BLANKS) for field in row[1]]
    return cells(rows[at]), [(f"line {row[0]}", cells(row)) for row in rows[at + 1:]]


# Cells for the generated files: each character that could begin markup in Markdown, alone,
# doubled, beside letters, digits, blanks, punctuation and one another; what could begin a
# block; markup as a writer would type it; and ordinary values that must stay as they are.
SPECIALS = ("|", "\\", "*", "_", "`", "[", "]", "<", ">", "&", "#", "~", "!", "\n", "\r\n", "\r")
NEIGHBOURS = ("a", "1", " ", ".", "-")
TYPED = ("100nF", "R-EU_0207/10", "0.1uF 50V", "C_0805_2012Metric", "-", "- x", "+ x", "=SUM(A1)", "1.",
         "1. x", "1) x", "# x", "#", "> x", "---", ":-:", "===", "a\\*b", "\\\\", "\\|", "a\\", "\\-", "\\x",
         "_a_", "a_b_c", "__a__", "a__b", "_1_", "*x*", "**x**", "`x`", "``x``", "[x](y)", "![x](y)", "[x]",
         "[^1]", "x](y)", "<b>x</b>", "</td>", "<!-- x -->", "<?x?>", "<!X>", "<![CDATA[x]]>",
         "<http://x.org>", "<a@x.org>", "<1>", "a < b > c", "&amp;", "&#35;", "&#x23;", "&copy", "a & b",
         "~~x~~", "~x~", "x<br>y", "a\\\nb", "x\\\r\ny", "a\n\nb", " a \n b ", "www.x.org",
         "(www.x.org)", "_www.x.org_", "https://x.org/a?b=1", "HTTP://X.ORG", "1ftp://x.org", "x www.y.z\nhttp://a.b",
         "a  b", "\ta\t", "\va\f", "a\0b", "µF ±5 %")


def generated_cells():
    cells = list(TYPED)
    for s in SPECIALS:
        cells += [s, s + s, s + "x" + s, s + s + "x" + s + s]
        cells += [c for n in NEIGHBOURS for c in (s + n, n + s + n, n + s)]
        cells += [c for t in SPECIALS for c in (s + t, "x" + s + t + "1")]
    return cells


def generated_inputs():
    """(name, bytes, heading, rows) of a CSV file holding every generated cell, four to a
    row, all quoted, a short and a long row last; and of a parts list in the sample's
    six-column layout holding those without a line break, a NUL or a blank other than " "."""
    cells = generated_cells()
    heading = ["Part", "Value | Tol", "_Package_", "`Note` & <b>"]
    table = [heading] + [cells[k:k + 4] for k in range(0, len(cells), 4)] + [["short", "row"], ["a"] * 6]
    data = "".join(",".join('"' + c + '"' for c in row) + "\r\n" for row in table).encode()
    text = lambda row: [c.replace("\r\n", "\n").replace("\r", "\n") for c in row]
    csv = ("generated.csv", data, text(heading), [(f"line {n}", text(r)) for n, r in enumerate(table[1:], 2)])

    # bomtab ends a part line at a NUL, in every output alike: the list holds none.
    cells = [c for c in cells if not any(b in c for b in "\t\n\v\f\r\0")]
    rows = [["R" + cells[k]] + cells[k + 1:k + 3] for k in range(0, len(cells) - 2, 3)]
    widths = [max(len(r[k].encode()) for r in rows) + 2 for k in range(3)]  # columns are bytes
    line = lambda part, value, package, device="D", library="lib", sheet="1": b"".join(
        c.encode().ljust(w) for c, w in ((part, widths[0]), (value, widths[1]), (device, 8),
                                         (package, widths[2]), (library, 8))) + sheet.encode() + b"\n"
    data = line("Part", "Value", "Package", "Device", "Library", "Sheet") + b"\n" + b"".join(line(*r) for r in rows)
    bom = ("generated.txt", data, ["Part", "Value", "Package"], [(f"line {n}", r) for n, r in enumerate(rows, 3)])
    return [csv, bom]


class PageTables(HTMLParser):
    """Rows of th/td texts of every table of a page, and what else than a table it holds."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.text, self.markup = [], None, []
        self.mail_links = 0

    def where(self):
        return f"row {len(self.tables[-1]) - 1}" if self.tables and self.tables[-1] else "outside the rows"

    def handle_starttag(self, tag, attrs):
        # A known limit: a renderer that links bare addresses makes a link of an e-mail
        # address in a cell, and no escape keeps it text. Its text is still compared.
        if tag == "a" and self.text is not None and (dict(attrs).get("href") or "").startswith(("mailto:", "xmpp:")):
            self.mail_links += 1
            return
        if tag not in TABLE_TAGS or (tag == "br" and self.text is None):
            self.markup.append(f"<{tag}> in {self.where()}")
        if tag == "table":
            self.tables.append([])
        elif tag == "tr" and self.tables:
            self.tables[-1].append([])
        elif tag in ("th", "td") and self.tables and self.tables[-1]:
            self.text = []
            self.tables[-1][-1].append((tag, self.text))
        elif tag == "br" and self.text is not None:
            self.text.append("\n")

    def handle_endtag(self, tag):
        if tag in ("th", "td"):
            self.text = None

    def handle_data(self, data):
        if self.text is not None:
            self.text.append(data)

    def handle_comment(self, data):
        self.markup.append(f"<!--{data}--> in {self.where()}")

    def handle_decl(self, decl):
        self.markup.append(f"<!{decl}> in {self.where()}")

    def handle_pi(self, data):
        self.markup.append(f"<?{data}> in {self.where()}")

    def unknown_decl(self, data):
        self.markup.append(f"<![{data}]> in {self.where()}")

    def rows(self):
        return [[[(tag, "".join(text).strip(BLANKS)) for tag, text in row] for row in table]
                for table in self.tables]


def show(row):
    if row is None:
        return "no row"
    return "[" + " | ".join(f"{tag}:{text!r}" for tag, text in row) + "]"


def markdown_cells(heading, rows):
    """The cells that a Markdown table shows for the input's cells: trimmed as --md trims
    them, a NUL shown as U+FFFD as cmark-gfm shows it, each row as wide as the heading
    (missing cells empty, those beyond the heading not shown)."""
    if heading is None:
        return None, rows
    fix = lambda cells: [c.replace("\0", "\ufffd").strip(MD_BLANKS) for c in cells]
    width = len(heading)
    return fix(heading), [(where, (fix(r) + [""] * width)[:width]) for where, r in rows]


def compare(label, kind, heading, rows, page_html):
    parser = PageTables()
    parser.feed(page_html)
    tables = parser.rows()
    problems = []
    if kind == "md":
        heading, rows = markdown_cells(heading, rows)
        if heading is None and page_html.strip():
            return [f"{label}: the input has no header, yet the Markdown shows {page_html.strip()[:60]!r}"]
        # The table is all there is: any other element, or a comment (cmark-gfm's "raw HTML
        # omitted" too), is a cell's text taken for markup.
        if parser.mail_links:
            print(f"{label}: {parser.mail_links} e-mail address(es) shown as a link (no escape keeps one text)")
        if parser.markup:
            problems.append(f"{label}: markup on the page: " + ", ".join(parser.markup[:MAX_REPORTED])
                            + (f" ... ({len(parser.markup)} in all)" if len(parser.markup) > MAX_REPORTED else ""))
    if kind == "wiki":
        # MediaWiki puts a no-break space for the blank before "%", "!", "?", ":" and ";".
        tables = [[[(tag, text.replace("\xa0", " ")) for tag, text in row] for row in table] for table in tables]
        heading = heading and [c.replace("\xa0", " ") for c in heading]
        rows = [(where, [c.replace("\xa0", " ") for c in r]) for where, r in rows]
    if heading is None:
        return [f"{label}: the input has no header, yet the page shows {len(tables)} table(s)"] if tables else []
    if len(tables) != 1:
        return problems + [f"{label}: the page shows {len(tables)} tables instead of one"]
    wanted = [("heading", [("th", c) for c in heading])] + [(w, [("td", c) for c in r]) for w, r in rows]
    shown = tables[0]
    if kind == "wiki":
        # Cells are not escaped: a "|" in a cell (or "!!" in a heading cell) makes MediaWiki take
        # the text before it as the cell's attributes. A known limit: such a cell is only
        # required to be there.
        limited = 0
        for i, (where, want) in enumerate(wanted):
            for k, (tag, text) in enumerate(want):
                if ("|" in text or (tag == "th" and "!!" in text)) and i < len(shown) and k < len(shown[i]):
                    want[k] = shown[i][k]
                    limited += 1
        if limited:
            print(f"{label}: {limited} cell(s) holding a vertical bar not compared (cells are not escaped)")
    shown = tables[0]
    for i in range(max(len(wanted), len(shown))):
        where, want = wanted[i] if i < len(wanted) else ("beyond the input", None)
        got = shown[i] if i < len(shown) else None
        if want != got:
            problems.append(f"{label}: row {i} ({where}):\n    expected {show(want)}\n    shown    {show(got)}")
    if len(problems) > MAX_REPORTED:
        problems[MAX_REPORTED:] = [f"{label}: ... and {len(problems) - MAX_REPORTED} more rows differ"]
    return problems


def plant_fault(path, kind):
    """Drops the second cell of the first data row."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    first = next(i for i, line in enumerate(lines)
                 if line.startswith(b"<tr><td") or (kind == "wiki" and i and lines[i - 1] == b"|-")
                 or (kind == "md" and i and lines[i - 1].startswith(b"| ---")))
    if kind == "md":
        lines[first] = re.sub(rb"(\|[^|]*)\|[^|]*", rb"\1", lines[first], count=1)
    elif kind == "wiki":
        lines[first] = re.sub(rb"\|\|[^|]*", b"", lines[first], count=1)
    else:
        lines[first] = re.sub(rb"(</td> )<td>.*?</td> ", rb"\1", lines[first], count=1)
    with open(path, "wb") as f:
        f.write(b"\n".join(lines))


def install_beside_site_settings(work):
    """MediaWiki's install folder rebuilt of links, holding a LocalSettings.php as a
    configured site's does (on Debian a link to /etc/mediawiki/LocalSettings.php),
    one that stops any script reading it: the throwaway wiki must install and parse
    without it."""
    root = os.path.join(work, "mediawiki")
    os.mkdir(root)
    for name in os.listdir(consumers.MEDIAWIKI):
        if name != "LocalSettings.php":
            os.symlink(os.path.join(consumers.MEDIAWIKI, name), os.path.join(root, name))
    with open(os.path.join(root, "LocalSettings.php"), "w") as f:
        f.write(SITE_SETTINGS)
    return root


def convert(args, work):
    """Runs the converters; returns (label, output path, kind, heading, rows) per output."""
    inputs = [("examples", os.path.join(args.examples, "board.txt"))]
    for folder in ("partlist", "csv"):
        names = sorted(os.listdir(os.path.join(args.corpus, folder)))
        inputs += [(folder, os.path.join(args.corpus, folder, n)) for n in names]
    outputs = []
    for folder, path in inputs:
        with open(path, "rb") as f:
            data = f.read()
        name = folder + "/" + os.path.basename(path)
        stem = os.path.join(work, folder + "-" + os.path.basename(path))
        if folder == "csv" and os.path.basename(path) in NOT_READ:
            print(f"skip {name}: {NOT_READ[os.path.basename(path)]}, "
                  "which rowcast reads as Windows-1252 (a known limit)")
            continue
        if folder == "csv":
            heading, rows = csv_table(data)
            program, runs = "rowcast", [[args.rowcast, "--i", path, "--html", stem + ".html", "--wiki", stem + ".wiki",
                                         "--md", stem + ".md"]]
        else:
            heading, rows = export_table(data)
            program, runs = "bomtab", [[args.bomtab, "--i", path, "--html", stem + ".html", "--wiki", stem + ".wiki",
                                        "--md", stem + ".md"],
                                       [args.bomgrid, path, stem + ".grid.html"]]
        for argv in runs:
            run_converter(argv)
        for suffix, kind, how in ((".html", "html", program + " --html"), (".wiki", "wiki", program + " --wiki"),
                                  (".md", "md", program + " --md"), (".grid.html", "html", "bomgrid")):
            if os.path.exists(stem + suffix):
                outputs.append((f"{name} via {how}", stem + suffix, kind, heading, rows))
                if args.plant_fault and folder == "examples":
                    plant_fault(stem + suffix, kind)
    for name, data, heading, rows in generated_inputs():
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(data)
        program = "rowcast" if name.endswith(".csv") else "bomtab"
        run_converter([getattr(args, program), "--i", path, "--md", path + ".md"])
        outputs.append((f"{name} via {program} --md", path + ".md", "md", heading, rows))
    return outputs


def run_converter(argv):
    result = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(argv)} ended with {result.returncode}")


def check(args, work, began):
    outputs = convert(args, work)
    markdown = [output for output in outputs if output[2] == "md"]
    outputs = [output for output in outputs if output[2] != "md"]
    wiki = consumers.Wiki(work, install_beside_site_settings(work))
    pages = []
    for label, path, kind, heading, rows in outputs:
        if kind == "wiki":
            body = wiki.parse(path)
        else:
            with open(path, "rb") as f:
                body = f.read()
        page = path + ".page.html"
        with open(page, "wb") as f:
            f.write(consumers.page(body, label))
        pages.append(page)
    browser = consumers.Chromium(work)
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        doms = list(pool.map(browser.dump_dom, pages))
    # GitHub shows the Markdown file itself: no page, no browser.
    doms += [consumers.markdown(path) for label, path, kind, heading, rows in markdown]
    outputs += markdown

    problems = []
    for (label, path, kind, heading, rows), dom in zip(outputs, doms):
        found = compare(label, kind, heading, rows, dom)
        problems += found
        state = "FAIL" if found else "ok  "
        print(f"{state} {label}: " + (f"heading and {len(rows)} rows" if heading else "no table"))
    for problem in problems:
        print(problem)
    print(f"{len(pages)} pages and {len(markdown)} Markdown files in {time.monotonic() - began:.0f} s: "
          + (f"{len(problems)} mismatches" if problems else "every row shown as expected"))
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for program in ("bomtab", "rowcast", "bomgrid"):
        parser.add_argument("--" + program, required=True, help="path of the built " + program)
    parser.add_argument("--corpus", required=True, help="folder with partlist/ and csv/")
    parser.add_argument("--examples", required=True, help="folder with board.txt")
    parser.add_argument("--plant-fault", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--keep", action="store_true", help="keep the work folder and print it")
    args = parser.parse_args()

    missing = consumers.missing_tools()
    if missing:
        if os.environ.get("CI", "").lower() not in ("", "0", "false", "no"):
            print("FAIL: the render check cannot run in CI, missing: " + ", ".join(missing))
            return 1
        print("SKIP: missing " + ", ".join(missing) + " (Debian: apt-get install chromium mediawiki "
              "php-cli php-sqlite3 php-mbstring php-xml php-intl cmark-gfm)")
        return SKIP

    began = time.monotonic()
    work = tempfile.mkdtemp(prefix="render-check-")
    try:
        return check(args, work, began)
    except RuntimeError as error:
        print(f"FAIL: {error}")
        return 1
    finally:
        if args.keep:
            print("work folder: " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
