"""Radiation fields: one particle, weighted components, field files and
fluence spectra turned into dose weights.
"""

from __future__ import annotations

import math
import os
import warnings
from collections.abc import Iterable
from typing import Any, Union

import pandas as pd

from kesp import _core
from kesp._core import Field
from kesp._errors import InputError, InputWarning
from kesp._names import NamedFrame, canonical, renamed_columns

__all__ = ["Field", "particle", "mixed_field", "read_field_file", "dose_weights", "field_from_fluence"]

Components = Union[Iterable[tuple[str, float, float]], pd.DataFrame]


def particle(name: str, kinetic_energy_mev: float | None = None, *,
             kinetic_energy_per_nucleon_mev: float | None = None, masses_2006: bool = False,
             energy_mev: float | None = None, energy_mev_per_u: float | None = None) -> Field:
    """One particle type, named as an input file names it ("e", "p", "4He", "12C").

    Give the kinetic energy either of the whole particle or per nucleon.

    Parameters
    ----------
    name : str
        The particle, as in an input file's ``RADX: PAR=``.
    kinetic_energy_mev : float, optional
        Kinetic energy of the whole particle, MeV (the input file's ``KE=``).
    kinetic_energy_per_nucleon_mev : float, optional
        Kinetic energy per nucleon, MeV/u (the input file's ``MEV/A=``):
        multiplied by the particle's mass number.
    masses_2006 : bool
        Take that mass number from the older mass constants.
    energy_mev : float, optional
        The old name of ``kinetic_energy_mev``, deprecated.
    energy_mev_per_u : float, optional
        The old name of ``kinetic_energy_per_nucleon_mev``, deprecated.

    Returns
    -------
    kesp.Field
        A field of the one particle.

    Raises
    ------
    kesp.InputError
        For a name the run would simulate as another particle than it says,
        with the words of the input file's warning: unknown names, names
        without a mass number other than "e", "e-" and "p" ("Pb" would be
        the proton, "Eu" and "E" the electron, "P" could be phosphorus),
        element letters that are ignored ("12Cxx").
    TypeError
        When both kinetic energies or neither are given.
    ValueError
        For an energy per nucleon of a particle without a mass number.

    Examples
    --------
    >>> kesp.particle("12C", kinetic_energy_per_nucleon_mev=10.0).components[0].kinetic_energy_mev
    120.0
    """
    if energy_mev is not None:
        kinetic_energy_mev = _old_argument("energy_mev", energy_mev, kinetic_energy_mev)
    if energy_mev_per_u is not None:
        kinetic_energy_per_nucleon_mev = _old_argument("energy_mev_per_u", energy_mev_per_u,
                                                       kinetic_energy_per_nucleon_mev)
    if (kinetic_energy_mev is None) == (kinetic_energy_per_nucleon_mev is None):
        raise TypeError("give either kinetic_energy_mev or kinetic_energy_per_nucleon_mev")
    if kinetic_energy_per_nucleon_mev is not None:
        mass_number = _core.mass_number(name, masses_2006)
        if mass_number == 0:
            raise ValueError(f"particle {name!r} has no mass number: give kinetic_energy_mev")
        kinetic_energy_mev = kinetic_energy_per_nucleon_mev * mass_number
    return Field.particle(name, float(kinetic_energy_mev))


def _old_argument(old: str, value: float, new_value: float | None) -> float:
    """The value of a keyword given by its old name (with a DeprecationWarning)."""
    new = canonical(old, stacklevel=4)
    if new_value is not None:
        raise TypeError(f"give {new} only (not also {old}, its old name)")
    return value


def _rows(components: Any, columns: tuple[str, str, str]) -> list[tuple[str, float, float]]:
    """(particle, energy in MeV, third column) rows of a list or a DataFrame."""
    if isinstance(components, pd.DataFrame):
        components = renamed_columns(components)
        missing = [c for c in columns if c not in components.columns]
        if missing:
            raise ValueError(f"the DataFrame lacks the columns {missing} (it needs {list(columns)})")
        frame = components[list(columns)]
        return [(str(p), float(e), float(x)) for p, e, x in frame.itertuples(index=False)]
    return [(str(p), float(e), float(x)) for p, e, x in components]


def mixed_field(components: Components) -> Field:
    """A field of weighted components, in order.

    Parameters
    ----------
    components : sequence of (str, float, float) or pandas.DataFrame
        (particle, kinetic energy in MeV, weight) rows, or a DataFrame with
        the columns ``particle``, ``kinetic_energy_mev`` and ``weight``. A
        weight is the component's share of the absorbed dose; weights are
        normalised to a sum of 1.

    Returns
    -------
    kesp.Field
        The mixed field.

    Raises
    ------
    kesp.InputError
        For a particle name held to what it says as in ``particle`` (the
        message names the component: "component 2: ...").

    Examples
    --------
    >>> field = kesp.mixed_field([("p", 10.0, 0.7), ("4He", 40.0, 0.3)])
    >>> len(field)
    2
    """
    return Field(_rows(components, ("particle", "kinetic_energy_mev", "weight")))


