"""Scans: many configurations run as kesp-scan runs them, as one table."""

from __future__ import annotations

import io
import json
import os
import tempfile
import warnings
from collections.abc import Mapping
from pathlib import Path
from typing import Any, Optional, Union

import pandas

from kesp import _core
from kesp._errors import InputWarning, KespError

__all__ = ["scan"]

# The name a scan given as a dict goes by in messages.
_DICT_SCAN_NAME = "scan dict"

ScanSource = Union[str, os.PathLike, Mapping[str, Any]]


def scan(
    scan: ScanSource,
    *,
    jobs: Optional[int] = None,
    progress: bool = True,
    physics_only: bool = False,
    lenient: bool = False,
) -> pandas.DataFrame:
    """Run a scan and return its table, the one kesp-scan writes as CSV.

    Parameters
    ----------
    scan : str, os.PathLike or dict
        The path of a YAML scan file, or a dict of the same shape
        (``{"title": ..., "cells": 1000, "vary": {"PAR": ["p", "12C"]}, ...}``).
        A field file (FN) in a dict is found from the current folder; in a
        file, from the file's folder. A refusal of a dict names the line of
        ``json.dumps(scan, indent=2)``.
    jobs : int or None
        Configurations run at once; by default as many as the CPUs this
        process may run on. Each configuration's cells run on one thread.
    progress : bool
        Show a progress bar (configurations done, cells per second) while
        the scan runs.
    physics_only : bool
        Skip the simulation: only the physics and damage-model columns
        (kesp-scan --physics-only).
    lenient : bool
        Run configurations whose input draws warnings from kesp as kesp
        would run them, each warning given as a ``kesp.InputWarning``
        (kesp-scan --lenient).

    Returns
    -------
    pandas.DataFrame
        One row per configuration, in scan order, with kesp-scan's columns
        and values (yields per cell per Gy and per Gy per Gbp, LET in
        keV/um, energies in MeV); empty cells are NaN. ``attrs["title"]``
        holds the scan's title.

    Raises
    ------
    kesp.InputError
        The scan is refused before anything runs; the message names the
        place and the problem.
    kesp.RunError
        A run stopped.
    ValueError
        ``jobs`` below 1.
    KeyboardInterrupt
        Ctrl-C, once the configurations under way are done; no further one
        starts.
    """
    if jobs is not None and jobs < 1:
        raise ValueError(f"jobs: give at least 1 configuration at a time, not {jobs}")
    if isinstance(scan, Mapping):
        with tempfile.TemporaryDirectory(prefix="kesp-scan-") as folder:
            path = Path(folder) / "scan.json"
            text = json.dumps(_with_field_files_found(scan), indent=2, default=_plain_value)
            path.write_text(text, encoding="utf-8")
            return _run(str(path), _DICT_SCAN_NAME, jobs, progress, physics_only, lenient)
    return _run(os.fspath(scan), None, jobs, progress, physics_only, lenient)


def _run(path: str, shown_as: Optional[str], jobs: Optional[int], progress: bool, physics_only: bool,
         lenient: bool) -> pandas.DataFrame:
    """Run the scan file; messages name it ``shown_as`` when given."""

    def named(message: str) -> str:
        return message.replace(path, shown_as) if shown_as else message

    bar = _ProgressBar() if progress else None
    try:
        table, title, lenient_warnings = _core.run_scan_table(
            path, jobs or 0, physics_only, lenient, bar.update if bar else None
        )
    except KespError as error:
        # Neither the message nor its further explanation names the temporary file.
        error.args = tuple(named(arg) if isinstance(arg, str) else arg for arg in error.args)
        error.detail = named(error.detail)
        raise
    finally:
        if bar:
            bar.close()
    for warning in lenient_warnings:
        warnings.warn(named(warning), InputWarning, stacklevel=3)
    # Round-trip parsing reads each number back to the very double written;
    # only an empty field is missing (NaN).
    frame = pandas.read_csv(io.StringIO(table), float_precision="round_trip", keep_default_na=False,
                            na_values=[""])
    frame.attrs["title"] = title
    return frame


def _plain_value(value: Any) -> Any:
    """A numpy array or number as the list or number it holds."""
    if hasattr(value, "tolist"):
        return value.tolist()
    raise TypeError(f"a scan holds numbers, names and lists of them, not {type(value).__name__}")


def _with_field_files_found(scan: Mapping[str, Any]) -> dict[str, Any]:
    """The scan with each relative field-file name (FN) made absolute from the current folder."""

    def found(name: Any) -> Any:
        return os.path.abspath(name) if isinstance(name, (str, os.PathLike)) else name

    def settings(items: Any) -> Any:
        if not isinstance(items, Mapping):
            return items
        return {
            key: ([found(v) for v in value] if isinstance(value, list) else found(value))
            if str(key).upper() == "FN" else value
            for key, value in items.items()
        }

    return {key: settings(value) if key in ("vary", "fixed", "reference") else value for key, value in scan.items()}


class _ProgressBar:
    """A tqdm bar over the scan's cells (or its configurations, without simulation)."""

    def __init__(self) -> None:
        self._bar: Any = None
        self._by_cells = False

    def update(self, rows_done: int, rows_total: int, cells_done: int, cells_total: int) -> None:
        if self._bar is None:
            from tqdm.auto import tqdm

            self._by_cells = cells_total > 0
            self._bar = tqdm(total=cells_total if self._by_cells else rows_total,
                             unit="cells" if self._by_cells else "configurations", unit_scale=self._by_cells,
                             desc="kesp.scan")
        if self._by_cells:
            self._bar.n = cells_done
            self._bar.set_postfix_str(f"{rows_done}/{rows_total} configurations", refresh=False)
        else:
            self._bar.n = rows_done
        self._bar.refresh()

    def close(self) -> None:
        if self._bar is not None:
            self._bar.close()
