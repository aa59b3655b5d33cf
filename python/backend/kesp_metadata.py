"""The package's core metadata, from pyproject.toml's [project] table and the file VERSION.

pyproject.toml names the package, its description, requirements and
commands; the version is the project's one release number, kept in VERSION
(``dynamic = ["version"]``). This module turns them into the METADATA (and
PKG-INFO) text and the entry_points.txt of the wheel and the sdist.
"""

from __future__ import annotations

import re
from pathlib import Path
from typing import Any

try:
    import tomllib
except ModuleNotFoundError:  # Python before 3.11: the same parser, as a package
    import tomli as tomllib  # type: ignore[no-redef]

# The [project] keys this backend writes into the metadata; any other is
# refused rather than left out of the package unsaid.
KNOWN_KEYS = {"name", "dynamic", "description", "readme", "requires-python", "dependencies",
              "optional-dependencies", "scripts", "keywords", "classifiers", "urls"}
README_TYPES = {".md": "text/markdown", ".rst": "text/x-rst", ".txt": "text/plain"}


class Project:
    """The [project] table of pyproject.toml in ``source_dir``, with the version of its VERSION file."""

    def __init__(self, source_dir: Path) -> None:
        self.source_dir = source_dir
        pyproject = source_dir / "pyproject.toml"
        with pyproject.open("rb") as file:
            table: dict[str, Any] = tomllib.load(file).get("project", {})
        unknown = sorted(set(table) - KNOWN_KEYS)
        if unknown:
            raise RuntimeError(f"{pyproject}: [project] keys {unknown} are not written by the kesp_build backend; "
                               f"it knows {sorted(KNOWN_KEYS)}")
        if "name" not in table or table.get("dynamic") != ["version"]:
            raise RuntimeError(f'{pyproject}: [project] needs a name and dynamic = ["version"] (the file VERSION)')
        self.table = table
        self.name: str = table["name"]
        self.version = read_version(source_dir)

    @property
    def distribution(self) -> str:
        """The name and version as wheel and sdist file names spell them (kesp-3.0)."""
        return f"{re.sub(r'[-_.]+', '_', self.name).lower()}-{self.version}"

    def metadata(self) -> str:
        """The core metadata (version 2.1): the METADATA of the wheel and the PKG-INFO of the sdist."""
        table = self.table
        lines = ["Metadata-Version: 2.1", f"Name: {self.name}", f"Version: {self.version}"]
        if "description" in table:
            lines.append(f"Summary: {table['description']}")
        if table.get("keywords"):
            lines.append(f"Keywords: {','.join(table['keywords'])}")
        lines += [f"Project-URL: {label}, {url}" for label, url in table.get("urls", {}).items()]
        lines += [f"Classifier: {classifier}" for classifier in table.get("classifiers", [])]
        if "requires-python" in table:
            lines.append(f"Requires-Python: {table['requires-python']}")
        lines += [f"Requires-Dist: {requirement}" for requirement in table.get("dependencies", [])]
        for extra, requirements in table.get("optional-dependencies", {}).items():
            lines.append(f"Provides-Extra: {extra}")
            lines += [f'Requires-Dist: {requirement}; extra == "{extra}"' for requirement in requirements]
        readme = self._readme()
        if readme is None:
            return "\n".join(lines) + "\n"
        content_type, text = readme
        lines.append(f"Description-Content-Type: {content_type}")
        return "\n".join(lines) + "\n\n" + text

    def entry_points(self) -> str:
        """entry_points.txt: the console commands of [project.scripts] ("" without any)."""
        scripts = self.table.get("scripts", {})
        if not scripts:
            return ""
        return "[console_scripts]\n" + "".join(f"{name} = {target}\n" for name, target in scripts.items())

    def readme_file(self) -> Path | None:
        readme = self.table.get("readme")
        if readme is None:
            return None
        return self.source_dir / (readme if isinstance(readme, str) else readme["file"])

    def _readme(self) -> tuple[str, str] | None:
        readme = self.table.get("readme")
        file = self.readme_file()
        if file is None:
            return None
        content_type = readme.get("content-type") if isinstance(readme, dict) else None
        if content_type is None:
            if file.suffix.lower() not in README_TYPES:
                raise RuntimeError(f"{file}: give the readme's content-type in pyproject.toml")
            content_type = README_TYPES[file.suffix.lower()]
        return content_type, file.read_text(encoding="utf-8")


def read_version(source_dir: Path) -> str:
    """The release number of the file VERSION (one line: 3.0)."""
    file = source_dir / "VERSION"
    version = file.read_text(encoding="utf-8").strip()
    if not re.fullmatch(r"[0-9]+(\.[0-9]+)*", version):
        raise RuntimeError(f"{file}: '{version}' is not a release number such as 3.0")
    return version
