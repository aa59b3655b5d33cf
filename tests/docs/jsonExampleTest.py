"""The example on the JSON document's page is a real document, shown faithfully.

Usage: jsonExampleTest.py HTML_DIR SCHEMA

The whole document the page offers for download must follow the schema and
be a run of 200 cells; the cut document the page shows (its "// ... N more"
lines dropped) must be that document with each array cut to its first items,
every value kept, and each comment must count the items it stands for.
"""

import html
import json
import re
import sys
from pathlib import Path

import jsonschema

SHOWN = re.compile(r'<div class="highlight-javascript[^"]*"><div class="highlight"><pre>(.*?)</pre>', re.S)
MORE = re.compile(r"^\s*// \.\.\. (\d+) more$")


def shown_text(page: Path) -> str:
    blocks = SHOWN.findall(page.read_text(encoding="utf-8"))
    if len(blocks) != 1:
        raise SystemExit(f"{page}: {len(blocks)} JSON examples, expected one")
    return html.unescape(re.sub(r"<[^>]+>", "", blocks[0]))


def differences(shown, full, path="") -> list:
    """Where ``shown`` is not ``full`` with some arrays cut short (lists of the cut counts aside)."""
    if isinstance(shown, dict) and isinstance(full, dict):
        found = [f"{path}: keys {sorted(set(shown) ^ set(full))} differ"] if set(shown) != set(full) else []
        return found + [problem for key in shown.keys() & full.keys()
                        for problem in differences(shown[key], full[key], f"{path}.{key}")]
    if isinstance(shown, list) and isinstance(full, list):
        if len(shown) > len(full):
            return [f"{path}: {len(shown)} items shown of {len(full)}"]
        return [problem for index, item in enumerate(shown)
                for problem in differences(item, full[index], f"{path}[{index}]")]
    return [] if shown == full else [f"{path}: {shown!r} shown, {full!r} in the document"]


def main(html_dir: str, schema_file: str) -> int:
    page = Path(html_dir) / "formats" / "json-document.html"
    downloads = list((Path(html_dir) / "_downloads").glob("*/proton10MeV.json"))
    if len(downloads) != 1:
        print(f"{len(downloads)} downloadable documents proton10MeV.json, expected one")
        return 1
    full = json.loads(downloads[0].read_text(encoding="utf-8"))
    jsonschema.validate(full, json.loads(Path(schema_file).read_text(encoding="utf-8")))
    lines = shown_text(page).splitlines()
    cut_counts = [int(match.group(1)) for match in map(MORE.match, lines) if match]
    shown = json.loads("\n".join(line for line in lines if not MORE.match(line)))
    problems = differences(shown, full)
    if full["run"]["cells_simulated"] != 200:
        problems.append(f"the document is of {full['run']['cells_simulated']} cells, not of the example's 200")
    if not cut_counts:
        problems.append("no array is cut short: the example shows the whole document")
    rows = full["tables"]["clusters_per_cell_per_gy"]["rows"]
    if len(rows) - len(shown["tables"]["clusters_per_cell_per_gy"]["rows"]) not in cut_counts:
        problems.append("the cut of the table's rows is not counted in its comment")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} problems; the example shows {len(lines)} lines, {len(cut_counts)} arrays cut")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
