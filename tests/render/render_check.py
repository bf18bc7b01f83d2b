#!/usr/bin/env python3
"""Shows every table the way a reader sees it and checks that every part is there.

Converts the sample export and the real exports of the corpus (bomtab --html,
bomtab --wiki and bomgrid for parts lists; rowcast --html and --wiki for the CSV
files, those quoted only where needed put through contrib/csv-quote-all first), opens each HTML output in headless Chromium and each
wiki output in a throwaway MediaWiki whose HTML Chromium then opens, reads the
table cells back from the page and compares them, trimmed, with the cells that
the input holds, worked out here from the input alone. The wiki is installed
beside a site's own settings, which it must leave unread.

Exit status: 0 when every page shows every row, 1 on a mismatch, 77 (skipped)
when Chromium, PHP or MediaWiki is missing, unless CI is set: then 1.
--plant-fault drops one cell from one row of each output of the sample before
it is shown, to prove that the check notices.
"""
import argparse
import concurrent.futures
import csv
import io
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
QUOTED_LINE = re.compile(rb'"[^"]*"(,"[^"]*")*\r?')
MAX_REPORTED = 6
SITE_SETTINGS = r"""<?php
fwrite(STDERR, "the site's own settings were read\n");
exit(1);
"""


def cell(raw):
    return raw.decode("utf-8", errors="replace").strip(BLANKS)


def export_table(data):
    """(heading, rows) that a parts list should show; heading None without a header.
    Each row is (input line number, cells)."""
    starts, rows = None, []
    for number, line in enumerate(data.split(b"\n"), 1):
        if not line[:1].isalpha():  # ASCII letters only, for bytes
            continue
        if starts is None:
            found = []
            for name in COLUMN_NAMES:
                at = line.find(name, found[-1] + 1 if found else 0)
                if at < 0:
                    break
                found.append(at)
            if len(found) == len(COLUMN_NAMES):
                starts = found
            continue
        # Each column starts at the blank before its name; the first at its name.
        bounds = [starts[0]] + [s - 1 for s in starts[1:]]
        rows.append((f"line {number}", [cell(line[bounds[k]:bounds[k + 1]]) for k in SHOWN_COLUMNS]))
    if starts is None:
        return None, []
    return [cell(COLUMN_NAMES[k]) for k in SHOWN_COLUMNS], rows


def csv_table(data):
    reader = csv.reader(io.StringIO(data.decode("utf-8", errors="replace"), newline=""))
    records = [(f"record {reader.line_num}", [c.strip(BLANKS) for c in record]) for record in reader]
    if not records:
        return None, []
    return records[0][1], records[1:]


def quoted_throughout(data):
    lines = data.split(b"\n")
    if lines[-1] == b"":
        lines.pop()
    return bool(lines) and all(QUOTED_LINE.fullmatch(line) for line in lines)


class PageTables(HTMLParser):
    """Rows of th/td texts of every table of a page."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.text = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.tables.append([])
        elif tag == "tr" and self.tables:
            self.tables[-1].append([])
        elif tag in ("th", "td") and self.tables and self.tables[-1]:
            self.text = []
            self.tables[-1][-1].append((tag, self.text))

    def handle_endtag(self, tag):
        if tag in ("th", "td"):
            self.text = None

    def handle_data(self, data):
        if self.text is not None:
            self.text.append(data)

    def rows(self):
        return [[[(tag, "".join(text).strip(BLANKS)) for tag, text in row] for row in table]
                for table in self.tables]


def show(row):
    if row is None:
        return "no row"
    return "[" + " | ".join(f"{tag}:{text!r}" for tag, text in row) + "]"


def compare(label, heading, rows, page_html):
    parser = PageTables()
    parser.feed(page_html)
    tables = parser.rows()
    if heading is None:
        return [f"{label}: the input has no header, yet the page shows {len(tables)} table(s)"] if tables else []
    if len(tables) != 1:
        return [f"{label}: the page shows {len(tables)} tables instead of one"]
    wanted = [("heading", [("th", c) for c in heading])] + [(w, [("td", c) for c in r]) for w, r in rows]
    shown = tables[0]
    problems = []
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
                 if line.startswith(b"<tr><td") or (kind == "wiki" and i and lines[i - 1] == b"|-"))
    if kind == "wiki":
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
        if folder == "csv":
            heading, rows = csv_table(data)
            if not quoted_throughout(data):
                # Quoted only where needed: the quote-all step comes first.
                quoted = stem + ".quoted.csv"
                with open(path, "rb") as source, open(quoted, "wb") as target:
                    subprocess.run([sys.executable, args.quote_all], stdin=source, stdout=target, check=True)
                if not quoted_throughout(open(quoted, "rb").read()):
                    raise RuntimeError(f"{args.quote_all} left {name} not quoted throughout")
                name, path = name + " via csv-quote-all", quoted
            program, runs = "rowcast", [[args.rowcast, "--i", path, "--html", stem + ".html", "--wiki", stem + ".wiki"]]
        else:
            heading, rows = export_table(data)
            program, runs = "bomtab", [[args.bomtab, "--i", path, "--html", stem + ".html", "--wiki", stem + ".wiki"],
                                       [args.bomgrid, path, stem + ".grid.html"]]
        for argv in runs:
            result = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if result.returncode != 0:
                raise RuntimeError(f"{' '.join(argv)} ended with {result.returncode}")
        for suffix, kind, how in ((".html", "html", program + " --html"), (".wiki", "wiki", program + " --wiki"),
                                  (".grid.html", "html", "bomgrid")):
            if os.path.exists(stem + suffix):
                outputs.append((f"{name} via {how}", stem + suffix, kind, heading, rows))
                if args.plant_fault and folder == "examples":
                    plant_fault(stem + suffix, kind)
    return outputs


def check(args, work, began):
    outputs = convert(args, work)
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

    problems = []
    for (label, path, kind, heading, rows), dom in zip(outputs, doms):
        found = compare(label, heading, rows, dom)
        problems += found
        state = "FAIL" if found else "ok  "
        print(f"{state} {label}: " + (f"heading and {len(rows)} rows" if heading else "no table"))
    for problem in problems:
        print(problem)
    print(f"{len(outputs)} pages in {time.monotonic() - began:.0f} s: "
          + (f"{len(problems)} mismatches" if problems else "every row shown as expected"))
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for program in ("bomtab", "rowcast", "bomgrid"):
        parser.add_argument("--" + program, required=True, help="path of the built " + program)
    parser.add_argument("--corpus", required=True, help="folder with partlist/ and csv/")
    parser.add_argument("--examples", required=True, help="folder with board.txt")
    parser.add_argument("--quote-all", required=True, help="path of contrib/csv-quote-all")
    parser.add_argument("--plant-fault", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--keep", action="store_true", help="keep the work folder and print it")
    args = parser.parse_args()

    missing = consumers.missing_tools()
    if missing:
        if os.environ.get("CI", "").lower() not in ("", "0", "false", "no"):
            print("FAIL: the render check cannot run in CI, missing: " + ", ".join(missing))
            return 1
        print("SKIP: missing " + ", ".join(missing) + " (Debian: apt-get install chromium mediawiki "
              "php-cli php-sqlite3 php-mbstring php-xml php-intl)")
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
