"""The furo theme, made to work from file:// as Debian packages it.

Debian's furo ships its script as an ES module (``import Gumshoe from
"./gumshoe-patched.js"``) that the theme loads as a plain script, and its
style sheet imports normalize.css from a web server's /javascript/ folder.
Opened from disk, a page then throws a SyntaxError and fails to load the
style sheet. So, in the built site:

- the import line is dropped from scripts/furo.js and gumshoe-patched.js (a
  script that sets window.Gumshoe) is loaded before it;
- the import of a /javascript/ style sheet in styles/furo.css is replaced by
  that sheet's text, read from /usr/share/javascript.

A furo without either (upstream's bundles) is left as it is.
"""

import re
from pathlib import Path

from sphinx.errors import ExtensionError

MODULE_IMPORT = re.compile(r'^import \w+ from "\./([\w.-]+)";[ \t]*\n', re.MULTILINE)
SERVER_IMPORT = re.compile(r"@import url\(/javascript/([^)]+)\);")
SERVER_JAVASCRIPT = Path("/usr/share/javascript")


def imported_scripts(script: str) -> list:
    """The files of the ``import ... from "./file"`` lines of a script."""
    return MODULE_IMPORT.findall(script)


def without_imports(script: str) -> str:
    return MODULE_IMPORT.sub("", script)


def with_inlined_imports(css: str, javascript_dir: Path = SERVER_JAVASCRIPT) -> str:
    """The style sheet with each ``@import url(/javascript/...)`` replaced by the imported text."""
    def inline(match):
        imported = javascript_dir / match.group(1)
        if not imported.is_file():
            raise ExtensionError(f"furo's style sheet imports /javascript/{match.group(1)}, which is not in "
                                 f"{javascript_dir}: install Debian's node-normalize.css")
        return f"/* {match.group(1)} */\n" + imported.read_text(encoding="utf-8")
    return SERVER_IMPORT.sub(inline, css)


def theme_static() -> Path:
    import furo
    return Path(furo.__file__).parent / "theme" / "furo" / "static"


def load_imported_scripts(app, config):
    """Load the scripts furo.js imports, as plain scripts, before it (furo's priority is 200)."""
    if config.html_theme != "furo":
        return
    script = (theme_static() / "scripts" / "furo.js").read_text(encoding="utf-8")
    for name in imported_scripts(script):
        app.add_js_file(f"scripts/{name}", priority=199)


def rewrite_static(app, exception):
    if exception is not None or app.builder.format != "html" or app.config.html_theme != "furo":
        return
    static = Path(app.outdir) / "_static"
    script, css = static / "scripts" / "furo.js", static / "styles" / "furo.css"
    script.write_text(without_imports(script.read_text(encoding="utf-8")), encoding="utf-8")
    css.write_text(with_inlined_imports(css.read_text(encoding="utf-8")), encoding="utf-8")


def setup(app):
    app.connect("config-inited", load_imported_scripts)
    app.connect("build-finished", rewrite_static)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
