"""What the documentation tests read from the built site: the ids, links
and resources of its HTML pages."""

from html.parser import HTMLParser
from pathlib import Path


class PageParser(HTMLParser):
    """The ids (and names) of one page, and its links (a href) and resources (src, link href)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.links = []
        self.resources = []

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        for key in ("id", "name"):
            if attributes.get(key) and (key == "id" or tag == "a"):
                self.ids.add(attributes[key])
        if tag == "a" and attributes.get("href") is not None:
            self.links.append(attributes["href"])
        if attributes.get("src") is not None:
            self.resources.append(attributes["src"])
        if tag == "link" and attributes.get("href") is not None:
            self.resources.append(attributes["href"])


def parse(page: Path) -> PageParser:
    parser = PageParser()
    parser.feed(page.read_text(encoding="utf-8"))
    return parser


def ids_of(page: Path) -> set:
    if not page.is_file():
        raise SystemExit(f"{page} is missing: build the site (cmake -DKESP_BUILD_DOCS=ON, then cmake --build)")
    return parse(page).ids
