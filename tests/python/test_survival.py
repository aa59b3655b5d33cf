"""kesp.survival against the model written out here from its formulas, its
identities, its refusals, kesp.run(survival=...) and the survival columns of
a scan table against runs of the same rows."""

import json
import math

import numpy as np
import pandas as pd
import pytest

import kesp
from kesp import survival

ALPHA_R, BETA_R = 0.2, 0.02  # a reference measured aerobic, Gy^-1 and Gy^-2
CELLS = 10


def run(particle, energy, oxygen=100.0, cells=CELLS, **others):
    return kesp.run(kesp.particle(particle, energy), cells=cells, oxygen_percent=oxygen, progress=False, **others)


def run_field(components, oxygen=100.0):
    return kesp.run(kesp.mixed_field(components), cells=CELLS, oxygen_percent=oxygen, progress=False)


@pytest.fixture(scope="module")
def runs():
    made = {}
    for oxygen in (100.0, 0.5, 0.0):
        made["e", oxygen] = run("e", 1.0, oxygen)
        made["p", oxygen] = run("p", 2.0, oxygen)
        made["4He", oxygen] = run("4He", 8.0, oxygen)
        made["12C", oxygen] = run("12C", 60.0, oxygen)
        made["mixed", oxygen] = run_field([("p", 2.0, 0.3), ("4He", 8.0, 0.7)], oxygen)
    made["twin", 100.0] = run_field([("p", 2.0, 0.5), ("p", 2.0, 0.5)])
    return made


# The model written out from its formulas (Carlson et al. 2008; Stewart et al. 2018).

def sources_of(results):
    """(dose fraction, Sigma, zF) of each radiation of a run, the fractions normalised."""
    if results.single_particle:
        return [(1.0, results.dsb.per_cell_per_gy.mean, results.zf_gy)]
    rows = survival.dsb_sources(results)
    total = rows["dose_fraction"].sum()
    return [(w / total, s, z) for w, s, z in rows[["dose_fraction", "dsb_per_cell_per_gy", "zf_gy"]].itertuples(
        index=False)]


def cell_from_reference(alpha_r, beta_r, reference):
    (_, sigma, zf), = sources_of(reference)
    kappa = 2 * beta_r / sigma**2
    return (alpha_r - kappa * zf * sigma**2) / sigma, kappa


def coefficients(theta, kappa, sources):
    mean_sigma = sum(w * s for w, s, _ in sources)
    mean_zf_sigma2 = sum(w * z * s * s for w, s, z in sources)
    return theta * mean_sigma + kappa * mean_zf_sigma2, kappa / 2 * mean_sigma**2


def dose_for_effect(alpha, beta, effect):
    return (-alpha + math.sqrt(alpha**2 + 4 * beta * effect)) / (2 * beta)


def expected_rbes(particle, reference, dose_r, level):
    (a, b), (ar, br) = particle, reference
    return {
        "rbe_low_dose": a / ar,
        "rbe_high_dose": math.sqrt(b / br),
        "rbe_at_reference_dose": dose_r / dose_for_effect(a, b, ar * dose_r + br * dose_r**2),
        "rbe_at_survival": dose_for_effect(ar, br, -math.log(level)) / dose_for_effect(a, b, -math.log(level)),
    }


def close(actual, expected):
    return actual == pytest.approx(expected, rel=1e-12, abs=0)


# A dozen configurations: four radiations under three oxygen levels, the
# cell given by a measured reference and, under partial hypoxia, by theta and kappa.
CONFIGURATIONS = [(radiation, oxygen) for radiation in ("p", "4He", "12C", "mixed") for oxygen in (100.0, 0.5, 0.0)]


