"""Settings of a run: built in code or read from an input file."""

from __future__ import annotations

import hashlib
import os
import warnings
from collections.abc import Iterable

from kesp import _core
from kesp._core import Diagnostic, DmsoModel, OxygenModel, Settings
from kesp._errors import InputError, InputWarning, RunError

__all__ = ["Settings", "OxygenModel", "DmsoModel", "Diagnostic", "read_input"]


def read_input(path: str | os.PathLike[str], *, switches: Iterable[str] = (), strict: bool = False) -> Settings:
    """The settings of an input file (with the field file it names), as ``kesp`` reads it.

    Every diagnostic of the reader is kept in ``settings.diagnostics``
    (``kesp.Diagnostic``: file, line, severity, block, message; ``str()``
    gives the line ``kesp`` writes on standard error). Its warnings are also
    raised as Python warnings of category ``kesp.InputWarning``.

    Parameters
    ----------
    path : str or os.PathLike
        The input file. It holds at most 4 MiB (4194304 bytes) and 10000
        lines; a larger one is refused without being read.
    switches : iterable of str
        The words ``kesp`` takes on its command line for the reading:
        ``"/no2"`` (no oxygen effect), ``"/nq"`` (oxygen factor M0 for every
        (Zeff/beta)^2) and ``"/2006"`` (the older mass constants, without the
        oxygen effect).
    strict : bool
        Refuse an input with warnings, as ``kesp /strict`` refuses the run.

    Returns
    -------
    kesp.Settings
        The settings, naming the input file, its SHA-256 and the switches.

    Raises
    ------
    kesp.InputError
        When the file is missing or not readable (of kind ``"io"``), too
        large, or it or a field file it names is broken; with
        ``strict=True``, when it holds warnings (kind ``"refused"``,
        carrying all of them).

    Examples
    --------
    >>> settings = kesp.read_input("examples/proton10MeV.inp")
    >>> settings.cells
    200
    """
    name = os.fspath(path)
    try:
        settings = _core.read_input_file(name, list(switches))
        with open(name, "rb") as input_file:
            settings.input_sha256 = hashlib.sha256(input_file.read()).hexdigest()
    except RunError as error:
        if isinstance(error, InputError) or error.kind != "io":
            raise
        raise InputError(str(error), kind="io", detail=error.detail) from None
    except OSError as error:
        # The file went away or became unreadable between the reading and the hashing.
        raise InputError(f"Input file {name} is not a readable file: {error.strerror}", kind="io") from None
    flagged = [d for d in settings.diagnostics if d.severity != "note"]
    if strict and flagged:
        raise InputError(f"Input file {name} refused: strict is given and the input holds warnings",
                         kind="refused", diagnostics=settings.diagnostics)
    for diagnostic in flagged:
        warnings.warn(str(diagnostic), InputWarning, stacklevel=2)
    return settings
