"""Cell survival from KESP runs: the linear-quadratic coefficients of cell
killing of a radiation, its RBE for cell killing against a reference
radiation and the OER for cell killing, each with its standard error.

A cell line's constants theta (per DSB) and kappa (per DSB^2) turn a run's
DSB yield per cell per Gy (Sigma) and the frequency-mean specific energy of
the nucleus (zF) into alpha (Gy^-1) and beta (Gy^-2) of
S(D) = exp(-alpha D - beta D^2); a mixed field mixes its components by their
dose fractions (Carlson et al., Radiat Res 169:447-459, 2008; Stewart et al.,
Med Phys 45:e925-e952, 2018). theta and kappa come from the measured alpha_R
and beta_R of a reference radiation and a run of it under the measurement's
conditions, or are given directly. Every number is worked out by the
library's survival layer (kesp._core)::

    reference = kesp.run(kesp.particle("e", 1.0), cells=200)
    cell = kesp.survival.CellLine(alpha_r_per_gy=0.2, beta_r_per_gy2=0.02, reference=reference)
    protons = cell.survival(kesp.run(kesp.particle("p", 2.0), cells=200))
    protons.alpha_per_gy, protons.rbe_at_survival(0.1)
"""

from __future__ import annotations

import math
import warnings
from collections.abc import Sequence
from typing import TYPE_CHECKING, Any, NamedTuple, Optional, Union

import numpy as np
import pandas as pd

from kesp import _core
from kesp._errors import InputError
from kesp._results import Estimate

if TYPE_CHECKING:
    from kesp._results import Results

__all__ = ["CellLine", "SurvivalModel", "Survival", "Coefficients", "scan_survival", "dsb_sources",
           "REFERENCE_DOSES_GY", "SURVIVAL_LEVELS"]

#: The reference doses (Gy) of the RBE asked for unless others are given.
REFERENCE_DOSES_GY: tuple[float, ...] = (2.0,)
#: The survival levels of the RBE asked for unless others are given.
SURVIVAL_LEVELS: tuple[float, ...] = (0.1,)

# The items of a scan that set the radiation rather than the conditions it is judged under.
_RADIATION_ITEMS = ("PAR", "KE", "MEV/A", "FN")
# The oxygen items of a scan, as the table names them.
_OXYGEN_ITEMS = ("PO2", "MMHG")


class Coefficients(NamedTuple):
    """alpha (Gy^-1) and beta (Gy^-2) of a radiation with their SEMs.

    Parameters
    ----------
    alpha_per_gy : float
        alpha, Gy^-1.
    alpha_per_gy_sem : float
        Its standard error, Gy^-1.
    beta_per_gy2 : float
        beta, Gy^-2.
    beta_per_gy2_sem : float
        Its standard error, Gy^-2.
    """

    alpha_per_gy: float
    alpha_per_gy_sem: float
    beta_per_gy2: float
    beta_per_gy2_sem: float


Coefficients.alpha_per_gy.__doc__ = "alpha, Gy^-1."
Coefficients.alpha_per_gy_sem.__doc__ = "Standard error of alpha, Gy^-1."
Coefficients.beta_per_gy2.__doc__ = "beta, Gy^-2."
Coefficients.beta_per_gy2_sem.__doc__ = "Standard error of beta, Gy^-2."


def _coefficients(core: _core.LinearQuadratic | None) -> Coefficients | None:
    if core is None:
        return None
    return Coefficients(core.alpha_per_gy, core.alpha_per_gy_sem, core.beta_per_gy2, core.beta_per_gy2_sem)


def _estimate(pair: tuple[float, float]) -> Estimate:
    return Estimate(*pair)


class _CellConstants:
    """theta and kappa of the cell line a core object of the survival layer holds."""

    _core: Any

    @property
    def theta_per_dsb(self) -> float:
        """theta of the cell line, per DSB."""
        return self._core.theta_per_dsb

    @property
    def kappa_per_dsb2(self) -> float:
        """kappa of the cell line, per DSB^2."""
        return self._core.kappa_per_dsb2


