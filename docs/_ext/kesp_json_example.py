"""The ``json-example`` directive: a JSON document, its long arrays cut short.

``{json-example} proton10MeV.json`` (a path relative to the page) shows the
document as it is, indented by two, except that an array longer than
``:rows:`` items (3 unless told) shows its first items and then a comment
line saying how many more there are. The build writes the document from a
real run, so the example is always the program's own output.
"""

import json
import re
from pathlib import Path

from docutils import nodes
from docutils.parsers.rst import directives
from sphinx.util.docutils import SphinxDirective

MORE = "@@kesp-more@@"
MORE_LINE = re.compile(r'^(\s*)"' + MORE + r'(\d+)"$')


def cut(value, rows: int):
    """``value`` with every array of more than ``rows`` + 1 items cut to ``rows`` items and a marker."""
    if isinstance(value, dict):
        return {key: cut(child, rows) for key, child in value.items()}
    if not isinstance(value, list):
        return value
    if len(value) <= rows + 1:
        return [cut(child, rows) for child in value]
    return [cut(child, rows) for child in value[:rows]] + [f"{MORE}{len(value) - rows}"]


def shortened_text(document, rows: int) -> str:
    """The document as indented JSON, each cut array ending in ``// ... N more``."""
    lines = []
    for line in json.dumps(cut(document, rows), indent=2, ensure_ascii=False).split("\n"):
        marker = MORE_LINE.match(line)
        if marker:
            lines[-1] = lines[-1].rstrip(",")
            line = f"{marker.group(1)}// ... {marker.group(2)} more"
        lines.append(line)
    return "\n".join(lines)


class JsonExample(SphinxDirective):
    """A JSON document, its long arrays cut short."""

    required_arguments = 1
    option_spec = {"rows": directives.nonnegative_int}

    def run(self):
        relative, absolute = self.env.relfn2path(self.arguments[0], self.env.docname)
        self.env.note_dependency(relative)
        try:
            document = json.loads(Path(absolute).read_text(encoding="utf-8"))
        except (OSError, ValueError) as error:
            raise self.error(f"json-example: cannot read {absolute}: {error}") from error
        text = shortened_text(document, self.options.get("rows", 3))
        block = nodes.literal_block(text, text, language="javascript")
        self.set_source_info(block)
        return [block]


def setup(app):
    app.add_directive("json-example", JsonExample)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
