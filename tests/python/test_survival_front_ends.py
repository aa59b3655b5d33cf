"""Cell survival from three front ends for the same configurations and seed:
kesp-scan's survival columns, kesp.scan's table and kesp.survival on runs of
the same rows give the same alpha, beta and RBE for cell killing."""

import io
import json
import os
import subprocess
from pathlib import Path

import pandas
import pytest

import kesp
from kesp import _core

SCAN_PROGRAM = os.environ["KESP_SCAN_EXECUTABLE"]

CELLS = 30
SEED = 4242
SCAN = {
    "title": "cell survival of p and 12C, aerobic and hypoxic",
    "cells": CELLS,
    "seed": SEED,
    "vary": {"PAR": ["p", "12C"], "MEV/A": [10], "PO2": [21, 0.5]},
    "reference": {"PAR": "e", "KE": 1},
    "survival": {"alpha": 0.2, "beta": 0.02, "doses": [2, 0.5], "survival": [0.1]},
}
COLUMNS = ["alpha_per_gy", "alpha_per_gy_sem", "beta_per_gy2", "beta_per_gy2_sem", "rbe_low_dose",
           "rbe_low_dose_sem", "rbe_high_dose", "rbe_high_dose_sem", "rbe_at_reference_dose_2gy",
           "rbe_at_reference_dose_2gy_sem", "rbe_at_reference_dose_0.5gy", "rbe_at_survival_0.1"]


@pytest.fixture(scope="module")
def scan_text(tmp_path_factory) -> str:
    folder = tmp_path_factory.mktemp("survivalScan")
    scan_file = folder / "scan.yaml"
    scan_file.write_text(json.dumps(SCAN, indent=2), encoding="utf-8")
    table = folder / "scan.csv"
    subprocess.run([SCAN_PROGRAM, "-j", "2", "-o", str(table), str(scan_file)], check=True, capture_output=True)
    comment, rest = table.read_text(encoding="utf-8").split("\n", 1)
    assert comment.startswith("# kesp-scan ")
    python_text, _, _ = _core.run_scan_table(str(scan_file), 1, False, False, None)
    assert python_text == rest  # kesp.scan's table is kesp-scan's, survival columns included
    return rest


def run(particle: str, oxygen_percent: float) -> kesp.Results:
    field = kesp.particle("e", 1.0) if particle == "e" else \
        kesp.particle(particle, kinetic_energy_per_nucleon_mev=10.0)
    return kesp.run(field, cells=CELLS, seed=SEED, oxygen_percent=oxygen_percent, progress=False, threads=1)


def test_kesp_scan_and_kesp_survival_give_the_same_numbers(scan_text):
    table = pandas.read_csv(io.StringIO(scan_text), float_precision="round_trip")
    assert len(table) == 4 and set(COLUMNS) <= set(table.columns)
    aerobic_reference = run("e", 21.0)
    cell = kesp.survival.CellLine(alpha_r_per_gy=0.2, beta_r_per_gy2=0.02, reference=aerobic_reference)
    for _, row in table.iterrows():
        oxygen = float(row["PO2"])
        here = None if oxygen == 21.0 else run("e", oxygen)
        survival = cell.survival(run(row["PAR"], oxygen), reference_here=here, reference_doses_gy=[2.0, 0.5],
                                 survival_levels=[0.1])
        python = survival.to_dict()
        for column in COLUMNS:
            assert python[column] == pytest.approx(row[column], rel=1e-12, abs=0.0), (row["PAR"], oxygen, column)