class Survival(_CellConstants):
    """What a survival model says of one run.

    Made by ``CellLine.survival``, or ``results.survival`` of a run asked for it.

    Attributes are floats: ``alpha_per_gy`` (Gy^-1) and ``beta_per_gy2``
    (Gy^-2) with ``alpha_per_gy_sem`` and ``beta_per_gy2_sem``; with a
    reference radiation ``rbe_low_dose`` (alpha / alpha_R) and
    ``rbe_high_dose`` (sqrt(beta / beta_R)) with their ``_sem``, None for a
    cell line given by theta and kappa. The SEMs are first-order, from the
    SEMs of the runs' DSB yields (the reference run's among them).

    Parameters
    ----------
    core : kesp._core.CellSurvival
        The library's survival of the run; made by the package, not the caller.
    """

    def __init__(self, core: _core.CellSurvival) -> None:
        self._core = core

    def __repr__(self) -> str:
        return (f"<kesp.survival.Survival alpha {self.alpha_per_gy:.4g} /Gy, "
                f"beta {self.beta_per_gy2:.4g} /Gy^2>")

    @property
    def coefficients(self) -> Coefficients:
        """alpha and beta of the radiation with their SEMs."""
        return _coefficients(self._core.coefficients)  # type: ignore[return-value]

    @property
    def reference(self) -> Coefficients | None:
        """alpha_R and beta_R of the reference radiation under the run's conditions, or None.

        Under the measurement's conditions, the measured ones.
        """
        return _coefficients(self._core.reference)

    @property
    def alpha_per_gy(self) -> float:
        """alpha, Gy^-1."""
        return self._core.coefficients.alpha_per_gy

    @property
    def alpha_per_gy_sem(self) -> float:
        """SEM of alpha, Gy^-1."""
        return self._core.coefficients.alpha_per_gy_sem

    @property
    def beta_per_gy2(self) -> float:
        """beta, Gy^-2."""
        return self._core.coefficients.beta_per_gy2

    @property
    def beta_per_gy2_sem(self) -> float:
        """SEM of beta, Gy^-2."""
        return self._core.coefficients.beta_per_gy2_sem

    @property
    def rbe_low_dose(self) -> float | None:
        """RBE for cell killing at low dose, alpha / alpha_R."""
        ratio = self._core.rbe_low_dose
        return None if ratio is None else ratio[0]

    @property
    def rbe_low_dose_sem(self) -> float | None:
        """SEM of ``rbe_low_dose``."""
        ratio = self._core.rbe_low_dose
        return None if ratio is None else ratio[1]

    @property
    def rbe_high_dose(self) -> float | None:
        """RBE for cell killing at high dose, sqrt(beta / beta_R)."""
        ratio = self._core.rbe_high_dose
        return None if ratio is None else ratio[0]

    @property
    def rbe_high_dose_sem(self) -> float | None:
        """SEM of ``rbe_high_dose``."""
        ratio = self._core.rbe_high_dose
        return None if ratio is None else ratio[1]

    def _reference(self) -> _core.LinearQuadratic:
        if self._core.reference is None:
            raise ValueError("a cell line given by theta and kappa has no reference radiation, so no RBE")
        return self._core.reference

    def rbe_at_dose(self, dose_gy: float) -> Estimate:
        """The RBE at a dose of this radiation: the reference dose of the same survival over it.

        Parameters
        ----------
        dose_gy : float
            The dose of this radiation, Gy, above 0.

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.

        Raises
        ------
        ValueError
            For a cell line given by theta and kappa (no reference radiation).
        """
        return _estimate(_core.rbe_at_dose(self._core.coefficients, self._reference(), dose_gy))

    def rbe_at_reference_dose(self, reference_dose_gy: float) -> Estimate:
        """The RBE at a dose of the reference radiation: it over this radiation's dose of the same survival.

        Parameters
        ----------
        reference_dose_gy : float
            The dose of the reference radiation, Gy, above 0.

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.

        Raises
        ------
        ValueError
            For a cell line given by theta and kappa (no reference radiation).
        """
        return _estimate(_core.rbe_at_reference_dose(self._core.coefficients, self._reference(),
                                                     reference_dose_gy))

    def rbe_at_survival(self, survival: float) -> Estimate:
        """The RBE at a survival level: the reference's dose for it over this radiation's.

        Parameters
        ----------
        survival : float
            The survival fraction, in (0, 1).

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.

        Raises
        ------
        ValueError
            For a cell line given by theta and kappa (no reference radiation).
        """
        return _estimate(_core.rbe_at_survival(self._core.coefficients, self._reference(), survival))

    def survival_fraction(self, dose_gy: float | Sequence[float] | np.ndarray) -> float | np.ndarray:
        """The survival fraction S(D) = exp(-alpha D - beta D^2).

        Parameters
        ----------
        dose_gy : float or array-like of float
            A dose, Gy, 0 or more, or an array of doses.

        Returns
        -------
        float or numpy.ndarray
            S at the dose, or at each dose of the array (of its shape).
        """
        return _fractions(self.alpha_per_gy, self.beta_per_gy2, dose_gy)

    def dose_for_survival(self, survival: float) -> float:
        """The dose that leaves a survival fraction.

        Parameters
        ----------
        survival : float
            The survival fraction, in (0, 1].

        Returns
        -------
        float
            The dose, Gy.
        """
        return _core.dose_for_survival(self.alpha_per_gy, self.beta_per_gy2, survival)

    def to_dict(self) -> dict[str, float]:
        """The values under the names of kesp-scan's survival columns.

        Returns
        -------
        dict of str to float
            alpha_per_gy, beta_per_gy2, rbe_low_dose, rbe_high_dose,
            rbe_at_reference_dose_<d>gy and rbe_at_survival_<s> for the doses
            and levels asked, each followed by its ``_sem`` (only alpha and
            beta without a reference radiation).
        """
        doses = [dose for dose, _, _ in self._core.rbe_at_reference_dose]
        levels = [level for level, _, _, _, _ in self._core.rbe_at_survival]
        values = [self.alpha_per_gy, self.alpha_per_gy_sem, self.beta_per_gy2, self.beta_per_gy2_sem]
        if self._core.reference is not None:
            values += [*self._core.rbe_low_dose, *self._core.rbe_high_dose]
            for _, value, sem in self._core.rbe_at_reference_dose:
                values += [value, sem]
            for _, _, _, value, sem in self._core.rbe_at_survival:
                values += [value, sem]
        names = _core.survival_column_names(doses, levels)
        return dict(zip(names, values))


