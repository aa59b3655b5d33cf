"""A run's results under the names of the science, as tables and as the
documents the ``kesp`` program writes.
"""

from __future__ import annotations

import json
from typing import TYPE_CHECKING, Any, NamedTuple

import pandas as pd

from kesp import _core
from kesp._names import NamedFrame, NamedValues

if TYPE_CHECKING:
    from kesp.survival import Survival

__all__ = ["Estimate", "ClusterYield", "Results", "CATEGORIES", "COMPLEXITY_CLASSES"]

#: The cluster categories of TABLES 2 to 6, in the order of their columns.
CATEGORIES: tuple[str, ...] = ("dsb", "ssb", "other", "all")
#: The complexity classes of TABLE 1, in its order.
COMPLEXITY_CLASSES: tuple[str, ...] = ("bd", "ssb", "ssb_plus", "two_ssb", "dsb", "dsb_plus", "dsb_plus_plus",
                                       "ssb_c", "ssb_cb", "dsb_c", "dsb_cb")

_TABLE_COLUMNS = ["table", "quantity", "unit", "row", "category", "mean", "sem"]


class Estimate(NamedTuple):
    """A mean with its standard error.

    Parameters
    ----------
    mean : float
        The mean over the cells.
    sem : float or None
        Its standard error; None from fewer than 2 cells.
    """

    mean: float
    sem: float | None


class ClusterYield(NamedTuple):
    """Clusters of one category per Gy.

    Parameters
    ----------
    per_cell_per_gy : Estimate
        Clusters per Gy in a cell of the run's DNA content.
    per_gy_per_gbp : Estimate
        The same divided by the DNA content in Gbp.
    """

    per_cell_per_gy: Estimate
    per_gy_per_gbp: Estimate


Estimate.mean.__doc__ = "The mean over the cells."
Estimate.sem.__doc__ = "Its standard error; None from fewer than 2 cells."
ClusterYield.per_cell_per_gy.__doc__ = "Clusters per Gy in a cell of the run's DNA content (an Estimate)."
ClusterYield.per_gy_per_gbp.__doc__ = "Clusters per Gy per Gbp of DNA (an Estimate)."


