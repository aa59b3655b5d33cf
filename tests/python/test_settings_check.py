"""Settings made in code get the checks an input file gets, in its words."""

from __future__ import annotations

import warnings
from pathlib import Path

import pytest

import kesp


def file_diagnostics(tmp_path: Path, text: str) -> list[tuple[str, str, str]]:
    """(severity, block, message) of what the reader says of an input file."""
    path = tmp_path / "run.inp"
    path.write_text("SIMCON: NOCS=2\n" + text + "\n")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kesp.InputWarning)
        return [(d.severity, d.block, d.message) for d in kesp.read_input(path).diagnostics]


def code_diagnostics(settings: kesp.Settings) -> list[tuple[str, str, str]]:
    diagnostics = settings.diagnostics
    assert all(d.file == "" and d.line == 0 for d in diagnostics)
    return [(d.severity, d.block, d.message) for d in diagnostics]


@pytest.mark.parametrize("name", ["Pb", "Po", "Eu", "12Cxx"])
def test_a_name_of_another_particle_is_refused_in_the_files_words(tmp_path, name):
    said = file_diagnostics(tmp_path, f"RADX: PAR={name} KE=10")
    with pytest.raises(kesp.InputError) as refused:
        kesp.particle(name, 10.0)
    assert str(refused.value).splitlines()[0] == said[0][2]
    with pytest.raises(kesp.InputError):
        kesp.particle(name, energy_mev_per_u=10.0)
    with pytest.raises(kesp.InputError, match="component 2: particle"):
        kesp.mixed_field([("p", 10.0, 1.0), (name, 10.0, 1.0)])


@pytest.mark.parametrize("name", ["P", "E"])
def test_a_capital_letter_alone_is_no_particle_in_code(name):
    with pytest.raises(kesp.InputError, match="has no mass number"):
        kesp.particle(name, 10.0)


@pytest.mark.parametrize("name", ["p", "e", "e-", "4He", "56Fe"])
def test_names_of_what_is_run_are_taken(name):
    assert kesp.particle(name, 10.0).components[0].particle == name


@pytest.mark.parametrize("text, settings", [
    ("RADX: PAR=56Fe MEV/A=0.5", lambda: kesp.Settings(kesp.particle("56Fe", energy_mev_per_u=0.5), cells=2)),
    ("RADX: PAR=12C MEV/A=1", lambda: kesp.Settings(kesp.particle("12C", energy_mev_per_u=1.0), cells=2)),
    ("RADX: PAR=p KE=5000", lambda: kesp.Settings(kesp.particle("p", 5000.0), cells=2)),
    ("RADX: PAR=12Ca KE=120", lambda: kesp.Settings(kesp.particle("12Ca", 120.0), cells=2)),
    ("CELL: DNA=6e+09", lambda: kesp.Settings(cells=2, dna_content_gbp=6e9)),
    ("CELL: NDIA=0.005", lambda: kesp.Settings(cells=2, nucleus_diameter_um=0.005)),
    ("EVO2: M0=0.5", lambda: kesp.Settings(cells=2, oxygen_model=kesp.OxygenModel(maximum_enhancement=0.5))),
    ("RADX: PAR=e KE=1", lambda: kesp.Settings(cells=2)),
])
def test_settings_in_code_draw_the_input_files_diagnostics(tmp_path, text, settings):
    expected = file_diagnostics(tmp_path, text)
    assert code_diagnostics(settings()) == expected
    assert (len(expected) == 0) == (text == "RADX: PAR=e KE=1")


def test_one_cell_is_a_result_warning_and_a_read_file_keeps_its_own_diagnostics(tmp_path):
    said = code_diagnostics(kesp.Settings())
    assert [(s, b) for s, b, _ in said] == [("result_warning", "SIMCON:")]
    path = tmp_path / "one.inp"
    path.write_text("SIMCON: NOCS=1\nRADX: PAR=Pb KE=10\n")
    with pytest.warns(kesp.InputWarning):
        read = kesp.read_input(path)
    assert [d.file for d in read.diagnostics] == [str(path)] * 2
    assert said[0][2] == read.diagnostics[0].message
    # Settings changed in code are checked anew.
    changed = kesp.Settings(cells=2)
    changed.dna_content_gbp = 6e9
    assert [b for _, b, _ in code_diagnostics(changed)] == ["CELL:"]


def test_threads_beyond_the_limit_are_a_usage_error():
    with pytest.raises(kesp.RunError) as refused:
        kesp.run(kesp.Settings(cells=2, threads=10**6), progress=False)
    assert refused.value.kind == "usage"
    assert "threads = 1000000" in str(refused.value)
    assert kesp.run(kesp.Settings(cells=2, threads=1000), progress=False).cells_simulated == 2