def read_field_file(path: str | os.PathLike[str], *, masses_2006: bool = False) -> Field:
    """The field of a field file, as ``kesp`` reads it.

    A field file holds a title line, the number of components and records
    "name, kinetic energy in MeV, weight". What the reader did not take as
    written arrives as ``kesp.InputWarning``.

    Parameters
    ----------
    path : str or os.PathLike
        The field file.
    masses_2006 : bool
        Read energies per nucleon with the older mass constants.

    Returns
    -------
    kesp.Field
        The field, naming its file.

    Raises
    ------
    kesp.InputError
        When the file is missing, unreadable or broken.
    """
    field, diagnostics = _core.read_field_file(os.fspath(path), masses_2006)
    for diagnostic in diagnostics:
        if diagnostic.severity != "note":
            warnings.warn(str(diagnostic), InputWarning, stacklevel=2)
    return field


def dose_weights(components: Components, *, nucleus_diameter_um: float = 5.0, masses_2006: bool = False,
                 threads: int = 0) -> pd.DataFrame:
    """The dose weights of a spectrum given as fluence.

    Each component's dose per unit fluence (nGy cm^2) is the one a run works
    out (the DPUF column of the report's mixed-field table); its dose weight
    is fluence x DPUF over the sum of these.

    Parameters
    ----------
    components : sequence of (str, float, float) or pandas.DataFrame
        (particle, kinetic energy in MeV, fluence in cm^-2) rows, or a
        DataFrame with the columns ``particle``, ``kinetic_energy_mev`` and
        ``fluence_per_cm2``.
    nucleus_diameter_um : float
        Diameter of the nucleus of the run the weights are for, um: the
        dose per unit fluence is worked out at the entry into it.
    masses_2006 : bool
        The older mass constants, as for that run.
    threads : int
        Threads for the components; 0 takes the CPUs the process may use.

    Returns
    -------
    pandas.DataFrame
        The columns particle, kinetic_energy_mev, fluence_per_cm2,
        dose_per_fluence_ngy_cm2, dose_ngy and weight.

    Raises
    ------
    kesp.InputError
        When the spectrum gives no dose to weigh by (every fluence 0).
    KeyboardInterrupt
        Ctrl-C, which stops the work between components.
    """
    rows = _rows(components, ("particle", "kinetic_energy_mev", "fluence_per_cm2"))
    frame = NamedFrame(rows, columns=["particle", "kinetic_energy_mev", "fluence_per_cm2"])
    frame["dose_per_fluence_ngy_cm2"] = _core.dose_per_fluence(
        [(p, e) for p, e, _ in rows], nucleus_diameter_um, masses_2006, threads)
    frame["dose_ngy"] = frame["fluence_per_cm2"] * frame["dose_per_fluence_ngy_cm2"]
    total_ngy = float(frame["dose_ngy"].sum())
    if not (total_ngy > 0.0 and math.isfinite(total_ngy)):
        raise InputError(f"The fluence spectrum gives no dose to weigh its {len(rows)} components by: fluence x "
                         f"dose per fluence adds up to {total_ngy:g} nGy; give at least one component a fluence "
                         "above 0 cm^-2")
    frame["weight"] = frame["dose_ngy"] / total_ngy
    return frame


def field_from_fluence(components: Components, *, nucleus_diameter_um: float = 5.0, masses_2006: bool = False,
                       threads: int = 0) -> Field:
    """A mixed field from a fluence spectrum, weighted by dose (see ``dose_weights``).

    Parameters
    ----------
    components : sequence of (str, float, float) or pandas.DataFrame
        (particle, kinetic energy in MeV, fluence in cm^-2) rows, or a
        DataFrame with the columns ``particle``, ``kinetic_energy_mev`` and
        ``fluence_per_cm2``.
    nucleus_diameter_um : float
        Diameter of the nucleus of the run the field is for, um: the dose
        per unit fluence is worked out at the entry into it.
    masses_2006 : bool
        The older mass constants, as for that run.
    threads : int
        Threads for the components; 0 takes the CPUs the process may use.

    Returns
    -------
    kesp.Field
        The field, its weights the components' shares of the dose.

    Raises
    ------
    kesp.InputError
        When every fluence is 0.
    KeyboardInterrupt
        Ctrl-C, within a second.
    """
    frame = dose_weights(components, nucleus_diameter_um=nucleus_diameter_um, masses_2006=masses_2006,
                         threads=threads)
    return mixed_field(frame[["particle", "kinetic_energy_mev", "weight"]])
