"""The ``json-schema`` directive: a JSON schema as tables of keys.

``{json-schema} ../kesp-results.schema.json`` (a path relative to the page)
shows the document's own keys and then those of every object inside it and
of every definition under ``$defs``, each as a table of key, type, whether
it is required, and description. Types that refer to a definition link to
its table.
"""

import json
from pathlib import Path

from docutils import nodes
from sphinx.util.docutils import SphinxDirective


def anchor(path: str) -> str:
    """The HTML id of the table of the object at ``path`` ("settings.dmso")."""
    return "schema-" + path.replace(".", "-").replace("[]", "-items").replace("$", "").lower()


def type_parts(schema: dict) -> list:
    """The type of a property as a list of text pieces and (text, anchor) links."""
    if "$ref" in schema:
        name = schema["$ref"].rsplit("/", 1)[-1]
        return [(name, anchor("defs." + name))]
    if "const" in schema:
        return [f"constant {json.dumps(schema['const'])}"]
    if "enum" in schema:
        return ["one of " + ", ".join(json.dumps(value) for value in schema["enum"])]
    for combiner in ("oneOf", "anyOf"):
        if combiner in schema:
            parts = []
            for index, option in enumerate(schema[combiner]):
                if index:
                    parts.append(" or ")
                parts += type_parts(option)
            return parts
    kinds = schema.get("type", "any")
    kinds = kinds if isinstance(kinds, list) else [kinds]
    parts = []
    for index, kind in enumerate(kinds):
        if index:
            parts.append(" or ")
        if kind == "array" and isinstance(schema.get("items"), dict):
            parts += ["array of "] + type_parts(schema["items"])
        else:
            parts.append(kind)
    return parts


def objects(schema: dict, path: str):
    """(path, schema) of every object with properties at or below ``path``, depth first."""
    if isinstance(schema.get("properties"), dict):
        yield path, schema
        for key, child in schema["properties"].items():
            yield from objects(child, f"{path}.{key}" if path else key)
    items = schema.get("items")
    if isinstance(items, dict):
        yield from objects(items, path + "[]")
    for combiner in ("oneOf", "anyOf", "allOf"):
        for option in schema.get(combiner, []):
            yield from objects(option, path)


class JsonSchema(SphinxDirective):
    """Tables of the keys of a JSON schema."""

    required_arguments = 1

    def run(self):
        relative, absolute = self.env.relfn2path(self.arguments[0], self.env.docname)
        self.env.note_dependency(relative)
        try:
            schema = json.loads(Path(absolute).read_text(encoding="utf-8"))
        except (OSError, ValueError) as error:
            raise self.error(f"json-schema: cannot read {absolute}: {error}") from error
        result = []
        sections = list(objects(schema, ""))
        for name, definition in schema.get("$defs", {}).items():
            for path, child in objects(definition, "defs." + name):
                sections.append((path, child))
        for path, child in sections:
            result += self.object_table(path, child)
        return result

    def object_table(self, path: str, schema: dict) -> list:
        if not path:
            title = "The document"
        elif path.startswith("defs."):
            title = "Definition " + path[len("defs."):]
        else:
            title = path
        heading = nodes.rubric(title, title, ids=[anchor(path or "document")])
        body = []
        if schema.get("description"):
            body.append(nodes.paragraph(text=schema["description"]))
        extra = schema.get("additionalProperties")
        if isinstance(extra, dict):
            parts = nodes.paragraph(text="Keys other than those below: ")
            parts += self.inline(type_parts(extra))
            body.append(parts)
        required = set(schema.get("required", []))
        rows = []
        for key, child in schema["properties"].items():
            type_cell = nodes.paragraph()
            type_cell += self.inline(type_parts(child))
            child_path = f"{path}.{key}" if path else key
            description = nodes.paragraph(text=child.get("description", ""))
            if isinstance(child.get("properties"), dict):
                description += nodes.Text(" ")
                description += self.link("(its keys)", anchor(child_path))
            rows.append([nodes.paragraph(text=key), type_cell,
                         nodes.paragraph(text="yes" if key in required else "no"), description])
        return [heading, *body, self.table(["Key", "Type", "Required", "Description"], rows)]

    def inline(self, parts: list) -> list:
        return [self.link(*part) if isinstance(part, tuple) else nodes.Text(part) for part in parts]

    @staticmethod
    def link(text: str, target: str) -> nodes.reference:
        return nodes.reference(text, text, refid=target, internal=True)

    @staticmethod
    def table(header: list, rows: list) -> nodes.table:
        table = nodes.table(classes=["kesp-schema"])
        group = nodes.tgroup(cols=len(header))
        table += group
        for width in (16, 16, 8, 60):
            group += nodes.colspec(colwidth=width)
        head = nodes.thead()
        head += JsonSchema.row([nodes.paragraph(text=text) for text in header])
        group += head
        body = nodes.tbody()
        for cells in rows:
            body += JsonSchema.row(cells)
        group += body
        return table

    @staticmethod
    def row(cells: list) -> nodes.row:
        row = nodes.row()
        for cell in cells:
            entry = nodes.entry()
            entry += cell
            row += entry
        return row


def setup(app):
    app.add_directive("json-schema", JsonSchema)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
