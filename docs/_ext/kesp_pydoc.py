"""The docstrings of the Python package, as autodoc hands them over.

- A public object without a docstring draws a warning, which the build
  (sphinx-build -W) turns into an error. The site asks autodoc for
  undocumented members too, so that every public one comes here.
- An overloaded function of kesp._core (pybind11) is shown as one
  numpydoc docstring: the summary of its first form, the list of its
  forms ("1. particle(name: str, *, energy_mev: float)" as code, each with
  its own one-line text after the first), then the sections of the first
  form's docstring, which documents the parameters of them all.
- numpydoc's validation (numpydoc_validation_checks) reads a function's
  parameters from its signature, which a pybind11 function or class does
  not have: it would take every documented parameter for an unknown one.
  Those objects are left out of its validation here, and their parameters
  are checked instead against the signatures pybind11 writes into their
  docstrings: each parameter documented, none documented that is not one.

All of this runs before numpydoc rewrites the docstring.
"""

import importlib
import inspect
import re

from numpydoc.docscrape import NumpyDocString
from sphinx.util import logging

logger = logging.getLogger(__name__)

OVERLOAD = re.compile(r"^(\s*\d+\. )(\w+\(.*\).*)$")
SIGNATURE = re.compile(r"^(?:\s*\d+\. )?(\w+)\((.*)\)(?: -> .*)?$")
PACKAGES = ("kesp", "kesp.survival", "kesp.plot")


def is_public(name: str) -> bool:
    """Whether no part of the dotted ``name`` is private (a single leading underscore)."""
    return not any(part.startswith("_") and not part.startswith("__") for part in name.split("."))


def check_docstring(app, what, name, obj, options, lines):
    """Warn when the public object ``name`` has an empty docstring."""
    if is_public(name) and not any(line.strip() for line in lines):
        logger.warning("the public %s %s has no docstring: document it (numpydoc style)", what, name,
                       type="kesp", subtype="undocumented")


def split_forms(lines: list) -> list:
    """(signature, docstring lines) of each form of an overloaded pybind11 docstring."""
    forms = []
    for line in lines[1:]:
        match = OVERLOAD.match(line)
        if match:
            forms.append((match.group(2), []))
        elif forms:
            forms[-1][1].append(line)
    return [(signature, "\n".join(text).strip().split("\n")) for signature, text in forms]


def overloads_as_one(app, what, name, obj, options, lines):
    """Rewrite an overloaded pybind11 docstring as one numpydoc docstring."""
    if not lines or lines[0].strip() != "Overloaded function.":
        return
    forms = split_forms(lines)
    first = forms[0][1]
    end = first.index("") if "" in first else len(first)
    summary, rest = first[:end], first[end:]
    listed = [f"{index}. ``{signature}``" + (f": {' '.join(text).strip()}" if index > 1 and any(text) else "")
              for index, (signature, text) in enumerate(forms, start=1)]
    lines[:] = [*summary, "", "Its forms:", "", *listed, *rest]


def parameter_names(argument_text: str) -> list:
    """The parameter names of a pybind11 signature's arguments, without self, * and /."""
    names, depth, current = [], 0, ""
    for character in argument_text + ",":
        if character in "([{":
            depth += 1
        elif character in ")]}":
            depth -= 1
        if character == "," and depth == 0:
            name = current.split(":")[0].split("=")[0].strip()
            if name and name not in ("self", "*", "/") and not name.startswith("*"):
                names.append(name)
            current = ""
        else:
            current += character
    return names


def pybind11_parameters(obj) -> set:
    """Every parameter of every form of a pybind11 function (or of a class's __init__)."""
    function = obj.__init__ if inspect.isclass(obj) else obj
    names = set()
    for line in (function.__doc__ or "").split("\n"):
        match = SIGNATURE.match(line)
        if match and match.group(2) != "*args, **kwargs":
            names.update(parameter_names(match.group(2)))
    return names


def is_pybind11(obj) -> bool:
    return type(obj).__name__ == "pybind11_type" or inspect.isbuiltin(obj)


def check_pybind11_parameters(app, what, name, obj, options, lines):
    """Warn of an undocumented or unknown parameter of a public pybind11 function or class."""
    if not (is_public(name) and what in ("class", "function", "method") and is_pybind11(obj)):
        return
    documented = {part.strip() for parameter in NumpyDocString("\n".join(lines))["Parameters"]
                  for part in parameter.name.split(",")}
    actual = pybind11_parameters(obj)
    for missing in sorted(actual - documented):
        logger.warning("the %s %s does not document its parameter %s (numpydoc Parameters)", what, name, missing,
                       type="kesp", subtype="undocumented")
    for unknown in sorted(documented - actual):
        logger.warning("the %s %s documents %s, which is not one of its parameters", what, name, unknown,
                       type="kesp", subtype="undocumented")


def pybind11_names() -> set:
    """The dotted names of the public pybind11 classes and functions of the package."""
    names = set()
    for package in PACKAGES:
        module = importlib.import_module(package)
        for key in getattr(module, "__all__", []):
            value = getattr(module, key)
            if is_pybind11(value):
                names.add(f"{package}.{key}")
            if inspect.isclass(value):
                names.update(f"{package}.{key}.{member}" for member, child in vars(value).items()
                             if not member.startswith("_") and is_pybind11(getattr(value, member)))
    return names


def leave_pybind11_to_us(app, config):
    """Leave the pybind11 objects out of numpydoc's validation (numpydoc reads the exclusions after us)."""
    if config.numpydoc_validation_checks:
        config.numpydoc_validation_exclude = set(config.numpydoc_validation_exclude) | {
            f"^{re.escape(name)}$" for name in pybind11_names()}


def setup(app):
    app.connect("autodoc-process-docstring", check_docstring, priority=100)
    app.connect("autodoc-process-docstring", overloads_as_one, priority=110)
    app.connect("autodoc-process-docstring", check_pybind11_parameters, priority=120)
    app.connect("config-inited", leave_pybind11_to_us, priority=400)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