@pytest.mark.parametrize("radiation,oxygen", CONFIGURATIONS)
def test_library_agrees_with_the_formulas_written_out(runs, radiation, oxygen):
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=runs["e", 100.0])
    theta, kappa = cell_from_reference(ALPHA_R, BETA_R, runs["e", 100.0])
    assert close(cell.theta_per_dsb, theta) and close(cell.kappa_per_dsb2, kappa)
    here = None if oxygen == 100.0 else runs["e", oxygen]
    result = cell.survival(runs[radiation, oxygen], reference_here=here, reference_doses_gy=[2.0, 0.5],
                           survival_levels=[0.1, 0.01])
    particle = coefficients(theta, kappa, sources_of(runs[radiation, oxygen]))
    reference = (ALPHA_R, BETA_R) if here is None else coefficients(theta, kappa, sources_of(here))
    assert close(result.alpha_per_gy, particle[0]) and close(result.beta_per_gy2, particle[1])
    assert close(result.reference.alpha_per_gy, reference[0])
    for dose_r, level in ((2.0, 0.1), (0.5, 0.01)):
        expected = expected_rbes(particle, reference, dose_r, level)
        assert close(result.rbe_low_dose, expected["rbe_low_dose"])
        assert close(result.rbe_high_dose, expected["rbe_high_dose"])
        assert close(result.rbe_at_reference_dose(dose_r).mean, expected["rbe_at_reference_dose"])
        assert close(result.rbe_at_survival(level).mean, expected["rbe_at_survival"])
    # The RBE at a dose of the particle: the reference dose of the same effect over it.
    effect = particle[0] * 3.0 + particle[1] * 9.0
    assert close(result.rbe_at_dose(3.0).mean, dose_for_effect(*reference, effect) / 3.0)
    if oxygen != 100.0:
        # The OER at S, and its limits, against the aerobic run of the same cell.
        aerobic = coefficients(theta, kappa, sources_of(runs[radiation, 100.0]))
        hypoxic = particle
        assert close(cell.oer_at_survival(runs[radiation, oxygen], runs[radiation, 100.0], 0.1).mean,
                     dose_for_effect(*hypoxic, -math.log(0.1)) / dose_for_effect(*aerobic, -math.log(0.1)))
        assert close(cell.oer_low_dose(runs[radiation, oxygen], runs[radiation, 100.0]).mean,
                     aerobic[0] / hypoxic[0])
        assert close(cell.oer_high_dose(runs[radiation, oxygen], runs[radiation, 100.0]).mean,
                     math.sqrt(aerobic[1] / hypoxic[1]))


@pytest.mark.parametrize("radiation", ["p", "12C", "mixed", "twin"])
def test_cell_given_by_theta_and_kappa_and_its_standard_errors(runs, radiation):
    theta, kappa = 0.004, 1.5e-5
    cell = survival.CellLine(theta_per_dsb=theta, kappa_per_dsb2=kappa)
    result = cell.survival(runs[radiation, 100.0])
    sources = sources_of(runs[radiation, 100.0])
    alpha, beta = coefficients(theta, kappa, sources)
    assert close(result.alpha_per_gy, alpha) and close(result.beta_per_gy2, beta)
    # First order, from the independent SEMs of the radiations' yields.
    if runs[radiation, 100.0].single_particle:
        sems = [runs[radiation, 100.0].dsb.per_cell_per_gy.sem]
    else:
        sems = list(survival.dsb_sources(runs[radiation, 100.0])["dsb_per_cell_per_gy_sem"])
    mean_sigma = sum(w * s for w, s, _ in sources)
    alpha_sem = math.sqrt(sum((w * (theta + 2 * kappa * z * s) * e)**2 for (w, s, z), e in zip(sources, sems)))
    beta_sem = math.sqrt(sum((kappa * mean_sigma * w * e)**2 for (w, _, _), e in zip(sources, sems)))
    assert close(result.alpha_per_gy_sem, alpha_sem) and close(result.beta_per_gy2_sem, beta_sem)
    assert result.rbe_low_dose is None and result.reference is None
    assert list(result.to_dict()) == ["alpha_per_gy", "alpha_per_gy_sem", "beta_per_gy2", "beta_per_gy2_sem"]
    with pytest.raises(ValueError, match="no reference radiation"):
        result.rbe_at_survival(0.1)