def _fractions(alpha: float, beta: float, dose_gy: float | Sequence[float] | np.ndarray) -> float | np.ndarray:
    doses = np.asarray(dose_gy, dtype=float)
    fractions = np.asarray(_core.survival_fractions(alpha, beta, doses.ravel().tolist())).reshape(doses.shape)
    return float(fractions) if fractions.ndim == 0 else fractions


class SurvivalModel(_CellConstants):
    """A cell line with its reference radiation under the conditions of the runs it judges.

    With the reference doses and survival levels of the RBE asked for: what
    ``kesp.run(..., survival=model)`` hands the library.

    Parameters
    ----------
    core : kesp._core.SurvivalModel
        The library's model; ``CellLine.model`` makes it, not the caller.
    conditions : kesp.Settings or None
        The settings of the reference run the model judges runs against,
        None for a cell line given by theta and kappa.
    """

    def __init__(self, core: _core.SurvivalModel, conditions: _core.Settings | None) -> None:
        self._core = core
        self._conditions = conditions

    def __repr__(self) -> str:
        return (f"<kesp.survival.SurvivalModel theta {self.theta_per_dsb:.4g} per DSB, "
                f"kappa {self.kappa_per_dsb2:.4g} per DSB^2>")

    @property
    def reference(self) -> Coefficients | None:
        """alpha_R and beta_R of the reference radiation under the runs' conditions.

        None for a cell line given by theta and kappa.
        """
        return _coefficients(self._core.reference)

    @property
    def reference_doses_gy(self) -> list[float]:
        """The reference doses (Gy) of the RBE asked for."""
        return self._core.reference_doses_gy

    @property
    def survival_levels(self) -> list[float]:
        """The survival levels of the RBE asked for."""
        return self._core.survival_levels

    def check_conditions(self, settings: _core.Settings) -> None:
        """Check that runs of these settings are under the reference run's conditions.

        Parameters
        ----------
        settings : kesp.Settings
            The settings of the runs to judge.

        Raises
        ------
        kesp.InputError
            When they are under other conditions (oxygen, DMSO, cell) than
            the reference run the model judges them against.
        """
        if self._conditions is not None and not _core.same_conditions(settings, self._conditions):
            raise InputError(
                "Cell survival: the run's conditions (oxygen "
                f"{settings.oxygen_percent:g} %, DMSO {settings.dmso.concentration_mol_per_dm3:g} mol/dm3, "
                f"DNA {settings.dna_content_gbp:g} Gbp) differ from those of the reference run (oxygen "
                f"{self._conditions.oxygen_percent:g} %, DMSO "
                f"{self._conditions.dmso.concentration_mol_per_dm3:g} mol/dm3, DNA "
                f"{self._conditions.dna_content_gbp:g} Gbp, or another of their settings); give "
                "reference_here, a run of the reference radiation under the run's conditions.")

    def survival(self, results: Results) -> Survival:
        """What the model says of a run.

        Parameters
        ----------
        results : kesp.Results
            The run, of a single particle or a mixed field.

        Returns
        -------
        Survival
            Its alpha, beta and RBE.

        Raises
        ------
        kesp.InputError
            For a run under other conditions than the reference run.
        """
        self.check_conditions(results.settings)
        return Survival(_core.cell_survival(self._core, results._core))


