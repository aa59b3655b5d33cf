"""Every internal link and resource of the site resolves, and nothing loads from the network.

Usage: linkCheckTest.py HTML_DIR

For every HTML page: each href and src that names a file of the site must
name an existing file, and an #anchor must be an id of the page it points
to; a resource (src, or the href of a <link>) with an absolute http(s) or
protocol-relative address fails, as the site must work offline. Links out
of the site (<a href="https://...">) are allowed.
"""

import sys
from pathlib import Path
from urllib.parse import unquote, urlsplit

from siteHtml import parse

SKIPPED_SCHEMES = ("mailto", "data", "javascript")


def problems(root: Path) -> list:
    pages = {page: parse(page) for page in root.rglob("*.html")}
    found = []
    for page, parsed in pages.items():
        name = page.relative_to(root)
        for resource in parsed.resources:
            if urlsplit(resource).scheme in ("http", "https") or resource.startswith("//"):
                found.append(f"{name}: loads {resource} from the network")
        for address in parsed.links + parsed.resources:
            parts = urlsplit(address)
            if parts.scheme or address.startswith("//") or parts.scheme in SKIPPED_SCHEMES:
                continue
            target = (page.parent / unquote(parts.path)).resolve() if parts.path else page
            if target.is_dir():
                target = target / "index.html"
            if not target.is_file():
                found.append(f"{name}: {address} names no file")
                continue
            if parts.fragment and target.suffix == ".html":
                ids = pages[target].ids if target in pages else parse(target).ids
                if unquote(parts.fragment) not in ids:
                    found.append(f"{name}: {address} names no anchor of {target.relative_to(root)}")
    return found


def main(html_dir: str) -> int:
    root = Path(html_dir).resolve()
    if not (root / "index.html").is_file():
        print(f"{root}/index.html is missing: build the site")
        return 1
    found = problems(root)
    for problem in found:
        print(problem)
    print(f"{len(found)} broken links or network loads in {root}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
