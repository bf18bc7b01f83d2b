#!/usr/bin/env bash
# Draws the sample's tables as readers see them: docs/sample-html.png (the HTML
# output in Chromium) and docs/sample-wiki.png (the wiki output parsed by
# MediaWiki, with the wiki's own table style, in Chromium).
# Usage: docs/make_pictures.sh BUILD_FOLDER   (the folder holding the built bomtab)
# Needs: chromium mediawiki php-cli php-sqlite3 php-mbstring php-xml php-intl
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
cd "$(dirname "$0")/.."
consumers=tests/render/consumers.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bomtab" --i examples/board.txt --html "$work/board.html" --wiki "$work/board.wiki" >/dev/null
python3 "$consumers" html-page "$work/board.html" "$work/html-page.html"
python3 "$consumers" wiki-page "$work/board.wiki" "$work/wiki-page.html"
python3 "$consumers" screenshot "$work/html-page.html" docs/sample-html.png 300x360
python3 "$consumers" screenshot "$work/wiki-page.html" docs/sample-wiki.png 320x440
echo "wrote docs/sample-html.png and docs/sample-wiki.png"