class Results:
    """The results of one run (what ``kesp.run`` returns).

    Cluster yields: ``dsb``, ``ssb``, ``other``, ``all`` (``ClusterYield``,
    None where no cell had such a cluster). Physics of the particle, or of a
    mixed field's average row: ``kinetic_energy_mev``,
    ``kinetic_energy_per_nucleon_mev``, ``let_kev_per_um``, ``csda_range_cm``,
    ``zeff_over_beta_squared``, ``dose_per_fluence_ngy_cm2``,
    ``yf_kev_per_um``, ``zf_gy`` (all of it in ``physics``). TABLE 1 as
    ``complexity`` (percent by class), TABLES 1 to 6 as ``tables``; a mixed
    field's components in ``components``; the cell survival asked for in
    ``survival``. ``report()``, ``to_dict()`` and
    ``to_json()`` give what ``kesp`` writes. Every name is the canonical one
    of docs/quantities.md; particle names are in canonical case ("12C").

    Parameters
    ----------
    core : kesp._core.RunResults
        The engine's results; ``kesp.run`` makes them, not the caller.

    Examples
    --------
    >>> results = kesp.run(kesp.particle("p", 10.0), cells=200, seed=12345, progress=False)
    >>> round(results.dsb.per_gy_per_gbp.mean, 1)
    9.4
    """

    def __init__(self, core: _core.RunResults) -> None:
        self._core = core

    def __repr__(self) -> str:
        dsb = self.dsb
        shown = "no DSB" if dsb is None else f"DSB {dsb.per_gy_per_gbp.mean:.4g} per Gy per Gbp"
        return f"<kesp.Results {self.cells_simulated} cells, {shown}>"

    # What was run.
    @property
    def settings(self) -> _core.Settings:
        """The settings of the run."""
        return self._core.settings

    @property
    def diagnostics(self) -> list[_core.Diagnostic]:
        """What the checks said of the settings, ``kesp.Diagnostic`` each.

        For settings read from a file, what the input reader said.
        """
        return self._core.settings.diagnostics

    @property
    def single_particle(self) -> bool:
        """True for one particle type, False for a mixed field."""
        return self._core.single_particle

    @property
    def cells_requested(self) -> int:
        """The cells the settings asked for."""
        return self._core.cells_requested

    @property
    def cells_simulated(self) -> int:
        """The cells the statistics are of."""
        return self._core.cells_simulated

    @property
    def interrupted(self) -> bool:
        """Whether the run stopped before all its cells."""
        return self._core.interrupted

    @property
    def seed(self) -> int:
        """The random number seed used (from the clock when 0 was asked for)."""
        return self._core.seed

    @property
    def running_minutes(self) -> float:
        """Wall-clock time of the run, minutes.

        Not the process's CPU time, which would count the runs going on beside
        it on other Python threads (``kesp`` reports the CPU time of its process,
        which runs one run).
        """
        return self._core.running_minutes

    # Cluster yields.
    def clusters(self, category: str) -> ClusterYield | None:
        """Clusters of a category per Gy.

        Parameters
        ----------
        category : str
            One of ``CATEGORIES``: "dsb", "ssb", "other" or "all".

        Returns
        -------
        ClusterYield or None
            Per cell per Gy and per Gy per Gbp; None where no cell had such a cluster.

        Raises
        ------
        ValueError
            For a category not in ``CATEGORIES``.
        """
        if category not in CATEGORIES:
            raise ValueError(f"no cluster category {category!r}: one of {CATEGORIES}")
        values = self._core.clusters(CATEGORIES.index(category) + 1)
        if values is None:
            return None
        cell_mean, cell_sem, gbp_mean, gbp_sem = values
        return ClusterYield(Estimate(cell_mean, cell_sem), Estimate(gbp_mean, gbp_sem))

    @property
    def dsb(self) -> ClusterYield | None:
        """DSB clusters per cell per Gy and per Gy per Gbp."""
        return self.clusters("dsb")

    @property
    def ssb(self) -> ClusterYield | None:
        """SSB clusters per cell per Gy and per Gy per Gbp."""
        return self.clusters("ssb")

    @property
    def other(self) -> ClusterYield | None:
        """Clusters that are neither SSB nor DSB per cell per Gy and per Gy per Gbp."""
        return self.clusters("other")

    @property
    def all(self) -> ClusterYield | None:
        """All clusters per cell per Gy and per Gy per Gbp."""
        return self.clusters("all")

    @property
    def complexity(self) -> dict[str, float]:
        """TABLE 1: percent of clusters by complexity class ("dsb_plus", "ssb_c" ...)."""
        return {key: percent for key, _, percent in self._core.complexity()}

    # Physics.
    @property
    def physics(self) -> dict[str, float]:
        """The particle's physics at the entry into the nucleus, or a mixed field's average row.

        The keys: kinetic_energy_mev, kinetic_energy_per_nucleon_mev (MeV; per u
        of its mass for the electron), let_kev_per_um (total stopping power), its
        electronic, nuclear and radiative parts (keV/um), csda_range_cm,
        zeff_over_beta_squared, dose_per_fluence_ngy_cm2, yf_kev_per_um, zf_gy.
        The old keys energy_mev and energy_mev_per_u still answer, deprecated.
        """
        if self.single_particle:
            return NamedValues(self._core.particle_quantities())
        average = self._core.field_average()
        return NamedValues({k: v for k, v in average.items()
                            if k not in ("particle", "weight", "dsb_hypoxia_reduction_factor", "cells_simulated")})

    @property
    def kinetic_energy_mev(self) -> float:
        """Kinetic energy of the whole particle (a mixed field: the weighted mean), MeV."""
        return self.physics["kinetic_energy_mev"]

    @property
    def kinetic_energy_per_nucleon_mev(self) -> float:
        """Kinetic energy per nucleon, MeV (per u of its mass for the electron)."""
        return self.physics["kinetic_energy_per_nucleon_mev"]

    @property
    def let_kev_per_um(self) -> float:
        """LET (total stopping power), keV/um."""
        return self.physics["let_kev_per_um"]

    @property
    def csda_range_cm(self) -> float:
        """CSDA range, cm."""
        return self.physics["csda_range_cm"]

    @property
    def zeff_over_beta_squared(self) -> float:
        """(Zeff/beta)^2, dimensionless."""
        return self.physics["zeff_over_beta_squared"]

    @property
    def dose_per_fluence_ngy_cm2(self) -> float:
        """Absorbed dose per unit fluence, nGy cm^2."""
        return self.physics["dose_per_fluence_ngy_cm2"]

    @property
    def yf_kev_per_um(self) -> float:
        """Frequency-mean lineal energy yF, keV/um."""
        return self.physics["yf_kev_per_um"]

    @property
    def zf_gy(self) -> float:
        """Frequency-mean specific energy zF, Gy."""
        return self.physics["zf_gy"]

    @property
    def components(self) -> pd.DataFrame:
        """A mixed field's components, one row each in order; empty for a single particle.

        The columns: the cells each got (``cells_simulated``; ``cells``, its old name, deprecated), the DSB
        hypoxia reduction factor and their physics (columns as in ``physics``).
        """
        return NamedFrame(self._core.components())

    # Cell survival.
    @property
    def survival(self) -> Survival | None:
        """The cell survival of the run, or None.

        A ``kesp.survival.Survival`` when ``kesp.run`` was given a survival
        model, else None. Reading it raises the model's ``kesp.InputError``
        when it could not judge the run (a component of a mixed field without
        a cell of its own, say).
        """
        from kesp.survival import Survival

        core = self._core.cell_survival()
        return None if core is None else Survival(core)

    # Tables and documents.
    @property
    def tables(self) -> dict[int, pd.DataFrame]:
        """TABLES 1 to 6 by number, each a tidy DataFrame.

        One row per entry, with the columns table, quantity, unit, row,
        category, mean, sem.

        TABLE 1 has a row per complexity class (row: its key as in
        ``complexity``, category: None, mean: percent, sem: NaN). TABLES 2 to 6 have the rows "1" to
        "50" (clusters of that many lesions) and "all" (the report's Total or
        Average) for each category; mean and sem are NaN where the report
        prints "---", sem also for runs of fewer than 2 cells.
        """
        first = pd.DataFrame(
            [(1, "percent_by_complexity", "%", key, None, percent, None)
             for key, _, percent in self._core.complexity()], columns=_TABLE_COLUMNS)
        rest = pd.DataFrame(self._core.table_entries(), columns=_TABLE_COLUMNS)
        tables = {1: first, **{n: frame.reset_index(drop=True) for n, frame in rest.groupby("table")}}
        for frame in tables.values():
            frame["mean"] = frame["mean"].astype(float)
            frame["sem"] = frame["sem"].astype(float)
        return tables

    def report(self) -> str:
        """The text ``kesp`` writes to its report file for these settings.

        Returns
        -------
        str
            The report; its running time is the wall-clock time of this run
            (``running_minutes``). Bytes of file names that are not UTF-8 are
            replaced by U+FFFD.
        """
        return self._core.report_text()

    def to_dict(self) -> dict[str, Any]:
        """The document ``kesp /json`` writes, as a dict.

        Its layout is docs/kesp-results.schema.json; it is closed by a
        "survival" section when the run was asked for its cell survival.
        ``input`` names the input file the settings were read from with its
        SHA-256; it is None for settings built in code, and for settings read
        from a file and then changed in code (other than their threads), which
        are no longer that file's; their ``switches`` are then empty too.
        ``switches`` are the switch words the input was read with. Bytes of
        file names that are not UTF-8 are replaced by U+FFFD, as ``kesp``
        writes them.

        Returns
        -------
        dict
            The document.
        """
        document = json.loads(self._core.json_document())
        if self.settings.input_file is None:
            document["input"] = None
        return document

    def to_json(self, indent: int | None = 2) -> str:
        """The document of ``to_dict()`` as JSON text.

        Parameters
        ----------
        indent : int or None
            Spaces per level of indentation; None writes one line.

        Returns
        -------
        str
            The JSON text.
        """
        return json.dumps(self.to_dict(), indent=indent)
