#!/usr/bin/env python3
"""The parts of a release that a shell does not write byte for byte alike
everywhere: the Debian changelog and copyright file made from CHANGELOG.md and
LICENSE, and a zip whose entries have fixed times, modes and order.

    package.py debian-changelog CHANGELOG.md "NAME <ADDRESS>"   (newest entry dated SOURCE_DATE_EPOCH)
    package.py copyright LICENSE "NAME <ADDRESS>" HOMEPAGE
    package.py zip OUT.zip FOLDER

The first two write to standard output. The zip holds FOLDER under its own
name, every entry dated SOURCE_DATE_EPOCH (UTC).
"""

import datetime
import email.utils
import os
import re
import sys
import textwrap
import zipfile


def changelog_entries(text):
    """(version, date, [(heading, [item, ...]), ...]) for each release, newest first."""
    entries = []
    for line in text.splitlines():
        release = re.match(r"## \[([^\]]+)\] - (\d{4}-\d{2}-\d{2})$", line)
        if release:
            entries.append((release.group(1), release.group(2), []))
        elif not entries:
            continue
        elif line.startswith("### "):
            entries[-1][2].append((line[4:].strip(), []))
        elif line.startswith("- ") and entries[-1][2]:
            entries[-1][2][-1][1].append(line[2:].strip())
        elif line.startswith("  ") and line.strip() and entries[-1][2] and entries[-1][2][-1][1]:
            items = entries[-1][2][-1][1]
            items[-1] += " " + line.strip()
    return entries


def debian_changelog(text, maintainer):
    out = []
    for index, (version, date, sections) in enumerate(changelog_entries(text)):
        out.append(f"bomtables ({version}) unstable; urgency=medium\n\n")
        for heading, items in sections:
            out.append(f"  * {heading}:\n")
            for item in items:
                plain = item.replace("`", "")
                out.append(textwrap.fill(plain, width=78, initial_indent="    - ",
                                         subsequent_indent="      ", break_on_hyphens=False,
                                         break_long_words=False) + "\n")
        # The newest entry is the release being made, dated as its commit;
        # the earlier ones have only their day.
        day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
        if index == 0:
            day = datetime.datetime.fromtimestamp(int(os.environ["SOURCE_DATE_EPOCH"]), datetime.timezone.utc)
        out.append(f"\n -- {maintainer}  {email.utils.format_datetime(day)}\n\n")
    if not out:
        sys.exit("package.py: no release found in the changelog")
    return "".join(out).rstrip("\n") + "\n"


def copyright_file(licence, maintainer, homepage):
    holder = re.search(r"^Copyright \(c\) (.+)$", licence, re.M)
    if not holder:
        sys.exit("package.py: no copyright line in the licence")
    body = licence[licence.index("Permission is hereby granted"):].strip("\n")
    lines = [" " + line if line.strip() else " ." for line in body.splitlines()]
    return ("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
            "Upstream-Name: bomtables\n"
            f"Upstream-Contact: {maintainer}\n"
            f"Source: {homepage}\n\n"
            "Files: *\n"
            f"Copyright: {holder.group(1)}\n"
            "License: Expat\n" + "\n".join(lines) + "\n")


def write_zip(target, folder):
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    # A zip keeps local time with two-second steps and nothing before 1980.
    stamp = datetime.datetime.fromtimestamp(max(epoch, 315532800), datetime.timezone.utc)
    stamp = stamp.timetuple()[:6]
    top = os.path.basename(os.path.normpath(folder))
    names = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(root, folder)
        prefix = top if rel == "." else top + "/" + rel.replace(os.sep, "/")
        names.append((prefix + "/", None))
        names.extend((prefix + "/" + name, os.path.join(root, name)) for name in sorted(files))
    with zipfile.ZipFile(target, "w") as archive:
        for name, path in sorted(names):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3
            if path is None:
                info.external_attr = (0o40755 << 16) | 0x10
                archive.writestr(info, b"")
                continue
            mode = 0o755 if os.access(path, os.X_OK) else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


def main(argv):
    if len(argv) == 3 and argv[0] == "debian-changelog":
        with open(argv[1], encoding="utf-8") as f:
            sys.stdout.write(debian_changelog(f.read(), argv[2]))
    elif len(argv) == 4 and argv[0] == "copyright":
        with open(argv[1], encoding="utf-8") as f:
            sys.stdout.write(copyright_file(f.read(), argv[2], argv[3]))
    elif len(argv) == 3 and argv[0] == "zip":
        write_zip(argv[1], argv[2])
    else:
        sys.exit(__doc__.strip())


if __name__ == "__main__":
    main(sys.argv[1:])
