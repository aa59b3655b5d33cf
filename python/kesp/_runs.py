"""Settings, radiation fields, runs and their results."""

from __future__ import annotations

import os
import warnings
from collections.abc import Callable, Sequence
from typing import Any, Union

from kesp import _core
from kesp._errors import InputError, InputWarning, KespError, RunError
from kesp._fields import Field, dose_weights, field_from_fluence, mixed_field, particle, read_field_file
from kesp._inputs import Diagnostic, DmsoModel, OxygenModel, Settings, read_input
from kesp._results import CATEGORIES, COMPLEXITY_CLASSES, ClusterYield, Estimate, Results
from kesp.survival import CellLine, SurvivalModel, survival_model_of

__all__ = [
    "run", "Results", "Estimate", "ClusterYield", "CATEGORIES", "COMPLEXITY_CLASSES",
    "Settings", "OxygenModel", "DmsoModel", "Diagnostic", "read_input",
    "Field", "particle", "mixed_field", "read_field_file", "dose_weights", "field_from_fluence",
    "KespError", "InputError", "RunError", "InputWarning",
]

Progress = Union[bool, Callable[[int], None]]


def run(settings: Settings | Field | str | os.PathLike[str] | None = None, *, progress: Progress = True,
        threads: int | None = None, strict: bool = False, survival: CellLine | SurvivalModel | None = None,
        **settings_arguments: Any) -> Results:
    """Simulate the cells of a run and return its ``kesp.Results``.

    Settings made in code are checked as ``kesp`` checks an input file: each
    warning is issued with ``warnings.warn(..., kesp.InputWarning)``
    (settings read with ``kesp.read_input`` were warned of when read), and
    every diagnostic is kept in the results' ``diagnostics``. The GIL is
    released while the cells are simulated, so runs on several Python
    threads go on side by side.

    Parameters
    ----------
    settings : kesp.Settings, kesp.Field, str, os.PathLike or None
        The settings, one of four ways: a ``kesp.Settings``; a field, with
        the other arguments of ``kesp.Settings`` in ``settings_arguments``
        (``kesp.run(kesp.particle("p", 10.0), cells=1000, oxygen_percent=21.0)``);
        the path of an input file (read with ``kesp.read_input``); or None,
        and the arguments of ``kesp.Settings`` instead
        (``kesp.run(field=kesp.particle("p", 10.0), cells=1000)``).
    progress : bool or callable
        True shows a tqdm progress bar (the notebook form in Jupyter), False
        nothing; a function is called with the cells done.
    threads : int or None
        Threads for the cells (0: the CPUs the process may use; None: that
        of the settings); the results are the same on any number.
    strict : bool
        Refuse settings with warnings, as ``kesp /strict`` refuses them.
    survival : kesp.survival.CellLine, kesp.survival.SurvivalModel or None
        Asks for the run's cell survival: a cell line, or the
        ``SurvivalModel`` of its ``model()`` with a reference run under the
        run's conditions and the doses and levels of the RBE. The results
        then carry it (``results.survival``) and their document a
        "survival" section.
    **settings_arguments
        The arguments of ``kesp.Settings`` (cells; seed; oxygen_percent in
        percent O2; dna_content_gbp; nucleus_diameter_um;
        dmso=kesp.DmsoModel(...); oxygen_model=kesp.OxygenModel(...);
        oxygen_effect, zeb_dependent_oxygen and masses_2006 as booleans).

    Returns
    -------
    kesp.Results
        The run's results.

    Raises
    ------
    kesp.InputError
        Settings that cannot be used; with ``strict=True``, settings with
        warnings (kind ``"refused"``, carrying the diagnostics); settings
        under other conditions than the survival model's reference run.
        Each before any cell is simulated.
    kesp.RunError
        A run that stops with an error.
    KeyboardInterrupt
        Ctrl-C, after the current cell.
    """
    chosen = _settings_of(settings, settings_arguments, strict)
    if threads is not None:
        chosen.threads = threads
    model = None if survival is None else survival_model_of(survival)
    if model is not None:
        model.check_conditions(chosen)
    core_model = None if model is None else model._core
    checked = _check_outcome(warn=chosen.input_file is None)
    if progress is True:
        return Results(_run_with_bar(chosen, strict, checked, core_model))
    return Results(_core.simulate(chosen, progress or None, strict, checked, core_model))


def _check_outcome(*, warn: bool) -> Callable[[Sequence[Diagnostic], str | None], None]:
    """What the engine calls once the settings are checked.

    Before the run:
    raises the refusal of ``strict`` or issues the warnings.
    """
    def checked(diagnostics: Sequence[Diagnostic], refusal: str | None) -> None:
        if refusal is not None:
            raise InputError(refusal, kind="refused", diagnostics=diagnostics)
        if warn:
            for diagnostic in diagnostics:
                if diagnostic.severity != "note":
                    warnings.warn(str(diagnostic), InputWarning, stacklevel=_caller_level())
    return checked


def _caller_level() -> int:
    """The stack level of the first frame outside the package, for warnings."""
    import sys

    frame = sys._getframe(1)
    level = 1
    package = os.path.dirname(__file__)
    while frame is not None and os.path.dirname(frame.f_code.co_filename) == package:
        frame = frame.f_back
        level += 1
    return level


def _settings_of(settings: Settings | Field | str | os.PathLike[str] | None,
                 arguments: dict[str, Any], strict: bool) -> Settings:
    """A copy of the settings the caller gave, in whichever way."""
    if settings is None:
        return Settings(**arguments)
    if isinstance(settings, Field):
        return Settings(settings, **arguments)
    if arguments:
        raise TypeError("give either settings or the arguments of kesp.Settings, not both")
    if isinstance(settings, Settings):
        return settings.__copy__()
    return read_input(settings, strict=strict)


def _run_with_bar(settings: Settings, strict: bool, checked: Callable[[Sequence[Diagnostic], str | None], None],
                  survival: _core.SurvivalModel | None) -> _core.RunResults:
    """The run with a tqdm bar of its cells."""
    from tqdm.auto import tqdm

    with tqdm(total=settings.cells, unit="cell", desc="kesp") as bar:
        def advance(cells: int) -> None:
            if cells > bar.n:
                bar.update(cells - bar.n)

        results = _core.simulate(settings, advance, strict, checked, survival)
        advance(results.cells_simulated)
    return results
