"""Fields, input files and errors as a user of the package meets them."""

from __future__ import annotations

import json
import os
import warnings
from pathlib import Path

import jsonschema
import pandas as pd
import pytest

import kesp

SOURCE = Path(os.environ["KESP_SOURCE_DIR"])
EXAMPLES = SOURCE / "examples"


def test_fluence_gives_the_dose_weights_of_the_readmes_worked_example():
    spectrum = pd.DataFrame({"particle": ["p", "4He", "12C"], "energy_mev": [10.0, 40.0, 120.0],
                             "fluence_per_cm2": [900.0, 90.0, 10.0]})
    weights = kesp.dose_weights(spectrum)
    assert [f"{v:.4g}" for v in weights["dose_per_fluence_ngy_cm2"]] == ["7.342", "29.18", "260.1"]
    assert [f"{v:.3f}" for v in weights["weight"]] == ["0.558", "0.222", "0.220"]

    field = kesp.field_from_fluence(spectrum)
    assert [c.weight for c in field.components] == pytest.approx(list(weights["weight"]))
    results = kesp.run(field=field, cells=100, seed=8086, progress=False)
    # Each component gets int(100 x weight) cells; the few left over go by weight.
    assert all(cells >= int(100 * w) for cells, w in zip(results.components["cells"], weights["weight"]))
    assert results.components["cells"].sum() == results.cells_simulated == 100


def test_fields_given_each_way_agree():
    rows = [("p", 10.0, 0.5), ("4He", 40.0, 0.3), ("12C", 120.0, 0.2)]
    frame = pd.DataFrame(rows, columns=["particle", "energy_mev", "weight"])
    from_file = kesp.read_field_file(EXAMPLES / "mixedField.txt")
    assert kesp.mixed_field(rows) == kesp.mixed_field(frame)
    assert [(c.particle, c.energy_mev, c.weight) for c in from_file.components] == rows
    assert kesp.particle("12C", energy_mev_per_u=10.0) == kesp.particle("12C", 120.0)
    assert kesp.particle("4He", energy_mev_per_u=10.0).components[0].energy_mev == 40.0
    settings = kesp.read_input(EXAMPLES / "mixedField.inp")
    assert [(c.particle.strip(), c.energy_mev) for c in settings.field.components] == [r[:2] for r in rows]


@pytest.mark.parametrize("call, error", [
    (lambda: kesp.particle("e", energy_mev_per_u=1.0), ValueError),
    (lambda: kesp.particle("p"), TypeError),
    (lambda: kesp.mixed_field(pd.DataFrame({"particle": ["p"], "weight": [1.0]})), ValueError),
    (lambda: kesp.mixed_field([("p", 10.0, -1.0), ("4He", 40.0, 1.0)]), kesp.InputError),
    (lambda: kesp.particle("toolongname", 1.0), kesp.InputError),
    (lambda: kesp.read_field_file("no-such-field.txt"), kesp.InputError),
    (lambda: kesp.read_input("no-such-input.inp"), kesp.RunError),
    (lambda: kesp.read_input(EXAMPLES / "proton10MeV.inp", switches=["/json"]), ValueError),
    (lambda: kesp.run(cells=0, progress=False), kesp.InputError),
    (lambda: kesp.run(field=kesp.particle("Qq", 1.0), progress=False), kesp.KespError),
    (lambda: kesp.run(kesp.Settings(), cells=2), TypeError),
])
def test_bad_requests_raise_the_packages_errors(call, error):
    with pytest.raises(error):
        call()


def test_engine_errors_carry_their_kind():
    with pytest.raises(kesp.InputError) as raised:
        kesp.run(cells=5, dna_content_gbp=0.0, progress=False)
    assert raised.value.kind == "input" and "DNA" in str(raised.value)
    assert isinstance(raised.value, kesp.KespError)


@pytest.fixture
def warned_input(tmp_path):
    path = tmp_path / "warned.inp"
    path.write_text("A carbon ion misspelt\nSIMCON: NOCS=2 SEED=7\nRADX: PAR=carbo KE=1\n")
    return path


def test_input_warnings_arrive_as_python_warnings_and_stay_in_the_settings(warned_input):
    with pytest.warns(kesp.InputWarning, match=r"warned\.inp:3: warning: RADX: particle \"carbo\""):
        settings = kesp.read_input(warned_input)
    [diagnostic] = [d for d in settings.diagnostics if d.severity == "warning"]
    assert (Path(diagnostic.file).name, diagnostic.line, diagnostic.block) == ("warned.inp", 3, "RADX:")
    assert settings.cells == 2 and settings.seed == 7


def test_strict_turns_warnings_into_an_input_error_with_every_diagnostic(warned_input):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(kesp.InputError) as raised:
            kesp.read_input(warned_input, strict=True)
        assert kesp.read_input(EXAMPLES / "proton10MeV.inp", strict=True).cells > 0
    assert raised.value.kind == "refused"
    assert [d.line for d in raised.value.diagnostics if d.severity == "warning"] == [3]
    assert "warned.inp:3: warning: RADX:" in str(raised.value)


def test_settings_in_code_mirror_the_input_file(tmp_path):
    path = tmp_path / "same.inp"
    path.write_text("Same run\nSIMCON: NOCS=3 SEED=99\nCELL: DNA=12 NDIA=7\nEVO2: PO2=2.5\n"
                    "DMSO: CONC=0.2\nRADX: PAR=4He KE=40\n")
    from_file = kesp.read_input(path)
    in_code = kesp.Settings(kesp.particle("4He", 40.0), cells=3, seed=99, dna_content_gbp=12.0,
                            nucleus_diameter_um=7.0, oxygen_percent=2.5,
                            dmso=kesp.DmsoModel(concentration_mol_per_dm3=0.2))
    assert in_code == from_file
    assert in_code.input_file is None and from_file.input_file == str(path)
    off = kesp.Settings(oxygen_effect=False, zeb_dependent_oxygen=False)
    assert not off.oxygen_model.enabled and not off.oxygen_model.zeb_dependent


def test_results_of_settings_in_code_name_no_input_and_validate():
    results = kesp.run(field=kesp.particle("p", 10.0), cells=1, progress=False)
    document = results.to_dict()
    schema = json.loads((SOURCE / "docs" / "kesp-results.schema.json").read_text())
    jsonschema.validate(document, schema)
    assert document["input"] is None and document["switches"] == []
    assert json.loads(results.to_json()) == document
    # One cell: no standard error anywhere.
    assert results.dsb.per_cell_per_gy.sem is None
    tables = results.tables
    assert sorted(tables) == [1, 2, 3, 4, 5, 6]
    assert list(tables[1]["row"]) == list(kesp.COMPLEXITY_CLASSES)
    for number in range(2, 7):
        assert len(tables[number]) == 51 * 4 and tables[number]["sem"].isna().all()
    total = tables[2].set_index(["row", "category"]).loc[("all", "dsb"), "mean"]
    assert total == results.dsb.per_cell_per_gy.mean
    assert tables[2]["mean"].isna().any()  # the report's "---"


def test_a_field_with_the_settings_arguments_runs_as_those_settings():
    field = kesp.particle("p", 10.0)
    given_field = kesp.run(field, cells=2, seed=5, oxygen_percent=0.5, progress=False)
    given_settings = kesp.run(kesp.Settings(field, cells=2, seed=5, oxygen_percent=0.5), progress=False)
    assert given_field.to_dict() == given_settings.to_dict()
    with pytest.raises(TypeError):
        kesp.run(kesp.Settings(field), cells=2)
