"""The names the package gave some quantities before it took the canonical
ones of docs/quantities.md: still understood, with a DeprecationWarning, so
that scripts written for them keep working.
"""

from __future__ import annotations

import warnings
from typing import Any

import pandas as pd

__all__ = ["RENAMED", "canonical", "NamedValues", "NamedFrame", "renamed_columns"]

#: Old name -> canonical name.
RENAMED: dict[str, str] = {
    "energy_mev": "kinetic_energy_mev",
    "energy_mev_per_u": "kinetic_energy_per_nucleon_mev",
    "cells": "cells_simulated",
}


def canonical(name: Any, *, stacklevel: int = 3) -> Any:
    """The canonical name of an old one (with a DeprecationWarning); any other key as it is."""
    if isinstance(name, str) and name in RENAMED:
        warnings.warn(f"{name!r} is now called {RENAMED[name]!r}", DeprecationWarning, stacklevel=stacklevel)
        return RENAMED[name]
    return name


class NamedValues(dict):  # type: ignore[type-arg]
    """A dict of quantities by canonical name that also answers to the old names."""

    def __getitem__(self, key: Any) -> Any:
        if key not in self.keys():
            key = canonical(key)
        return super().__getitem__(key)

    def __contains__(self, key: object) -> bool:
        return super().__contains__(key) or (isinstance(key, str) and RENAMED.get(key) in self.keys())

    def get(self, key: Any, default: Any = None) -> Any:
        return self[key] if key in self else default


class NamedFrame(pd.DataFrame):
    """A DataFrame that answers to the old names of its columns too.

    A DataFrame whose columns have canonical names and that also answers
    to the old ones, alone or in a list.
    """

    @property
    def _constructor(self) -> type[NamedFrame]:
        return NamedFrame

    def _canonical(self, key: Any) -> Any:
        if isinstance(key, str) and key not in self.columns:
            return canonical(key, stacklevel=4)
        if isinstance(key, list) and all(isinstance(k, str) for k in key):
            return [k if k in self.columns else canonical(k, stacklevel=4) for k in key]
        return key

    def __getitem__(self, key: Any) -> Any:
        return super().__getitem__(self._canonical(key))

    def __getattr__(self, name: str) -> Any:
        if name in RENAMED and name not in self.columns and RENAMED[name] in self.columns:
            return self[canonical(name)]
        return super().__getattr__(name)


def renamed_columns(frame: pd.DataFrame) -> pd.DataFrame:
    """The frame with its old column names made canonical (with a DeprecationWarning)."""
    old = [c for c in frame.columns if c in RENAMED and RENAMED[c] not in frame.columns]
    for name in old:
        canonical(name, stacklevel=5)  # the caller of kesp.mixed_field or kesp.dose_weights
    return frame.rename(columns={name: RENAMED[name] for name in old}) if old else frame
