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
    """Simulates the cells of a run and returns its ``kesp.Results``.

    Give the settings one of four ways:

    - a ``kesp.Settings``;
    - a field, with the other arguments of ``kesp.Settings``, for example
      ``kesp.run(kesp.particle("p", 10.0), cells=1000, oxygen_percent=21.0)``;
    - the path of an input file (read with ``kesp.read_input``);
    - nothing, and the arguments of ``kesp.Settings`` instead, for example
      ``kesp.run(field=kesp.particle("p", 10.0), cells=1000, oxygen_percent=21.0)``
      (cells; seed; oxygen_percent in percent O2; dna_content_gbp;
      nucleus_diameter_um; dmso=kesp.DmsoModel(concentration_mol_per_dm3=...);
      oxygen_model=kesp.OxygenModel(...); oxygen_effect, zeb_dependent_oxygen
      and masses_2006 as booleans).

    ``threads`` is the number of threads for the cells (0: the CPUs the
    process may use; the default: that of the settings); the results are the
    same on any number. ``progress`` shows a tqdm progress bar (the notebook
    form in Jupyter) when True, nothing when False, or calls a function with
    the cells done.

    Settings made in code are checked as ``kesp`` checks an input file:
    each warning is issued with ``warnings.warn(..., kesp.InputWarning)``
    (settings read with ``kesp.read_input`` were warned of when read), and
    every diagnostic is kept in the results' ``diagnostics``. With
    ``strict=True`` settings with warnings are refused, as ``kesp /strict``
    refuses them: ``kesp.InputError`` of kind ``"refused"``, carrying the
    diagnostics, is raised before any cell is simulated.

    The GIL is released while the cells are simulated, so runs on several
    Python threads go on side by side. Ctrl-C stops the run after its current
    cell and raises KeyboardInterrupt. Errors raise ``kesp.InputError``
    (settings that cannot be used) or ``kesp.RunError``.

    ``survival`` (a ``kesp.survival.CellLine``, or the ``SurvivalModel`` of
    its ``model()`` with a reference run under the run's conditions and the
    doses and levels of the RBE) asks for the run's cell survival: the
    results then carry it (``results.survival``) and their document a
    "survival" section. Settings under other conditions than the model's
    reference run raise ``kesp.InputError`` before any cell is simulated.
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
    """What the engine calls once the settings are checked, before the run:
    raises the refusal of ``strict`` or issues the warnings."""
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
