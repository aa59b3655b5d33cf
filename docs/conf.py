"""Sphinx settings of the KESP documentation site.

The build (cmake -DKESP_BUILD_DOCS=ON) runs Sphinx on a copy of this folder
with the example notebooks beside the pages, and tells it through the
environment where the rest is: KESP_SOURCE_DIR (the source tree),
KESP_DOXYGEN_XML (Doxygen's XML of the public headers), KESP_EXECUTABLE,
KESP_SCAN_EXECUTABLE and KESP_PLOT_EXECUTABLE (the built programs), and
PYTHONPATH (the package kesp of the build tree).
"""

import os
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent / "_ext"))

SOURCE_DIR = Path(os.environ.get("KESP_SOURCE_DIR", Path(__file__).resolve().parent.parent))


def _version() -> str:
    """The version of the VERSION file, or else of the project() call of CMakeLists.txt."""
    version_file = SOURCE_DIR / "VERSION"
    if version_file.is_file():
        return version_file.read_text(encoding="utf-8").strip()
    cmake_lists = (SOURCE_DIR / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(\s*kesp\s+VERSION\s+([0-9.]+)", cmake_lists)
    if match is None:
        raise RuntimeError("no version in VERSION or CMakeLists.txt")
    return match.group(1)


project = "KESP"
author = "the KESP developers"
copyright = "the KESP developers"
version = release = _version()

extensions = [
    "myst_parser",
    "breathe",
    "sphinx.ext.autodoc",
    "sphinx.ext.mathjax",
    "numpydoc",
    "nbsphinx",
    "kesp_programs",
    "kesp_schema",
    "kesp_json_example",
    "kesp_pydoc",
    "kesp_cppref",
    "kesp_furo",
]

source_suffix = {".md": "markdown"}
root_doc = "index"
# Only pages are read: the data and templates in this folder are not.
exclude_patterns = ["_build", "_ext", "figures", "Doxyfile.in", "*.json", "**.ipynb_checkpoints"]

# MyST: $...$ and $$...$$ math, ::: fences, definition lists, anchors on
# headings down to ###.
myst_enable_extensions = ["dollarmath", "amsmath", "colon_fence", "deflist"]
myst_heading_anchors = 3
# MathJax 2 is told below which elements hold math; MyST's settings are
# for MathJax 3.
myst_update_mathjax = False

# Math by Debian's MathJax 2, copied into _static by the build: TeX in,
# SVG out (no web fonts to load, so pages work from file://).
mathjax_path = "mathjax/MathJax.js?config=TeX-AMS_SVG"
mathjax2_config = {
    "tex2jax": {"inlineMath": [["\\(", "\\)"]], "displayMath": [["\\[", "\\]"]],
                "processEscapes": True},
    "menuSettings": {"zoom": "None"},
    "showMathMenu": False,
    "messageStyle": "none",
}

# C++ reference: Doxygen's XML of the public headers.
breathe_projects = {"kesp": os.environ.get("KESP_DOXYGEN_XML", "")}
breathe_default_project = "kesp"
breathe_default_members = ("members",)
breathe_domain_by_extension = {"h": "cpp"}

# Python reference: the package of the build tree, numpydoc docstrings.
autodoc_default_options = {"members": True, "undoc-members": True, "show-inheritance": True}
autodoc_member_order = "bysource"
autodoc_typehints = "signature"
autoclass_content = "class"
numpydoc_show_class_members = False
numpydoc_class_members_toctree = False
numpydoc_xref_param_type = False
# Every public docstring: a summary line ending in a period, every parameter
# documented and none that is not one, a Returns section where a value is
# returned. A fault fails the build. (kesp_pydoc checks the parameters of
# the pybind11 classes and functions, whose signatures numpydoc cannot read.)
numpydoc_validation_checks = {"GL08", "SS01", "SS03", "SS06", "PR01", "PR02", "PR07", "RT01"}

# Notebooks are shown with the outputs they were saved with.
nbsphinx_execute = "never"
nbsphinx_requirejs_path = ""
nbsphinx_widgets_path = ""

# The generated references cite types of Python's and of the libraries'
# that this site does not document; cross-references to them are left as
# text (no intersphinx: the build is offline).
nitpicky = True
nitpick_ignore_regex = [
    ("py:class", r"(numpy|np|pandas|pd|matplotlib|collections|typing|os|pathlib)\..*"),
    ("py:class", r"(optional|callable|sequence|iterable|mapping|array-like|default .*)"),
    ("py:class", r"kesp\.(\w+\.)*_\w+(\.\w+)*"),
    ("py:class", r"(pybind11_builtins\..*|Figure|Axes)"),
    ("cpp:identifier", r"std(::.*)?"),
    ("cpp:identifier", r"(size_t|uint64_t|int64_t|uint32_t)"),
    # The state of a run in progress, which no public header declares.
    ("cpp:identifier", "RunState"),
    # The namespace of every declaration, which is not a declaration itself.
    ("cpp:identifier", "kesp"),
    ("cpp:identifier", "detail"),
    # Its internal helpers, named in the public templates that use them.
    ("cpp:identifier", r"detail::\w+"),
]

html_theme = "furo"
html_title = f"KESP {release}"
html_static_path = ["_static"]
html_show_sourcelink = False
html_copy_source = False