class CellLine:
    """A cell line of the survival model: theta (per DSB) and kappa (per DSB^2).

    Give either the measured alpha_R (``alpha_r_per_gy``, Gy^-1) and beta_R
    (``beta_r_per_gy2``, Gy^-2, or ``alpha_beta_gy``, alpha_R / beta_R in Gy)
    of a reference radiation with ``reference``, a ``kesp.Results`` of a run
    of it under the conditions of the measurement (its oxygen level, DMSO
    and cell); or ``theta_per_dsb`` and ``kappa_per_dsb2`` directly (alpha
    and beta then, no RBE). From a reference,
    kappa = 2 beta_R / Sigma_R^2 and theta = (alpha_R - kappa zF_R Sigma_R^2) / Sigma_R.

    Parameters
    ----------
    alpha_r_per_gy : float, optional
        The measured alpha_R of the reference radiation, Gy^-1.
    beta_r_per_gy2 : float, optional
        The measured beta_R, Gy^-2.
    alpha_beta_gy : float, optional
        alpha_R / beta_R, Gy, instead of ``beta_r_per_gy2``.
    reference : kesp.Results, optional
        A run of the reference radiation under the conditions of the
        measurement.
    theta_per_dsb : float, optional
        theta, per DSB, instead of a measurement.
    kappa_per_dsb2 : float, optional
        kappa, per DSB^2, with ``theta_per_dsb``.

    Raises
    ------
    kesp.InputError
        For a negative theta (alpha_R below 2 beta_R zF_R), naming the
        values; a reference run without DSB yield; a value below 0.
    TypeError
        For neither or both ways of giving the cell line.
    """

    def __init__(self, *, alpha_r_per_gy: float | None = None, beta_r_per_gy2: float | None = None,
                 alpha_beta_gy: float | None = None, reference: Results | None = None,
                 theta_per_dsb: float | None = None, kappa_per_dsb2: float | None = None) -> None:
        measured = (alpha_r_per_gy, beta_r_per_gy2, alpha_beta_gy, reference)
        if theta_per_dsb is not None or kappa_per_dsb2 is not None:
            if theta_per_dsb is None or kappa_per_dsb2 is None or any(v is not None for v in measured):
                raise TypeError("give theta_per_dsb and kappa_per_dsb2 together, without a measured reference")
            self._measured: Optional[tuple[float, float]] = None
            self._reference: Optional[Results] = None
            self._theta_kappa = (float(theta_per_dsb), float(kappa_per_dsb2))
        else:
            if alpha_r_per_gy is None or reference is None or (beta_r_per_gy2 is None) == (alpha_beta_gy is None):
                raise TypeError("give alpha_r_per_gy, one of beta_r_per_gy2 and alpha_beta_gy, and the "
                                "reference run (a kesp.Results); or theta_per_dsb and kappa_per_dsb2")
            beta = beta_r_per_gy2 if beta_r_per_gy2 is not None else \
                _core.beta_from_alpha_beta(alpha_r_per_gy, alpha_beta_gy)
            self._measured = (float(alpha_r_per_gy), float(beta))
            self._reference = reference
        self._base = self.model()

    def __repr__(self) -> str:
        return (f"<kesp.survival.CellLine theta {self.theta_per_dsb:.4g} per DSB, "
                f"kappa {self.kappa_per_dsb2:.4g} per DSB^2>")

    @property
    def theta_per_dsb(self) -> float:
        """theta, per DSB."""
        return self._base.theta_per_dsb

    @property
    def kappa_per_dsb2(self) -> float:
        """kappa, per DSB^2."""
        return self._base.kappa_per_dsb2

    @property
    def alpha_r_per_gy(self) -> float | None:
        """The measured alpha_R, Gy^-1 (None when theta and kappa were given)."""
        return None if self._measured is None else self._measured[0]

    @property
    def beta_r_per_gy2(self) -> float | None:
        """The measured beta_R, Gy^-2 (None when theta and kappa were given)."""
        return None if self._measured is None else self._measured[1]

    def model(self, *, reference_here: Results | None = None,
              reference_doses_gy: Sequence[float] = REFERENCE_DOSES_GY,
              survival_levels: Sequence[float] = SURVIVAL_LEVELS) -> SurvivalModel:
        """The survival model of runs under some conditions.

        Parameters
        ----------
        reference_here : kesp.Results, optional
            A run of the reference radiation under the conditions of the runs
            to judge, when they are not the measurement's (hypoxia, say): the
            RBE is then against the model's alpha and beta of it (theta and
            kappa stay those of the measurement). Without it, the runs must
            be under the measurement's conditions and the RBE is against the
            measured alpha_R and beta_R.
        reference_doses_gy : sequence of float
            Reference doses (Gy, above 0) of the RBE asked for.
        survival_levels : sequence of float
            Survival levels, in (0, 1), of the RBE asked for.

        Returns
        -------
        SurvivalModel
            The model, to judge runs with or to hand ``kesp.run``.

        Raises
        ------
        kesp.InputError
            For a reference dose or survival level out of range, naming it.
        TypeError
            For ``reference_here`` with a cell line given by theta and kappa.
        """
        doses, levels = [float(d) for d in reference_doses_gy], [float(s) for s in survival_levels]
        if self._measured is None:
            if reference_here is not None:
                raise TypeError("a cell line given by theta and kappa has no reference radiation")
            return SurvivalModel(_core.survival_model_from_theta_kappa(*self._theta_kappa, doses, levels), None)
        assert self._reference is not None
        here = None if reference_here is None else reference_here._core
        core = _core.survival_model(*self._measured, self._reference._core, here, doses, levels)
        conditions = (reference_here or self._reference).settings
        return SurvivalModel(core, conditions)

    def survival(self, results: Results, *, reference_here: Results | None = None,
                 reference_doses_gy: Sequence[float] = REFERENCE_DOSES_GY,
                 survival_levels: Sequence[float] = SURVIVAL_LEVELS) -> Survival:
        """alpha, beta and the RBE for cell killing of a run (single particle or mixed field).

        Parameters
        ----------
        results : kesp.Results
            The run.
        reference_here : kesp.Results, optional
            As for ``model``.
        reference_doses_gy : sequence of float
            As for ``model``.
        survival_levels : sequence of float
            As for ``model``.

        Returns
        -------
        Survival
            What the model says of the run.

        Raises
        ------
        kesp.InputError
            For a run under other conditions than the reference run (give
            ``reference_here``), a run without cells, a mixed field with a
            component without a cell of its own.
        """
        return self.model(reference_here=reference_here, reference_doses_gy=reference_doses_gy,
                          survival_levels=survival_levels).survival(results)

    def _pair(self, hypoxic: Results, aerobic: Results) -> tuple[_core.LinearQuadratic, _core.LinearQuadratic]:
        return (_core.linear_quadratic(self._base._core, hypoxic._core),
                _core.linear_quadratic(self._base._core, aerobic._core))

    def oer_at_survival(self, hypoxic: Results, aerobic: Results, survival: float) -> Estimate:
        """The OER for cell killing at a survival level.

        The dose for it of the hypoxic run's radiation over that of the
        aerobic run's.

        Parameters
        ----------
        hypoxic : kesp.Results
            The run under hypoxia.
        aerobic : kesp.Results
            The run of the same radiation under aerobic conditions.
        survival : float
            The survival fraction, in (0, 1).

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.
        """
        return _estimate(_core.oer_at_survival(*self._pair(hypoxic, aerobic), survival))

    def oer_low_dose(self, hypoxic: Results, aerobic: Results) -> Estimate:
        """The OER's low-dose limit, alpha_aerobic / alpha_hypoxic.

        Parameters
        ----------
        hypoxic : kesp.Results
            The run under hypoxia.
        aerobic : kesp.Results
            The run of the same radiation under aerobic conditions.

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.
        """
        return _estimate(_core.oer_low_dose(*self._pair(hypoxic, aerobic)))

    def oer_high_dose(self, hypoxic: Results, aerobic: Results) -> Estimate:
        """The OER's high-dose limit, sqrt(beta_aerobic / beta_hypoxic).

        Parameters
        ----------
        hypoxic : kesp.Results
            The run under hypoxia.
        aerobic : kesp.Results
            The run of the same radiation under aerobic conditions.

        Returns
        -------
        kesp.Estimate
            The value with its first-order standard error.
        """
        return _estimate(_core.oer_high_dose(*self._pair(hypoxic, aerobic)))


