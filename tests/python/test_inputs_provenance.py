"""Input files as a user names them: errors of the kind the package documents,
file names in any encoding, and documents that claim an input file only
while their settings are that file's."""

from __future__ import annotations

import hashlib
import json
import os
import shutil
import subprocess
import warnings
from pathlib import Path

import pytest

import kesp
from kesp import _scans

SOURCE = Path(os.environ["KESP_SOURCE_DIR"])
EXAMPLES = SOURCE / "examples"
SMALL_INPUT = "Two cells of 10 MeV protons\nSIMCON: NOCS=2 SEED=7\nRADX: PAR=p KE=10\n"


@pytest.mark.parametrize("name, why", [("no-such-input.inp", "is not found"), ("a-folder", "is not a readable file")],
                         ids=["missing", "folder"])
def test_an_unreadable_input_file_is_an_input_error_of_kind_io(tmp_path, name, why):
    (tmp_path / "a-folder").mkdir()
    path = tmp_path / name
    # The words kesp uses for the same file.
    with pytest.raises(kesp.InputError, match=rf"^Input file {path} {why}") as raised:
        kesp.read_input(path)
    assert raised.value.kind == "io"
    # Code written against the earlier RunError of kind io still catches it.
    assert isinstance(raised.value, kesp.RunError)


@pytest.mark.parametrize("call", [
    lambda: kesp.read_input("no-such-input.inp"),
    lambda: kesp.read_field_file("no-such-field.txt"),
    lambda: kesp.run(cells=0, progress=False),
    lambda: kesp.mixed_field([("p", 10.0, -1.0)]),
], ids=["input file", "field file", "settings", "field"])
def test_every_error_of_settings_is_caught_as_a_run_error(call):
    with pytest.raises(kesp.RunError) as raised:
        call()
    assert isinstance(raised.value, kesp.InputError)


def test_a_dict_scans_errors_name_the_scan_not_its_temporary_file(monkeypatch):
    # Whatever part of an error names the scan file (message or detail), a
    # scan given as a dict is named as the user knows it.
    def failing_scan(path, *arguments):
        raise kesp.RunError(f"Configuration 1 ({path}): it stopped", kind="physics",
                            detail=f"the inputs are beside {path}")

    monkeypatch.setattr(_scans._core, "run_scan_table", failing_scan)
    with pytest.raises(kesp.RunError) as raised:
        kesp.scan({"title": "t", "cells": 2, "vary": {"PO2": [1.0]}}, progress=False)
    assert str(raised.value) == "Configuration 1 (scan dict): it stopped"
    assert raised.value.detail == "the inputs are beside scan dict"


def undecodable(folder: Path, name: bytes) -> str:
    """A path in `folder` whose file name is not UTF-8, as Python names it."""
    return os.path.join(os.fsdecode(bytes(folder)), os.fsdecode(name))


def test_file_names_that_are_not_utf8_are_replaced_in_documents_as_kesp_replaces_them(tmp_path):
    field_file = undecodable(tmp_path, b"f\xe9ld.txt")
    input_file = undecodable(tmp_path, b"caf\xe9.inp")
    shutil.copy(EXAMPLES / "mixedField.txt", field_file)
    Path(input_file).write_text(f"Mixed\nSIMCON: NOCS=2 SEED=8086\nRADX: FN={os.path.basename(field_file)}\n",
                                encoding="utf-8", errors="surrogateescape")

    settings = kesp.read_input(input_file)
    # The names come back as Python names files: they open the same files.
    assert settings.input_file == input_file and settings.field.file_name.endswith(os.path.basename(field_file))
    with open(settings.input_file, "rb") as read_back:
        assert hashlib.sha256(read_back.read()).hexdigest() == settings.input_sha256
    assert kesp.read_field_file(field_file).file_name == field_file

    document = kesp.run(settings, progress=False).to_dict()
    assert json.loads(kesp.run(settings, progress=False).to_json()) == document
    subprocess.run([os.environ["KESP_EXECUTABLE"], os.fsencode(input_file), "/json"], cwd=tmp_path, check=True,
                   capture_output=True)
    native = json.loads(Path(undecodable(tmp_path, b"caf\xe9.json")).read_text(encoding="utf-8"))
    assert document["input"]["sha256"] == native["input"]["sha256"]
    assert document["input"]["file"].endswith("caf\ufffd.inp") and native["input"]["file"].endswith("caf\ufffd.inp")
    field_files = [d["settings"]["radiation"].pop("field_file") for d in (document, native)]
    assert all(name.endswith("f\ufffdld.txt") for name in field_files), field_files
    assert document["settings"] == native["settings"]


def test_warnings_and_errors_naming_a_file_that_is_not_utf8_can_be_read(tmp_path):
    input_file = undecodable(tmp_path, b"\xff.inp")
    Path(input_file).write_text("Missing field file\nSIMCON: NOCS=2\nRADX: FN=none\xff.txt\n", encoding="latin-1")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        settings = kesp.read_input(input_file)
    assert caught and all(issubclass(w.category, kesp.InputWarning) for w in caught)
    assert "\ufffd" in str(caught[0].message)
    assert settings.diagnostics[0].file == input_file and "\ufffd" in settings.diagnostics[0].message
    with pytest.raises(kesp.InputError, match="\ufffd"):
        kesp.read_input(undecodable(tmp_path, b"missing\xff.inp"))


@pytest.mark.parametrize("change, claims", [
    (lambda s: setattr(s, "cells", 3), False),
    (lambda s: setattr(s, "seed", 8), False),
    (lambda s: setattr(s, "oxygen_percent", 21.0), False),
    (lambda s: setattr(s, "field", kesp.particle("4He", 40.0)), False),
    (lambda s: setattr(s, "dmso", kesp.DmsoModel(concentration_mol_per_dm3=0.5)), False),
    (lambda s: setattr(s, "threads", 2), True),
    (lambda s: setattr(s, "cells", s.cells), True),
    (lambda s: None, True),
], ids=["cells", "seed", "oxygen", "field", "dmso", "threads", "same cells", "unchanged"])
def test_a_document_claims_its_input_file_only_while_the_settings_are_the_files(tmp_path, change, claims):
    path = tmp_path / "small.inp"
    path.write_text(SMALL_INPUT, encoding="utf-8")
    settings = kesp.read_input(path, switches=["/no2"])
    change(settings)
    document = kesp.run(settings, progress=False).to_dict()
    if claims:
        assert document["input"] == {"file": str(path), "sha256": settings.input_sha256}
        assert document["switches"] == ["/no2"] and settings.input_file == str(path)
    else:
        assert document["input"] is None and document["switches"] == []
        assert settings.input_file is None and settings.input_sha256 is None
    # What the settings are stays as set: the oxygen effect /no2 switched off.
    assert document["settings"]["oxygen_model"]["enabled"] is False


@pytest.mark.parametrize("call", [kesp.dose_weights, kesp.field_from_fluence])
@pytest.mark.parametrize("fluences", [[0.0], [0.0, 0.0, 0.0]])
def test_a_spectrum_without_fluence_is_refused_with_a_clear_message(call, fluences):
    spectrum = [(p, e, f) for (p, e), f in zip([("p", 10.0), ("4He", 40.0), ("12C", 120.0)], fluences)]
    with pytest.raises(kesp.InputError, match=r"gives no dose .* give at least one component a fluence above 0"):
        call(spectrum)