def test_identities_of_the_model(runs):
    reference = runs["e", 100.0]
    by_ratio = survival.CellLine(alpha_r_per_gy=ALPHA_R, alpha_beta_gy=ALPHA_R / BETA_R, reference=reference)
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=reference)
    assert (by_ratio.theta_per_dsb, by_ratio.kappa_per_dsb2) == (cell.theta_per_dsb, cell.kappa_per_dsb2)
    # The reference run under the measurement's conditions gives back alpha_R, beta_R and an RBE of 1.
    itself = cell.survival(reference, reference_doses_gy=[0.5, 2.0, 8.0], survival_levels=[0.5, 0.1, 0.001])
    assert close(itself.alpha_per_gy, ALPHA_R) and close(itself.beta_per_gy2, BETA_R)
    for name, value in itself.to_dict().items():
        if name.startswith("rbe") and not name.endswith("_sem"):
            assert value == pytest.approx(1.0, rel=1e-12), name
    # So does the reference run under other conditions against itself there.
    hypoxic = cell.survival(runs["e", 0.0], reference_here=runs["e", 0.0])
    assert hypoxic.rbe_at_survival(0.1).mean == pytest.approx(1.0, rel=1e-12)
    assert hypoxic.alpha_per_gy < ALPHA_R
    # theta and kappa given as the reference gives them judge alike.
    direct = survival.CellLine(theta_per_dsb=cell.theta_per_dsb, kappa_per_dsb2=cell.kappa_per_dsb2)
    assert close(direct.survival(runs["12C", 100.0]).alpha_per_gy, cell.survival(runs["12C", 100.0]).alpha_per_gy)
    # The dose for a survival level gives that level back, for every radiation.
    for radiation in ("p", "12C", "mixed"):
        result = cell.survival(runs[radiation, 100.0])
        levels = np.array([0.9, 0.5, 0.1, 1e-3, 1e-6])
        doses = np.array([result.dose_for_survival(s) for s in levels])
        assert np.allclose(result.survival_fraction(doses), levels, rtol=1e-12, atol=0)
        assert result.dose_for_survival(1.0) == 0.0 and result.survival_fraction(0.0) == 1.0
        assert np.all(np.diff(doses) > 0)


def test_heavier_ions_kill_more_than_protons_and_hypoxia_protects(runs):
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=runs["e", 100.0])
    rbe = {r: cell.survival(runs[r, 100.0]).rbe_at_survival(0.1).mean for r in ("p", "4He", "12C")}
    assert 1.0 < rbe["p"] and rbe["p"] < rbe["12C"]
    for radiation in ("e", "p", "12C"):
        assert cell.oer_at_survival(runs[radiation, 0.0], runs[radiation, 100.0], 0.1).mean > 1.0