def dsb_sources(results: Results) -> pd.DataFrame:
    """What the survival model takes from a run.

    Parameters
    ----------
    results : kesp.Results
        The run.

    Returns
    -------
    pandas.DataFrame
        One row per radiation (a single particle, or each component of a
        mixed field in order) with its ``dose_fraction`` (its weight),
        ``dsb_per_cell_per_gy`` (Sigma, from its own cells),
        ``dsb_per_cell_per_gy_sem`` (0 when not known) and ``zf_gy``.

    Raises
    ------
    kesp.InputError
        For a run without cells, or a mixed field with a component without
        a cell of its own.
    """
    return pd.DataFrame(_core.dsb_sources(results._core),
                        columns=["dose_fraction", "dsb_per_cell_per_gy", "dsb_per_cell_per_gy_sem", "zf_gy"])


def survival_model_of(survival: Union[SurvivalModel, CellLine]) -> SurvivalModel:
    """The model ``kesp.run(..., survival=...)`` takes: a cell line's with its defaults."""
    if isinstance(survival, CellLine):
        return survival.model()
    if isinstance(survival, SurvivalModel):
        return survival
    raise TypeError(f"survival: give a kesp.survival.CellLine or SurvivalModel, not {type(survival).__name__}")


def scan_survival(table: pd.DataFrame, *, alpha_r_per_gy: float, beta_r_per_gy2: float | None = None,
                  alpha_beta_gy: float | None = None, reference: Union[pd.DataFrame, Results],
                  reference_doses_gy: Sequence[float] = REFERENCE_DOSES_GY,
                  survival_levels: Sequence[float] = SURVIVAL_LEVELS) -> pd.DataFrame:
    """The survival columns of a scan table (``kesp.scan``'s, or kesp-scan's CSV read with pandas).

    Each row's alpha and beta come from its DSB yield (``dsb``, ``dsb_sem``)
    and ``zf_gy`` through the cell parameters that the reference radiation
    gives under the measurement's conditions: the scan's highest oxygen
    level, the row's other conditions kept (its own conditions when the
    scan does not vary the oxygen level). Its RBEs are against the reference
    radiation under the row's own conditions.

    Parameters
    ----------
    table : pandas.DataFrame
        The scan table.
    alpha_r_per_gy, beta_r_per_gy2, alpha_beta_gy : float
        The measured alpha_R (Gy^-1) and beta_R (Gy^-2) or alpha_R / beta_R
        (Gy) of the reference radiation.
    reference : pandas.DataFrame or kesp.Results
        The reference radiation: a scan table of it that varies the
        conditions the table varies (its oxygen level, DMSO, cell ...) over
        the same values; or one run (a ``kesp.Results``) when the table
        varies no condition, the rows being under the measurement's.
    reference_doses_gy, survival_levels : sequence of float
        Reference doses (Gy, above 0) and survival levels (in (0, 1)) of the
        RBE columns.

    Returns
    -------
    pandas.DataFrame
        Indexed as ``table``: alpha_per_gy, beta_per_gy2, rbe_low_dose,
        rbe_high_dose, rbe_at_reference_dose_<d>gy, rbe_at_survival_<s>,
        each followed by its ``_sem`` (NaN where a run had fewer than 2
        cells). Values that do not exist are NaN, and so are the rows of a
        mixed field (the table does not keep its components' yields; use
        ``CellLine.survival`` on its results), with a warning.

    Raises
    ------
    kesp.InputError
        For a negative theta or a reference without DSB, naming the values;
        a reference dose or survival level out of range.
    ValueError
        For a table without the columns, or a row whose conditions the
        reference does not cover.
    """
    if (beta_r_per_gy2 is None) == (alpha_beta_gy is None):
        raise TypeError("give one of beta_r_per_gy2 and alpha_beta_gy")
    beta = beta_r_per_gy2 if beta_r_per_gy2 is not None else \
        _core.beta_from_alpha_beta(alpha_r_per_gy, alpha_beta_gy)
    _require_columns(table, "the table")
    conditions = _condition_columns(table)
    if isinstance(reference, pd.DataFrame):
        here, at_measurement, at_measurement_flags = _reference_rows(table, reference, conditions)
    else:
        if conditions:
            raise ValueError(f"the table varies {', '.join(conditions)}: give the reference as a scan "
                             "table of the reference radiation under the same conditions")
        run = _run_columns(reference)
        here = at_measurement = [np.repeat(value, len(table)) for value in run]
        at_measurement_flags = [True] * len(table)
    usable = [particle != "field" for particle in table["particle"]]
    if not all(usable):
        warnings.warn(f"{usable.count(False)} mixed-field rows are left NaN: the table does not keep the "
                      "DSB yields of their components; use kesp.survival.CellLine.survival on their results",
                      UserWarning, stacklevel=2)
    columns = _core.survival_table(alpha_r_per_gy, beta, _source_columns(table), at_measurement, here,
                                   at_measurement_flags, usable, [float(d) for d in reference_doses_gy],
                                   [float(s) for s in survival_levels])
    return pd.DataFrame({name: values for name, values in columns}, index=table.index)


