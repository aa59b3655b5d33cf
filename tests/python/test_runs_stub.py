"""The stub editors read (_core.pyi) names what the compiled module holds,
and the package tells a user what to pass."""

from __future__ import annotations

import ast
import inspect
import os
from pathlib import Path

import kesp
from kesp import _core

STUB = Path(os.environ["KESP_SOURCE_DIR"]) / "python" / "kesp" / "_core.pyi"


def stub_names() -> dict[str, set[str] | None]:
    """Top-level names of the stub; for a class, the set of its public members."""
    names: dict[str, set[str] | None] = {}
    for node in ast.parse(STUB.read_text()).body:
        if isinstance(node, ast.ClassDef):
            members = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
            members |= {n.target.id for n in node.body if isinstance(n, ast.AnnAssign)}
            names[node.name] = {m for m in members if not m.startswith("_")}
        elif isinstance(node, ast.FunctionDef):
            names[node.name] = None
        elif isinstance(node, ast.AnnAssign):
            names[node.target.id] = None
    return names


def public(names) -> set[str]:
    return {n for n in names if not n.startswith("_")} | ({"__version__"} if "__version__" in names else set())


def test_the_stub_names_everything_the_module_holds_and_nothing_else():
    stub = stub_names()
    assert set(stub) == public(dir(_core))
    for name, members in stub.items():
        if members is not None:
            assert members == public(dir(getattr(_core, name))), name


def test_help_tells_what_to_pass():
    text = inspect.getdoc(kesp.run)
    for argument in ("Settings", "cells", "oxygen_percent", "threads", "progress", "KeyboardInterrupt"):
        assert argument in text
    assert "nucleus_diameter_um" in inspect.getdoc(kesp.Settings)
    assert (Path(kesp.__file__).parent / "py.typed").exists()
    assert set(kesp.__all__) <= set(dir(kesp))
