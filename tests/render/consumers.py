"""The consumers our tables are written for: a web browser (headless Chromium), a
MediaWiki parser (Debian's mediawiki package, run as a throwaway wiki in a
temporary folder) and GitHub's Markdown renderer (cmark-gfm). Used by
render_check.py and by docs/make_pictures.sh.

Command line (for the picture script):
  consumers.py html-page FRAGMENT PAGE       wrap an HTML output in a UTF-8 page
  consumers.py wiki-page WIKITEXT PAGE       parse wiki text into a styled UTF-8 page
  consumers.py screenshot PAGE PNG WxH       draw a page with Chromium
"""
import html
import os
import shutil
import signal
import subprocess
import sys
import tempfile

MEDIAWIKI = "/usr/share/mediawiki"
PHP_MODULES = ("pdo_sqlite", "mbstring", "xml", "dom", "intl")
# Without the networking switches Chromium keeps retrying refused connections
# and never exits.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--no-first-run", "--disable-quic",
                  "--hide-scrollbars"]
TIMEOUT = 90


def chromium_path():
    return shutil.which("chromium") or shutil.which("chromium-browser")


def missing_tools(markdown=True):
    """Names of the packages whose tools are not installed (the pictures need no
    Markdown renderer)."""
    missing = []
    if markdown and not shutil.which("cmark-gfm"):
        missing.append("cmark-gfm")
    if not chromium_path():
        missing.append("chromium")
    if not shutil.which("php"):
        missing.append("php-cli")
    else:
        modules = run(["php", "-m"]).decode().lower().split()
        missing += ["php module " + m for m in PHP_MODULES if m not in modules]
    if not os.path.isfile(os.path.join(MEDIAWIKI, "maintenance", "parse.php")):
        missing.append("mediawiki")
    return missing


def run(argv, env=None, stdin=None):
    """Runs a command in its own process group; stdout on success, else raises."""
    with subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, env=env, start_new_session=True) as proc:
        try:
            out, err = proc.communicate(stdin, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.communicate()
            raise RuntimeError(f"{argv[0]} took longer than {TIMEOUT} s: {' '.join(argv)}")
    if proc.returncode != 0:
        # MediaWiki's scripts give their reasons on standard output.
        tail = (err.strip() or out.strip()).decode(errors="replace").splitlines()[-5:]
        raise RuntimeError(f"{' '.join(argv)} ended with {proc.returncode}:\n  " + "\n  ".join(tail))
    return out


def page(body, title, style=b""):
    """A minimal UTF-8 page around a fragment (bytes), the way a user pastes it."""
    head = (b"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>"
            + html.escape(title).encode() + b"</title>" + style + b"</head>\n<body>\n")
    return head + body + b"\n</body></html>\n"


def markdown(path):
    """The HTML that GitHub shows for a Markdown file: its tables, strikethrough and links
    made of bare web addresses, and raw HTML passed through (the <br> in a cell is ours)."""
    return run(["cmark-gfm", "-e", "table", "-e", "strikethrough", "-e", "autolink", "--unsafe", path]
               ).decode("utf-8", errors="replace")


class Chromium:
    def __init__(self, workdir):
        self.binary = chromium_path()
        self.workdir = workdir

    def _run(self, args, page_path):
        profile = tempfile.mkdtemp(prefix="profile-", dir=self.workdir)
        try:
            return run([self.binary, *CHROMIUM_FLAGS, "--user-data-dir=" + profile, *args,
                        "file://" + os.path.abspath(page_path)])
        finally:
            shutil.rmtree(profile, ignore_errors=True)

    def dump_dom(self, page_path):
        return self._run(["--dump-dom"], page_path).decode("utf-8", errors="replace")

    def screenshot(self, page_path, png, size):
        self._run(["--screenshot=" + os.path.abspath(png), "--window-size=" + size.replace("x", ",")],
                  page_path)


class Wiki:
    """A throwaway SQLite wiki whose settings and database stay in a temporary folder.
    Every script, the installer too, reads the folder's LocalSettings.php through
    MW_CONFIG_FILE. Left to itself MediaWiki takes LocalSettings.php in its install
    folder (root), which on Debian links to the site's own
    /etc/mediawiki/LocalSettings.php, and the installer refuses to run where that
    file exists. So the site's wiki is neither read nor touched."""

    def __init__(self, workdir, root=MEDIAWIKI):
        self.root = root
        self.dir = tempfile.mkdtemp(prefix="wiki-", dir=workdir)
        self.env = dict(os.environ, MW_INSTALL_PATH=root,
                        MW_CONFIG_FILE=os.path.join(self.dir, "LocalSettings.php"))
        self.maintenance("install.php", "--quiet", "--dbtype=sqlite",
                         "--dbpath=" + os.path.join(self.dir, "db"), "--dbname=render",
                         "--confpath=" + self.dir, "--server=http://localhost", "--scriptpath=/w",
                         "--lang=en", "--pass=throwaway-" + os.urandom(8).hex(), "--skins=",
                         "RenderWiki", "admin")

    def maintenance(self, script, *args, stdin=None):
        return run(["php", os.path.join(self.root, "maintenance", script), *args],
                   env=self.env, stdin=stdin)

    def parse(self, wikitext_path):
        """The HTML that the wiki shows for a page holding this wiki text."""
        return self.maintenance("parse.php", "--title=Partlist", os.path.abspath(wikitext_path))

    def styles(self):
        """The wiki's own stylesheet for page elements, links and wikitable tables."""
        out = os.path.join(self.dir, "styles.css")
        code = ('$rl = MediaWiki\\MediaWikiServices::getInstance()->getResourceLoader(); '
                '$m = "render.styles"; '
                '$rl->register($m, ["class" => MediaWiki\\ResourceLoader\\SkinModule::class, '
                '"features" => ["normalize" => true, "elements" => true, "content-links" => true, '
                '"content-tables" => true, "interface-edit-section-links" => true]]); '
                '$c = new MediaWiki\\ResourceLoader\\Context($rl, new FauxRequest(['
                '"modules" => $m, "only" => "styles", "skin" => "fallback"])); '
                f'file_put_contents("{out}", $rl->makeModuleResponse($c, [$m => $rl->getModule($m)]));\n')
        self.maintenance("eval.php", stdin=code.encode())
        with open(out, "rb") as f:
            return f.read()


def main(argv):
    if len(argv) < 3 or argv[0] not in ("html-page", "wiki-page", "screenshot"):
        sys.exit(__doc__)
    missing = missing_tools(markdown=False)
    if missing:
        sys.exit("missing: " + ", ".join(missing))
    command, source, target = argv[:3]
    with tempfile.TemporaryDirectory(prefix="consumers-") as work:
        if command == "screenshot":
            Chromium(work).screenshot(source, target, argv[3] if len(argv) > 3 else "800x600")
            return
        with open(source, "rb") as f:
            body = f.read()
        style = b""
        if command == "wiki-page":
            wiki = Wiki(work)
            body = wiki.parse(source)
            # The margin a skin would give the content area.
            style = b"<style>" + wiki.styles() + b"\nbody { margin: 8px 16px; }</style>"
        with open(target, "wb") as f:
            f.write(page(body, os.path.basename(source), style))


if __name__ == "__main__":
    main(sys.argv[1:])