_SOURCE_COLUMNS = ("dsb", "dsb_sem", "zf_gy", "cells")


def _require_columns(frame: pd.DataFrame, what: str) -> None:
    lacking = [c for c in (*_SOURCE_COLUMNS, "particle") if c not in frame.columns]
    if lacking:
        raise ValueError(f"{what} has no column {', '.join(lacking)} (a table of a scan that simulated cells "
                         "has them)")


def _source_columns(frame: pd.DataFrame) -> list[list[float]]:
    return [pd.to_numeric(frame[c], errors="coerce").astype(float).tolist() for c in _SOURCE_COLUMNS]


def _run_columns(results: Results) -> list[float]:
    """A run as a table row gives it: dsb, dsb_sem, zf_gy, cells (NaN where none)."""
    if not results.single_particle:
        raise ValueError("the reference run is a mixed field: give it as a scan table of one particle")
    dsb = results.dsb
    mean = math.nan if dsb is None else dsb.per_cell_per_gy.mean
    sem = math.nan if dsb is None or dsb.per_cell_per_gy.sem is None else dsb.per_cell_per_gy.sem
    return [mean, sem, results.zf_gy, float(results.cells_simulated)]


def _varied_columns(frame: pd.DataFrame) -> list[str]:
    """The items a scan table varies: its columns before ``switches``."""
    if "switches" not in frame.columns:
        raise ValueError("the table has no column switches: it is not a scan table")
    return list(frame.columns[:list(frame.columns).index("switches")])


