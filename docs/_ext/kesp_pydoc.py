"""The docstrings of the Python package, as autodoc hands them over.

- A public object without a docstring draws a warning, which the build
  (sphinx-build -W) turns into an error. The site asks autodoc for
  undocumented members too, so that every public one comes here.
- The signatures that pybind11 lists in the docstring of an overloaded
  function of kesp._core ("1. particle(name: str, *, energy_mev: float)")
  are shown as code, not read as reStructuredText.

Both run before numpydoc rewrites the docstring.
"""

import re

from sphinx.util import logging

logger = logging.getLogger(__name__)

OVERLOAD = re.compile(r"^(\s*\d+\. )(\w+\(.*\).*)$")


def is_public(name: str) -> bool:
    """Whether no part of the dotted ``name`` is private (a single leading underscore)."""
    return not any(part.startswith("_") and not part.startswith("__") for part in name.split("."))


def check_docstring(app, what, name, obj, options, lines):
    """Warn when the public object ``name`` has an empty docstring."""
    if is_public(name) and not any(line.strip() for line in lines):
        logger.warning("the public %s %s has no docstring: document it (numpydoc style)", what, name,
                       type="kesp", subtype="undocumented")


def overloads_as_code(app, what, name, obj, options, lines):
    """Put the overload signatures of a pybind11 docstring in literal text."""
    for index, line in enumerate(lines):
        match = OVERLOAD.match(line)
        if match:
            lines[index] = f"{match.group(1)}``{match.group(2)}``"


def setup(app):
    app.connect("autodoc-process-docstring", check_docstring, priority=100)
    app.connect("autodoc-process-docstring", overloads_as_code, priority=110)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