def test_refusals_name_the_values(runs):
    reference = runs["e", 100.0]
    # alpha_R below 2 beta_R zF_R: a negative theta.
    with pytest.raises(kesp.InputError, match=r"theta .* is negative") as refused:
        survival.CellLine(alpha_r_per_gy=0.0, beta_r_per_gy2=0.5, reference=reference)
    assert refused.value.kind == "input" and "0.5" in str(refused.value)
    assert isinstance(refused.value, kesp.RunError)
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=reference)
    for level in (0.0, 1.0, 1.5, -0.1, math.nan):
        with pytest.raises(kesp.InputError, match="survival level"):
            cell.model(survival_levels=[level])
        with pytest.raises(kesp.InputError, match="lies outside"):
            cell.survival(runs["p", 100.0]).rbe_at_survival(level)
    for dose in (0.0, -2.0):
        with pytest.raises(kesp.InputError, match="reference dose"):
            cell.model(reference_doses_gy=[dose])
    with pytest.raises(kesp.InputError, match="dose of -1 Gy"):
        cell.survival(runs["p", 100.0]).survival_fraction([1.0, -1.0])
    with pytest.raises(kesp.InputError, match="alpha_R / beta_R = 0"):
        survival.CellLine(alpha_r_per_gy=ALPHA_R, alpha_beta_gy=0.0, reference=reference)
    with pytest.raises(kesp.InputError, match="kappa"):
        survival.CellLine(theta_per_dsb=0.01, kappa_per_dsb2=-1.0)
    for wrong in ({"alpha_r_per_gy": ALPHA_R, "reference": reference},
                  {"alpha_r_per_gy": ALPHA_R, "beta_r_per_gy2": BETA_R, "alpha_beta_gy": 10.0, "reference": reference},
                  {"theta_per_dsb": 0.01},
                  {"theta_per_dsb": 0.01, "kappa_per_dsb2": 1e-5, "reference": reference}):
        with pytest.raises(TypeError):
            survival.CellLine(**wrong)
    # A run under other conditions than the reference run it is judged against.
    with pytest.raises(kesp.InputError, match="give reference_here"):
        cell.survival(runs["p", 0.0])
    with pytest.raises(kesp.InputError, match="give reference_here"):
        cell.survival(runs["p", 100.0], reference_here=runs["e", 0.0])


def test_run_with_survival_equals_survival_of_its_results(runs):
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=runs["e", 100.0])
    model = cell.model(reference_here=runs["e", 0.5], reference_doses_gy=[2.0, 0.5], survival_levels=[0.1])
    asked = run("12C", 60.0, 0.5, survival=model)
    assert asked.survival.to_dict() == model.survival(asked).to_dict()
    section = asked.to_dict()["survival"]
    assert section["alpha_per_gy"] == {"mean": asked.survival.alpha_per_gy, "sem": asked.survival.alpha_per_gy_sem}
    assert section["reference"]["beta_per_gy2"]["mean"] == asked.survival.reference.beta_per_gy2
    assert [r["rbe"]["mean"] for r in section["rbe_at_reference_dose"]] == \
        [asked.survival.to_dict()["rbe_at_reference_dose_2gy"], asked.survival.to_dict()["rbe_at_reference_dose_0.5gy"]]
    assert json.loads(asked.to_json())["survival"] == section
    # The same run asked for nothing carries none, and its document is the one it always was.
    plain = run("12C", 60.0, 0.5)
    assert plain.survival is None and "survival" not in plain.to_dict()
    # A cell line alone judges the run against the measured reference.
    aerobic = run("p", 2.0, survival=cell)
    assert aerobic.survival.to_dict() == cell.survival(aerobic).to_dict()
    # Settings under other conditions than the model's reference are refused before the run.
    with pytest.raises(kesp.InputError, match="give reference_here"):
        run("p", 2.0, 0.0, survival=cell)
    with pytest.raises(TypeError):
        run("p", 2.0, survival=0.2)


def test_a_mixed_field_without_cells_for_a_component_raises_on_reading_its_survival():
    cell = survival.CellLine(theta_per_dsb=0.004, kappa_per_dsb2=1.5e-5)
    # One cell: one of the components gets none of its own.
    with pytest.warns(kesp.InputWarning, match="1 cell"):
        results = kesp.run(kesp.mixed_field([("p", 2.0, 0.5), ("4He", 8.0, 0.5)]), cells=1, progress=False,
                           survival=cell)
    assert results.report() and results.to_dict()["yields"]
    with pytest.raises(kesp.InputError, match="has no cell of its own"):
        results.survival


# The survival columns of a scan table against runs of its rows.

SCAN = {"title": "survival columns", "cells": 8, "seed": 4242,
        "vary": {"PAR": ["p", "4He"], "MEV/A": [2, 4], "PO2": [21, 0.5]}}
