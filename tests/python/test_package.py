"""The package as a user meets it: importable, with its version, and answering
to the names of the table of quantities."""

import json
import os
import re
import warnings
from pathlib import Path
from typing import Any

import pandas as pd
import pytest

import kesp


def test_version_is_the_projects():
    assert re.fullmatch(r"\d+\.\d+(\.\d+)?", kesp.__version__)


# One vocabulary: the names of docs/quantities.json (written from the
# library's table of quantities) are the names the package answers to.

SOURCE = Path(os.environ.get("KESP_SOURCE_DIR", Path(__file__).resolve().parents[2]))
QUANTITIES = json.loads((SOURCE / "docs" / "quantities.json").read_text())


def _python_paths(group: str | None = None) -> list[str]:
    return [p for q in QUANTITIES if group in (None, q["group"]) for p in q["python"]]


@pytest.fixture(scope="module")
def runs() -> list[kesp.Results]:
    mixed = kesp.mixed_field([("p", 10.0, 0.5), ("4he", 40.0, 0.3), ("12c", 120.0, 0.2)])
    return [kesp.run(kesp.particle("12c", 120.0), cells=2, seed=3, progress=False),
            kesp.run(mixed, cells=3, seed=3, progress=False)]


def _resolve(value: Any, path: str) -> Any:
    """The value at a dotted path: attributes, dict keys or DataFrame columns; "[]" is the first element."""
    for step in path.split("."):
        each = step.endswith("[]")
        step = step.removesuffix("[]")
        value = value[step] if isinstance(value, (dict, pd.DataFrame)) else getattr(value, step)
        if each:
            value = value[0]
    return value


@pytest.fixture(scope="module")
def survival_run() -> kesp.Results:
    reference = kesp.run(kesp.particle("e", 1.0), cells=3, seed=3, oxygen_percent=21.0, progress=False)
    cell = kesp.survival.CellLine(alpha_r_per_gy=0.2, beta_r_per_gy2=0.02, reference=reference)
    return kesp.run(kesp.particle("p", 10.0), cells=3, seed=3, oxygen_percent=21.0, progress=False,
                    survival=cell)


def test_every_python_name_of_the_table_is_one_the_results_answer_to(runs, survival_run):
    with warnings.catch_warnings():
        warnings.simplefilter("error", DeprecationWarning)  # no old name among the table's
        for path in _python_paths():
            found = []
            for results in [*runs, survival_run]:
                try:
                    found.append(_resolve(results, path))
                except (AttributeError, KeyError, IndexError):
                    pass
            assert found, f"kesp.Results has no {path}"


def test_the_results_hold_no_name_the_table_lacks(runs):
    single, mixed = runs
    physics = {p.split(".", 1)[1] for p in _python_paths("physics") if p.startswith("physics.")}
    assert set(single.physics) == physics
    assert set(mixed.physics) == physics
    components = {p.split(".", 1)[1] for p in _python_paths() if p.startswith("components.")}
    assert set(mixed.components.columns) == components
    assert set(single.complexity) == {p.split(".", 1)[1] for p in _python_paths("complexity")}


def test_particle_names_come_out_in_canonical_case(runs):
    single, mixed = runs
    assert single.to_dict()["settings"]["radiation"]["particle"] == "12C"
    assert list(mixed.components["particle"]) == ["p", "4He", "12C"]
    assert [c["particle"] for c in mixed.to_dict()["physics"]["components"]] == ["p", "4He", "12C"]
    settings = kesp.read_input(SOURCE / "examples" / "carbon10MeVperNucleon.inp")
    assert settings.field.components[0].particle.strip() == "12C"
    assert [c.particle for c in kesp.mixed_field([("4HE", 40.0, 1.0), ("e", 1.0, 1.0)]).components] == ["4He", "e"]


OLD_NAMES = [
    (lambda: kesp.particle("p", energy_mev=10.0), lambda: kesp.particle("p", kinetic_energy_mev=10.0)),
    (lambda: kesp.particle("4He", energy_mev_per_u=10.0),
     lambda: kesp.particle("4He", kinetic_energy_per_nucleon_mev=10.0)),
    (lambda: kesp.Field.particle("p", energy_mev=10.0), lambda: kesp.Field.particle("p", kinetic_energy_mev=10.0)),
    (lambda: kesp.particle("p", 10.0).components[0].energy_mev,
     lambda: kesp.particle("p", 10.0).components[0].kinetic_energy_mev),
    (lambda: kesp.mixed_field(pd.DataFrame({"particle": ["p"], "energy_mev": [10.0], "weight": [1.0]})),
     lambda: kesp.mixed_field([("p", 10.0, 1.0)])),
    (lambda: list(kesp.dose_weights([("p", 10.0, 1.0)])["energy_mev"]), lambda: [10.0]),
    (lambda: kesp.dose_weights([("p", 10.0, 1.0)]).energy_mev.tolist(), lambda: [10.0]),
]


@pytest.mark.parametrize("old, new", OLD_NAMES)
def test_old_names_still_work_with_a_deprecation_warning(old, new):
    with pytest.warns(DeprecationWarning, match="is now called"):
        value = old()
    with warnings.catch_warnings():
        warnings.simplefilter("error", DeprecationWarning)
        assert value == new()


def test_old_result_names_still_work_with_a_deprecation_warning(runs):
    single, mixed = runs
    for old, new, values in [("energy_mev", "kinetic_energy_mev", single.physics),
                             ("energy_mev_per_u", "kinetic_energy_per_nucleon_mev", mixed.physics)]:
        with pytest.warns(DeprecationWarning, match=f"'{old}' is now called '{new}'"):
            assert values[old] == values[new]
        assert old in values
    with pytest.warns(DeprecationWarning):
        assert list(mixed.components["cells"]) == list(mixed.components["cells_simulated"])
    with pytest.warns(DeprecationWarning):
        assert mixed.components[["particle", "cells"]].columns.tolist() == ["particle", "cells_simulated"]


def test_an_energy_given_by_both_names_is_refused():
    with pytest.warns(DeprecationWarning), pytest.raises(TypeError, match="kinetic_energy_mev only"):
        kesp.particle("p", 10.0, energy_mev=10.0)
    with pytest.raises(TypeError, match="either kinetic_energy_mev or kinetic_energy_per_nucleon_mev"):
        kesp.particle("p")
