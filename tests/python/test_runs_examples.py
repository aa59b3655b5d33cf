"""Every example run through kesp.run gives the numbers of the real kesp:
the report byte for byte (running time masked), the /json document apart
from its switches, and named numbers at the report's rounding."""

from __future__ import annotations

import json
import os
import re
import shutil
import subprocess
import warnings
from pathlib import Path

import jsonschema
import pytest

import kesp

SOURCE = Path(os.environ["KESP_SOURCE_DIR"])
KESP = os.environ["KESP_EXECUTABLE"]
SCHEMA = json.loads((SOURCE / "docs" / "kesp-results.schema.json").read_text())
RUNNING_TIME = re.compile(r"^ *[0-9.]+     running time \(min\)$", re.MULTILINE)

# (example, switches): every examples/*.inp, with the switch its comment asks for.
EXAMPLES = [
    ("electron1MeV", []), ("proton10MeV", []), ("proton10MeV", ["/2006"]), ("alpha40MeV", []),
    ("carbon10MeVperNucleon", []), ("hypoxicProton", []), ("dmsoElectron", []), ("tetraploidCell", []),
    ("mixedField", []), ("slowIonField", ["/no2"]),
]


def test_every_example_is_covered():
    assert {name for name, _ in EXAMPLES} == {p.stem for p in (SOURCE / "examples").glob("*.inp")}


def masked(report: str) -> str:
    return RUNNING_TIME.sub("#.### running time", report)


@pytest.fixture(params=EXAMPLES, ids=lambda e: "".join([e[0], *e[1]]))
def example(request, tmp_path, monkeypatch):
    """The example copied to tmp_path and run there by kesp /json: (name, switches, report, document)."""
    name, switches = request.param
    for extension in (".inp", ".txt"):
        if (SOURCE / "examples" / (name + extension)).exists():
            shutil.copy(SOURCE / "examples" / (name + extension), tmp_path)
    done = subprocess.run([KESP, name + ".inp", *switches, "/json"], cwd=tmp_path, capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    monkeypatch.chdir(tmp_path)
    document = json.loads((tmp_path / (name + ".json")).read_text())
    return name, switches, (tmp_path / (name + ".out")).read_text(), document


def test_results_equal_the_programs(example):
    name, switches, report, document = example
    with warnings.catch_warnings():
        warnings.simplefilter("error", kesp.InputWarning)  # every example reads cleanly
        results = kesp.run(kesp.read_input(name + ".inp", switches=switches), progress=False)

    assert masked(results.report()) == masked(report)

    mine = results.to_dict()
    jsonschema.validate(mine, SCHEMA)
    assert document.pop("switches") == [*switches, "/json"]
    assert mine.pop("switches") == switches
    assert mine == document

    total = next(line for line in report.splitlines() if line.startswith(" Total"))
    dsb = results.dsb.per_cell_per_gy
    assert total.split()[1:3] == [f"{dsb.mean:.5E}", f"{dsb.sem:.5E}"]
    assert f"{results.all.per_cell_per_gy.mean:.5E}" == total.split()[7]
    for label, percent in zip(["BD", "SSB", "SSB+"], results.complexity.values()):
        assert f"{percent:10.3f}     {label} " in report
    if results.single_particle:
        assert f"  {results.dose_per_fluence_ngy_cm2:.5E} absorbed dose per unit fluence" in report
        assert f"  {results.let_kev_per_um:.5E} keV/um (total stopping power)" in report
        assert f"  {results.csda_range_cm:.5E} cm (CSDA range)" in report
        assert f"  {results.yf_kev_per_um:.4E} keV/um (frequency-mean lineal energy)" in report
    else:
        cells = results.components["cells"]
        assert cells.sum() == results.cells_simulated == results.cells_requested
        for row in results.components.itertuples():
            assert f"{row.dose_per_fluence_ngy_cm2:.3E}" in report