REFERENCE_SCAN = {"title": "reference", "cells": 8, "seed": 99, "vary": {"PO2": [21, 0.5]},
                  "fixed": {"PAR": "e", "KE": 1}}


def test_scan_columns_equal_the_survival_of_runs_of_the_same_rows():
    table = kesp.scan(SCAN, progress=False, jobs=1)
    reference = kesp.scan(REFERENCE_SCAN, progress=False, jobs=1)
    columns = survival.scan_survival(table, alpha_r_per_gy=ALPHA_R, alpha_beta_gy=10.0, reference=reference,
                                     reference_doses_gy=[2, 0.5], survival_levels=[0.1, 0.01])
    assert list(columns) == [
        "alpha_per_gy", "alpha_per_gy_sem", "beta_per_gy2", "beta_per_gy2_sem", "rbe_low_dose", "rbe_low_dose_sem",
        "rbe_high_dose", "rbe_high_dose_sem", "rbe_at_reference_dose_2gy", "rbe_at_reference_dose_2gy_sem",
        "rbe_at_reference_dose_0.5gy", "rbe_at_reference_dose_0.5gy_sem", "rbe_at_survival_0.1",
        "rbe_at_survival_0.1_sem", "rbe_at_survival_0.01", "rbe_at_survival_0.01_sem"]
    assert list(columns.index) == list(table.index)

    def again(row, particle, energy):
        return kesp.run(kesp.particle(particle, energy), cells=int(row.cells), seed=int(row.seed),
                        oxygen_percent=float(row.PO2), progress=False)

    ref_rows = {float(r.PO2): again(r, "e", 1.0) for r in reference.itertuples()}
    cell = survival.CellLine(alpha_r_per_gy=ALPHA_R, alpha_beta_gy=10.0, reference=ref_rows[21.0])
    for i, row in enumerate(table.itertuples()):
        results = again(row, row.PAR, row.ke_mev)
        here = None if row.PO2 == 21 else ref_rows[float(row.PO2)]
        expected = cell.survival(results, reference_here=here, reference_doses_gy=[2, 0.5],
                                 survival_levels=[0.1, 0.01]).to_dict()
        assert columns.iloc[i].to_dict() == pytest.approx(expected, rel=1e-12)
    # A reference that does not cover a row's conditions, or one run for a table that varies them.
    with pytest.raises(ValueError, match="no row of PO2 0.5"):
        survival.scan_survival(table, alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=reference.iloc[:1])
    with pytest.raises(ValueError, match="two rows of PO2 21"):
        survival.scan_survival(table, alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R,
                               reference=pd.concat([reference, reference.iloc[:1]]))
    with pytest.raises(ValueError, match="varies PO2"):
        survival.scan_survival(table, alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=ref_rows[21.0])


def test_scan_columns_of_a_table_under_the_measurement_conditions_and_of_a_mixed_field():
    with pytest.warns(kesp.InputWarning):
        table = kesp.scan({"title": "one condition", "cells": 1, "seed": 5,
                           "vary": {"PAR": ["p", "12C"], "MEV/A": [5]}}, progress=False, jobs=1, lenient=True)
    reference = run("e", 1.0)
    columns = survival.scan_survival(table, alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=reference)
    assert columns["alpha_per_gy"].notna().all()
    # One cell: values, but no SEM.
    assert columns["alpha_per_gy_sem"].isna().all() and columns["rbe_at_survival_0.1_sem"].isna().all()
    mixed = table.copy()
    mixed.loc[0, "particle"] = "field"
    with pytest.warns(UserWarning, match="1 mixed-field rows are left NaN"):
        columns = survival.scan_survival(mixed, alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R, reference=reference)
    assert columns.iloc[0].isna().all() and columns.iloc[1].notna()["alpha_per_gy"]
    with pytest.raises(ValueError, match="no column dsb"):
        survival.scan_survival(table.drop(columns="dsb"), alpha_r_per_gy=ALPHA_R, beta_r_per_gy2=BETA_R,
                               reference=reference)
