"""Fails the build for a public object of the Python package without a docstring.

autodoc hands every member it documents (the site asks for undocumented
members too) to ``autodoc-process-docstring``; a public one whose docstring
is empty draws a warning, which the build (sphinx-build -W) turns into an
error. It runs before numpydoc rewrites the docstring.
"""

from sphinx.util import logging

logger = logging.getLogger(__name__)


def check_docstring(app, what, name, obj, options, lines):
    """Warn when the public object ``name`` has an empty docstring."""
    if any(part.startswith("_") and not part.startswith("__") for part in name.split(".")):
        return
    if not any(line.strip() for line in lines):
        logger.warning("the public %s %s has no docstring: document it (numpydoc style)", what, name,
                       type="kesp", subtype="undocumented")


def setup(app):
    app.connect("autodoc-process-docstring", check_docstring, priority=100)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
