"""The page check of browserTest.py fails the faults it is there to catch,
and passes a clean page, on pages made for the purpose.

Usage: browserSelfTest.py CHROMIUM HTML_DIR

The pages use the built site's MathJax (HTML_DIR/_static/mathjax), as the
site's pages do. Each faulty page must draw the problem expected of it.
"""

import sys
import tempfile
from pathlib import Path

from browserTest import check_page, open_browser

MATHJAX_CONFIG = ('<script type="text/x-mathjax-config">MathJax.Hub.Config({"tex2jax": {"inlineMath": '
                  '[["\\\\(", "\\\\)"]], "processClass": "math"}, "messageStyle": "none"})</script>')

# name: (body, whether the page loads MathJax, a piece of the problem it must draw or None if clean)
PAGES = {
    "clean.html": ('<p>Plain <span class="math">\\(\\alpha = \\theta \\Sigma\\)</span></p>', True, None),
    "script-error.html": ("<script>notDefinedAnywhere();</script>", False, "uncaught ReferenceError"),
    "console-error.html": ('<script>console.error("deliberate");</script>', False, "console.error: deliberate"),
    "missing-image.html": ('<img src="missing.png">', False, "failed to load"),
    "missing-style.html": ('<link rel="stylesheet" href="missing.css">', False, "failed to load"),
    "undefined-macro.html": ('<span class="math">\\(\\undefinedmacro x\\)</span>', True, "Undefined control sequence"),
    "bad-tex.html": ('<span class="math">\\(x^{2\\)</span>', True, "TeX Jax - parse error"),
    "math-without-mathjax.html": ('<span class="math">\\(x\\)</span>', False, "math not typeset"),
}


def page_text(body: str, mathjax: Path = None) -> str:
    """A page of ``body``, loading the MathJax of the folder ``mathjax`` if given."""
    head = "" if mathjax is None else \
        MATHJAX_CONFIG + f'<script async src="{(mathjax / "MathJax.js").as_uri()}?config=TeX-AMS_SVG"></script>'
    return f'<!DOCTYPE html><html><head><meta charset="utf-8">{head}</head><body>{body}</body></html>'


def main(chromium: str, html_dir: str) -> int:
    mathjax = Path(html_dir).resolve() / "_static" / "mathjax"
    wrong = []
    with tempfile.TemporaryDirectory(prefix="kesp-browser-") as folder:
        for name, (body, with_mathjax, _) in PAGES.items():
            (Path(folder) / name).write_text(page_text(body, mathjax if with_mathjax else None), encoding="utf-8")
        browser = open_browser(chromium)
        try:
            for name, (_, _, expected) in PAGES.items():
                problems, _ = check_page(browser, Path(folder) / name)
                print(f"{name}: {problems or 'clean'}")
                if expected is None and problems:
                    wrong.append(f"{name} is clean but drew {problems}")
                if expected is not None and not any(expected in problem for problem in problems):
                    wrong.append(f"{name} should draw '{expected}', drew {problems}")
        finally:
            browser.close()
    for problem in wrong:
        print(problem)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
