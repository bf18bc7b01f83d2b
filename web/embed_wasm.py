#!/usr/bin/env python3
"""Writes the WebAssembly module into a script, as base64 text, so that the
page needs no fetch of a .wasm file, which browsers refuse for a page opened
from disk.

    embed_wasm.py MODULE.wasm OUT.js
"""
import base64
import sys

if len(sys.argv) != 3:
    sys.exit(__doc__.strip())
with open(sys.argv[1], "rb") as f:
    module = base64.b64encode(f.read()).decode("ascii")
with open(sys.argv[2], "w", encoding="ascii", newline="\n") as f:
    f.write("// The converters as WebAssembly, built from the programs' own code.\n")
    f.write(f'const BOMTABLES_WASM = "{module}";\n')
