"""kesp.scan against kesp-scan: the same table from a scan file and from a dict."""

import io
import json
import os
import signal
import subprocess
import threading
import time
from pathlib import Path

import numpy
import pandas
import pandas.testing
import pytest

import kesp
from kesp import _core

SOURCE_DIR = Path(os.environ["KESP_SOURCE_DIR"])
SCAN_PROGRAM = os.environ["KESP_SCAN_EXECUTABLE"]

# Two particles aerobic and anoxic against an electron reference: 4 rows, 2
# reference runs, a few cells each.
SMALL_SCAN = {
    "title": "small scan: p and 4He, aerobic and anoxic",
    "cells": 20,
    "seed": 777,
    "vary": {"PAR": ["p", "4He"], "MEV/A": [10], "PO2": [21, 0]},
    "fixed": {"DNA": 6},
    "reference": {"PAR": "e", "KE": 1},
}

# The example mixed field (a field file named relative to the scan file's
# folder) under two oxygen levels.
FIELD_SCAN = {
    "title": "mixed field",
    "cells": 4,
    "seed": 2011,
    "vary": {"PO2": [21, 0.5]},
    "fixed": {"FN": "../mixedField.txt"},
}


def write_scan(folder: Path, scan: dict) -> Path:
    """The scan as a YAML file (JSON is YAML)."""
    path = folder / "scan.yaml"
    path.write_text(json.dumps(scan, indent=2), encoding="utf-8")
    return path


def kesp_scan_csv(scan_file: Path, *options: str) -> str:
    """The table kesp-scan writes for the scan file, without its comment line."""
    table = scan_file.with_suffix(".out.csv")
    subprocess.run([SCAN_PROGRAM, "-j", "2", "-o", str(table), *options, str(scan_file)], check=True,
                   capture_output=True)
    comment, rest = table.read_text(encoding="utf-8").split("\n", 1)
    assert comment.startswith("# kesp-scan ")
    return rest


def read_table(text: str) -> pandas.DataFrame:
    return pandas.read_csv(io.StringIO(text), float_precision="round_trip", keep_default_na=False, na_values=[""])


@pytest.mark.parametrize("options", [(), ("--physics-only",)], ids=["simulation", "physics-only"])
def test_the_table_is_the_text_kesp_scan_writes(tmp_path, options):
    scan_file = write_scan(tmp_path, SMALL_SCAN)
    expected = kesp_scan_csv(scan_file, *options)
    table, title, warnings = _core.run_scan_table(str(scan_file), 2, bool(options), False, None)
    assert table == expected
    assert title == SMALL_SCAN["title"]
    assert warnings == []


def test_scan_from_a_file_and_from_a_dict_equal_kesp_scans_table(tmp_path):
    scan_file = write_scan(tmp_path, SMALL_SCAN)
    expected = read_table(kesp_scan_csv(scan_file))
    from_file = kesp.scan(scan_file, jobs=2, progress=False)
    # numpy's numbers and arrays stand for the numbers and lists they hold.
    with_numpy = {**SMALL_SCAN, "vary": {"PAR": ["p", "4He"], "MEV/A": numpy.array([10.0]),
                                         "PO2": [numpy.int64(21), numpy.float64(0)]}}
    from_dict = kesp.scan(with_numpy, jobs=1, progress=False)
    assert len(expected) == 4 and "rbe_dsb" in expected.columns and "oer_dsb" in expected.columns
    for frame in (from_file, from_dict):
        pandas.testing.assert_frame_equal(frame, expected, check_exact=True)
        assert frame.attrs["title"] == SMALL_SCAN["title"]


def test_a_dicts_field_file_is_found_from_the_current_folder(tmp_path, monkeypatch):
    scans = SOURCE_DIR / "examples" / "scans"
    scan_file = write_scan(tmp_path, {**FIELD_SCAN, "fixed": {"FN": str(scans / "../mixedField.txt")}})
    expected = read_table(kesp_scan_csv(scan_file))
    monkeypatch.chdir(scans)
    frame = kesp.scan(FIELD_SCAN, progress=False)
    pandas.testing.assert_frame_equal(frame, expected, check_exact=True)


@pytest.mark.parametrize(
    "scan, message",
    [
        ({**SMALL_SCAN, "colour": "red"}, r"^scan dict:\d+: \"colour\" is not a part of a scan file"),
        ({**SMALL_SCAN, "vary": {"PO2": ["lots"]}}, r"^scan dict:\d+: PO2: \"lots\" is not a number"),
        ({**FIELD_SCAN, "fixed": {"FN": "no-such-field.txt"}},
         r"^scan dict:\d+: FN: field file \".*/no-such-field.txt\" is not found"),
        ({**SMALL_SCAN, "cells": 1}, r"^scan dict:\d+: NOCS: 1 is fewer than 2 cells.*\n\(lenient=True runs"),
    ],
    ids=["unknown key", "not a number", "missing field file", "too few cells"],
)
def test_a_refused_scan_is_an_input_error_naming_the_place(scan, message):
    with pytest.raises(kesp.InputError, match=message) as refusal:
        kesp.scan(scan, progress=False)
    assert isinstance(refusal.value, kesp.KespError) and refusal.value.kind == "refused"
    assert "kesp-scan-" not in str(refusal.value)  # the temporary file is not named


def test_a_refused_scan_file_is_named_with_its_line(tmp_path):
    scan_file = tmp_path / "bad.yaml"
    scan_file.write_text("title: bad\ncells: 10\nvary:\n  PAR: [p]\n  KE: [ten]\n", encoding="utf-8")
    with pytest.raises(kesp.InputError, match=rf"{scan_file}:5: KE: .*ten"):
        kesp.scan(str(scan_file), progress=False)


def test_lenient_runs_too_few_cells_with_a_warning():
    with pytest.warns(kesp.InputWarning, match=r"^scan dict:\d+: NOCS: 1 is fewer than 2 cells"):
        frame = kesp.scan({**SMALL_SCAN, "cells": 1}, progress=False, lenient=True)
    assert len(frame) == 4
    assert frame["dsb_sem"].isna().all() and frame["dsb"].notna().all()


@pytest.mark.parametrize("jobs", [0, -3])
def test_jobs_must_be_at_least_one(jobs):
    with pytest.raises(ValueError, match="jobs"):
        kesp.scan(SMALL_SCAN, jobs=jobs, progress=False)


def test_progress_shows_the_configurations(capsys):
    kesp.scan(SMALL_SCAN, jobs=2)
    assert "4/4 configurations" in capsys.readouterr().err
    kesp.scan(SMALL_SCAN, jobs=2, progress=False)
    assert capsys.readouterr().err == ""


def test_ctrl_c_stops_the_scan_after_the_runs_under_way():
    # Some minutes of runs, each a fraction of a second.
    many = {"cells": 200, "vary": {"PAR": ["e"], "KE": [0.5 + k / 100 for k in range(2000)]}}
    threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        kesp.scan(many, jobs=1, progress=False)
    assert time.monotonic() - start < 5.0


def test_other_python_threads_run_while_the_scan_runs():
    ticks = []
    done = threading.Event()

    def tick():
        while not done.is_set():
            ticks.append(time.monotonic())
            time.sleep(0.01)

    ticker = threading.Thread(target=tick)
    ticker.start()
    start = time.monotonic()
    try:
        kesp.scan({**SMALL_SCAN, "cells": 500}, jobs=1, progress=False)
    finally:
        done.set()
        ticker.join()
    seconds = time.monotonic() - start
    # Without the GIL released, the ticker would stand still until the end.
    assert seconds > 0.3 and len(ticks) > 10
