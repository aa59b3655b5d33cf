"""kesp.run through the library's request: strict refusal, warnings, the
diagnostics of the results, and input files past the size of one."""

from __future__ import annotations

import time
import warnings
from pathlib import Path

import pytest

import kesp

WARNED = "A carbon ion misspelt\nSIMCON: NOCS=2 SEED=7\nRADX: PAR=carbo KE=1\n"
CLEAN = "Iron\nSIMCON: NOCS=2 SEED=7\nRADX: PAR=56Fe KE=5600\n"


@pytest.fixture
def warned_settings(tmp_path: Path) -> kesp.Settings:
    path = tmp_path / "warned.inp"
    path.write_text(WARNED)
    with pytest.warns(kesp.InputWarning):
        return kesp.read_input(path)


def test_strict_refuses_settings_with_warnings_before_any_cell(warned_settings, tmp_path):
    cells_seen: list[int] = []
    with pytest.raises(kesp.InputError) as raised:
        kesp.run(warned_settings, strict=True, progress=cells_seen.append)
    assert raised.value.kind == "refused"
    assert str(raised.value).startswith("Run refused: strict is given and the settings hold warnings")
    assert [d.line for d in raised.value.diagnostics if d.severity == "warning"] == [3]
    assert cells_seen == []
    # A path is read with the same strictness.
    path = tmp_path / "warned.inp"
    with pytest.raises(kesp.InputError) as from_path:
        kesp.run(path, strict=True, progress=False)
    assert from_path.value.kind == "refused"


def test_settings_read_once_warn_once_and_their_results_keep_the_diagnostics(warned_settings):
    with warnings.catch_warnings():
        warnings.simplefilter("error")  # read_input warned already; the run does not again
        results = kesp.run(warned_settings, progress=False)
    assert results.cells_simulated == 2
    assert [(d.line, d.block) for d in results.diagnostics if d.severity == "warning"] == [(3, "RADX:")]
    assert [str(d) for d in results.diagnostics] == [str(d) for d in warned_settings.diagnostics]


def test_clean_settings_run_under_strict_with_no_warning(tmp_path):
    path = tmp_path / "clean.inp"
    path.write_text(CLEAN)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        from_file = kesp.run(path, strict=True, progress=False)
        in_code = kesp.run(kesp.particle("56Fe", 5600.0), cells=2, seed=7, strict=True, progress=False)
    assert in_code.dsb == from_file.dsb
    assert [d for d in in_code.diagnostics if d.severity != "note"] == []


@pytest.mark.parametrize("text, message", [
    ("\n" * (2 << 20), "holds more than 10000 lines"),
    ("\n" * (5 << 20), "is larger than 4194304 bytes (4 MiB)"),
])
def test_an_input_past_the_size_of_one_is_refused_unread(tmp_path, text, message):
    path = tmp_path / "big.inp"
    path.write_text(text)
    started = time.monotonic()
    with pytest.raises(kesp.InputError) as raised:
        kesp.read_input(path)
    assert time.monotonic() - started < 10.0
    assert raised.value.kind == "input"
    assert str(raised.value).startswith(f"Input file {path} {message}")
