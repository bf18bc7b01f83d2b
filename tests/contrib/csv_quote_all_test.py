#!/usr/bin/env python3
"""The quote-all step before rowcast, on small hand-written files."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no cache folder in the source tree
SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "contrib", "csv-quote-all")


def run(data, *args):
    """Standard output and exit status of the script given `data` on standard input."""
    result = subprocess.run([sys.executable, SCRIPT, *args], input=data, capture_output=True)
    return result.stdout, result.returncode


class QuoteAll(unittest.TestCase):
    def test_every_separator_is_found_in_the_first_line(self):
        want = b'"Part","Value"\n"R1","10k"\n'
        for sep in (b",", b";", b"\t"):
            with self.subTest(sep=sep):
                self.assertEqual(run(b"Part" + sep + b"Value\nR1" + sep + b"10k\n"), (want, 0))
        # A separator inside quotes does not count: two semicolons, one comma.
        self.assertEqual(run(b'"a;b;c",d\n'), (b'"a;b;c","d"\n', 0))

    def test_separator_option_overrides_the_first_line(self):
        self.assertEqual(run(b"a,b;c\n", "--separator", ";"), (b'"a,b","c"\n', 0))
        self.assertEqual(run(b"a;b\tc\n", "--separator", "tab"), (b'"a;b","c"\n', 0))

    def test_fields_keep_their_text(self):
        cases = [
            (b"\xef\xbb\xbfPart,Value\n", b'"Part","Value"\n'),  # byte-order mark dropped
            (b'R1,"5"" screen"\n', b'"R1","5"" screen"\n'),  # a quote inside a field
            (b"R1,,10k\n", b'"R1","","10k"\n'),  # an empty field
            (b'x,",,,,",",5 mm"\n', b'"x",",,,,",",5 mm"\n'),  # fields of and led by commas
            (b"a;b\r\nc;d\r\n", b'"a","b"\n"c","d"\n'),  # CR LF becomes LF
            (b"C1;0.1 \xb5F\n", b'"C1","0.1 \xb5F"\n'),  # Latin-1 passes through
            (b"C1;0.1 \xc2\xb5F\n", b'"C1","0.1 \xc2\xb5F"\n'),  # so does UTF-8
            (b"a,b", b'"a","b"\n'),  # no newline at the end
        ]
        for data, want in cases:
            with self.subTest(data=data):
                self.assertEqual(run(data), (want, 0))

    def test_a_file_name_instead_of_standard_input(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "parts.csv")
            with open(path, "wb") as f:
                f.write(b"a;b\n")
            self.assertEqual(run(b"", path), (b'"a","b"\n', 0))
            self.assertEqual(run(b"", os.path.join(work, "missing.csv"))[1], 1)


if __name__ == "__main__":
    unittest.main()