def _condition_columns(frame: pd.DataFrame) -> list[str]:
    return [c for c in _varied_columns(frame) if c not in _RADIATION_ITEMS]


def _reference_rows(table: pd.DataFrame, reference: pd.DataFrame, conditions: list[str]
                    ) -> tuple[list[list[float]], list[list[float]], list[bool]]:
    """Each row's reference runs.

    Each row's reference run under its own conditions and under the
    measurement's (the highest oxygen level of the table, the rest kept), as
    source columns, and whether the two are the same.
    """
    _require_columns(reference, "the reference table")
    lacking = [c for c in conditions if c not in reference.columns]
    if lacking:
        raise ValueError(f"the reference table does not vary {', '.join(lacking)}, which the table varies")
    if any(reference["particle"] == "field"):
        raise ValueError("the reference table holds a mixed field: give the reference as one particle")
    oxygen = next((c for c in conditions if c in _OXYGEN_ITEMS), None)
    by_conditions: dict[tuple, int] = {}
    for i in range(len(reference)):
        key = _key(reference, i, conditions)
        if key in by_conditions:
            raise ValueError(f"the reference table has two rows of {_shown(conditions, key) or 'its conditions'}: "
                             "give one reference run per condition")
        by_conditions[key] = i
    highest = pd.to_numeric(table[oxygen]).max() if oxygen else None
    sources = _source_columns(reference)
    here, measured, flags = [], [], []
    for i in range(len(table)):
        key = _key(table, i, conditions)
        measurement_key = key if oxygen is None else \
            tuple(highest if c == oxygen else v for c, v in zip(conditions, key))
        for wanted, chosen in ((key, here), (measurement_key, measured)):
            if wanted not in by_conditions:
                raise ValueError(f"the reference table has no row of {_shown(conditions, wanted)}")
            chosen.append(by_conditions[wanted])
        flags.append(key == measurement_key)
    return ([[column[j] for j in here] for column in sources],
            [[column[j] for j in measured] for column in sources], flags)


def _shown(columns: list[str], key: tuple) -> str:
    """Conditions as a message names them: "PO2 0.5, CONC 0"."""
    return ", ".join(f"{c} {v:g}" if isinstance(v, float) else f"{c} {v}" for c, v in zip(columns, key))


def _key(frame: pd.DataFrame, row: int, columns: list[str]) -> tuple:
    """The values of the columns in a row, numbers as floats (21 and 21.0 alike)."""
    values = []
    for column in columns:
        value = frame[column].iloc[row]
        number = pd.to_numeric(pd.Series([value]), errors="coerce").iloc[0]
        values.append(float(number) if not pd.isna(number) else str(value))
    return tuple(values)
