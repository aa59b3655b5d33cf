"""Every public function and class of the Python package is in the site's
Python reference, and so is every public method and property of those classes.

Usage: pythonReferenceTest.py PYTHON_PAGE   (with the package on PYTHONPATH)
"""

import importlib
import inspect
import sys
from pathlib import Path

from siteHtml import ids_of

MODULES = ("kesp", "kesp.survival", "kesp.plot")


def public_names(module_name: str) -> list:
    """The documented names of a module: its functions and classes, and their own public members."""
    module = importlib.import_module(module_name)
    names = []
    for name in getattr(module, "__all__", [n for n in vars(module) if not n.startswith("_")]):
        value = getattr(module, name)
        if not (inspect.isclass(value) or callable(value)):
            continue
        names.append(f"{module_name}.{name}")
        if inspect.isclass(value) and not issubclass(value, BaseException):
            names += [f"{module_name}.{name}.{member}" for member in vars(value)
                      if not member.startswith("_") and not inspect.isclass(vars(value)[member])]
    return names


def main(page: str) -> int:
    anchors = ids_of(Path(page))
    names = [name for module in MODULES for name in public_names(module)]
    missing = [name for name in names if name not in anchors]
    for name in missing:
        print(f"not in the Python reference: {name}")
    print(f"{len(names) - len(missing)} of {len(names)} public functions, classes and members in {page}")
    return 1 if missing or not names else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
