"""kesp.plot on the tables of the real kesp-scan: what each figure is titled,
what its legend and axes say, the quantity it is drawn against, and the
command kesp-plot over the module."""

import os
import subprocess
import sys
import warnings
from pathlib import Path

import pandas as pd
import pytest

import kesp
from kesp import plot

BUILD = Path(kesp.__file__).resolve().parent.parent.parent
KESP_PLOT = BUILD / "plot" / "kesp-plot"

# Two particles at two energies, aerobic and anoxic, against 1 MeV electrons.
PARTICLE_SCAN = """title: plot module test
cells: 4
seed: 3
vary:
  PAR: [p, 12C]
  MEV/A: [10, 40]
  PO2: [21, 0]
reference:
  PAR: e
  KE: 1
"""

# One proton energy under three oxygen levels: a scan over oxygen.
OXYGEN_SCAN = """title: protons under oxygen
cells: 4
seed: 3
vary:
  PO2: [21, 5, 0]
fixed:
  PAR: p
  KE: 10
"""


def run_scan(folder: Path, name: str, text: str) -> Path:
    """Runs the real kesp-scan on the scan text; its table, beside the scan file."""
    (folder / f"{name}.yaml").write_text(text)
    result = subprocess.run([os.environ["KESP_SCAN_EXECUTABLE"], f"{name}.yaml"], cwd=folder,
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
    return folder / f"{name}.csv"


@pytest.fixture(scope="module")
def tables(tmp_path_factory):
    folder = tmp_path_factory.mktemp("scans")
    return {name: run_scan(folder, name, text)
            for name, text in (("particles", PARTICLE_SCAN), ("oxygen", OXYGEN_SCAN))}


def frame(path: Path) -> pd.DataFrame:
    """The table as pandas reads it, its values to the last bit."""
    return pd.read_csv(path, comment="#", float_precision="round_trip")


def titles(figure):
    """The figure's title and the subtitle below it (the scan's title, or None)."""
    subtitle = figure.subfigs[0]._suptitle
    return figure._suptitle.get_text(), subtitle.get_text() if subtitle else None


def legend_texts(figure):
    legend = next(axes.get_legend() for axes in figure.axes if axes.get_legend())
    return [text.get_text() for text in legend.get_texts()]


def test_each_figure_is_titled_by_what_it_shows_with_the_scan_title_below(tables):
    table = frame(tables["particles"])
    cases = [
        (plot.dsb_figure(table, title="my scan"), "DSB yield against LET"),
        (plot.ssb_figure(table, title="my scan"), "SSB yield against LET"),
        (plot.rbe_figure(table, title="my scan", reference="1 MeV e"),
         "RBE for DSB induction against LET, reference 1 MeV e"),
        (plot.oer_figure(table, title="my scan"), "OER for DSB induction against LET"),
        (plot.classes_figure(table, title="my scan"), "Shares of the cluster classes against LET"),
    ]
    for figure, title in cases:
        assert titles(figure) == (title, "my scan")


def test_legends_name_the_oxygen_level_and_anoxia(tables):
    table = frame(tables["particles"])
    both = ["p, 21 % O2", "p, 0 % O2 (anoxic)", "12C, 21 % O2", "12C, 0 % O2 (anoxic)"]
    assert legend_texts(plot.dsb_figure(table)) == both
    assert legend_texts(plot.classes_figure(table)) == both
    assert legend_texts(plot.oer_figure(table)) == ["p", "12C"]
    assert plot.oer_figure(table).axes[0].get_ylabel() == \
        "OER for DSB induction\n(DSB yield at 21 % O2 / at 0 % O2 (anoxic))"


def test_rbe_names_its_reference_given_or_from_the_attrs(tables):
    table = frame(tables["particles"])
    label = plot.rbe_figure(table, reference="1 MeV e").axes[0].get_ylabel()
    assert label == "RBE for DSB induction\n(DSB yield / that of 1 MeV e)"
    table.attrs.update(title="from attrs", reference="60Co gamma")
    assert titles(plot.rbe_figure(table)) == (
        "RBE for DSB induction against LET, reference 60Co gamma", "from attrs")


def test_scan_over_oxygen_is_drawn_against_the_oxygen_level(tables):
    table = frame(tables["oxygen"])
    assert plot.x_quantity(table) == "PO2"
    figure = plot.dsb_figure(table)
    axes = figure.axes[0]
    assert axes.get_xlabel() == "oxygen (% O2)"
    assert axes.get_xscale() == "linear"
    x, y = axes.lines[0].get_data()
    by_oxygen = table.sort_values("PO2")
    assert list(x) == list(by_oxygen["PO2"])
    assert list(y) == list(by_oxygen["dsb_per_gy_gbp"])
    assert titles(figure) == ("DSB yield against oxygen level", None)
    assert legend_texts(figure) == ["p"]


def test_ssb_figure_draws_the_ssb_yield(tables):
    table = frame(tables["particles"])
    axes = plot.ssb_figure(table).axes[0]
    assert axes.get_ylabel() == "SSB per Gy per Gbp"
    protons = table[(table["PAR"] == "p") & (table["PO2"] == 21)].sort_values("let_kev_um")
    x, y = axes.lines[0].get_data()
    assert list(x) == list(protons["let_kev_um"])
    assert list(y) == list(protons["ssb_per_gy_gbp"])


@pytest.mark.parametrize("items, quantity", [
    ({"PAR": ["p", "4He"], "KE": [1, 2]}, "let_kev_um"),
    ({"KE": [1, 2]}, "KE"),
    ({"MEV/A": [1, 2], "PO2": [21, 0]}, "MEV/A"),
    ({"CONC": [0, 0.5], "PO2": [21, 0]}, "PO2"),
    ({"MMHG": [160, 0]}, "MMHG"),
    ({"CONC": [0, 0.5]}, "CONC"),
    ({"FN": ["a.txt", "b.txt"], "PO2": [21, 0]}, "let_kev_um"),
    ({"DNA": [6, 12]}, "let_kev_um"),
    ({"KE": [1, 1], "DNA": [6, 12]}, "let_kev_um"),
    # One particle listed under vary: what really varies is the oxygen level.
    ({"PAR": ["p", "p"], "PO2": [21, 0]}, "PO2"),
    ({"PAR": ["p", "p"], "KE": [1, 2]}, "KE"),
])
def test_x_quantity_is_the_varied_quantity_unless_the_particle_varies(items, quantity):
    columns = dict(items, switches=["", ""], particle=["p", "p"], let_kev_um=[4.5, 9.0],
                   dsb=[1.0, 2.0], dsb_sem=[0.1, 0.1], dsb_per_gy_gbp=[0.2, 0.3])
    assert plot.x_quantity(pd.DataFrame(columns)) == quantity


def test_figures_of_a_dataframe_equal_the_files_of_the_command(tables, tmp_path):
    table = tables["particles"]
    assert plot.main([str(table), "-o", str(tmp_path)]) == 0
    drawn = plot.figures(frame(table), title="plot module test", reference="1 MeV e")
    assert list(drawn) == ["dsb_vs_let", "ssb_vs_let", "rbe_vs_let", "oer_vs_let",
                           "classes_vs_let"]
    # Saved as kesp-plot saves them: the PNG first, then the SVG.
    metadata = {"png": {"Software": "kesp-plot"}, "svg": {"Creator": "kesp-plot", "Date": None}}
    for name, figure in drawn.items():
        for suffix in ("png", "svg"):
            saved = tmp_path / f"module.{suffix}"
            figure.savefig(saved, format=suffix, dpi=150, metadata=metadata[suffix])
            assert saved.read_bytes() == (tmp_path / f"{name}.{suffix}").read_bytes(), name


def test_main_writes_the_figures_of_an_oxygen_scan_by_their_quantity(tables, tmp_path, capsys):
    assert plot.main([str(tables["oxygen"]), "-o", str(tmp_path)]) == 0
    # The oxygen ratio leaves the oxygen level out: one point, at the protons' LET.
    written = sorted(path.name for path in tmp_path.glob("*.png"))
    assert written == ["classes_vs_po2.png", "dsb_vs_po2.png", "oer_vs_let.png",
                       "ssb_vs_po2.png"]
    assert "rbe_vs_po2 skipped: the table has no column rbe_dsb" in capsys.readouterr().err


def test_main_names_a_reference_it_cannot_find_and_refuses_bad_tables(tables, tmp_path, capsys):
    moved = tmp_path / "moved.csv"
    moved.write_bytes(tables["particles"].read_bytes())
    assert plot.main([str(moved), "-o", str(tmp_path / "figures")]) == 0
    assert ("rbe_vs_let: the reference radiation is not named (the scan file particles.yaml "
            "is not beside the table; give it with --scan)") in capsys.readouterr().err
    scan_file = tables["particles"].with_suffix(".yaml")
    assert plot.main([str(moved), "-o", str(tmp_path / "again"), "--scan", str(scan_file)]) == 0
    assert "reference" not in capsys.readouterr().err
    svg = (tmp_path / "again" / "rbe_vs_let.svg").read_text(encoding="utf-8")
    assert "RBE for DSB induction against LET, reference 1 MeV e" in svg
    cases = [
        ([str(tmp_path / "missing.csv")], "missing.csv: no such file"),
        ([str(moved), "--scan", str(tmp_path / "none.yaml")],
         "none.yaml: the scan file cannot be read: No such file or directory"),
    ]
    for argv, message in cases:
        assert plot.main(argv) == 2
        assert message in capsys.readouterr().err


def test_the_build_trees_command_finds_its_package_and_version(tables, tmp_path):
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    version = subprocess.run([str(KESP_PLOT), "--version"], capture_output=True, text=True,
                             env=environment, timeout=120)
    assert (version.returncode, version.stdout) == (0, f"kesp-plot {kesp.__version__}\n")
    result = subprocess.run([str(KESP_PLOT), str(tables["oxygen"]), "-o", str(tmp_path)],
                            capture_output=True, text=True, env=environment, timeout=120)
    assert result.returncode == 0, result.stderr
    assert f"kesp-plot: wrote {tmp_path / 'dsb_vs_po2.svg'}" in result.stdout


def test_notes_arrive_as_warnings(tables):
    table = frame(tables["particles"])
    table.loc[0, "rbe_dsb_sem"] = float("nan")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        plot.rbe_figure(table)
    assert [str(w.message) for w in caught if w.category is plot.PlotWarning] == [
        "rbe_vs_let: 1 of 8 points have no SEM (runs of fewer than 2 cells) and are drawn "
        "without error bars"]


def test_the_installed_command_finds_the_installed_package(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(prefix)], check=True,
                   capture_output=True, timeout=300)
    # Moved after installation and called through a link, as a user's PATH may.
    moved = tmp_path / "moved"
    prefix.rename(moved)
    (tmp_path / "kesp-plot").symlink_to(moved / "bin" / "kesp-plot")
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    version = subprocess.run([str(tmp_path / "kesp-plot"), "--version"], capture_output=True,
                             text=True, env=environment, cwd=tmp_path, timeout=120)
    assert (version.returncode, version.stdout) == (0, f"kesp-plot {kesp.__version__}\n")


def test_without_pyyaml_the_reference_is_said_to_be_unnamed(tables, tmp_path, capsys,
                                                            monkeypatch):
    monkeypatch.setitem(sys.modules, "yaml", None)
    assert plot.main([str(tables["particles"]), "-o", str(tmp_path)]) == 0
    assert ("rbe_vs_let: the reference radiation is not named (reading the scan file needs "
            "PyYAML, Debian package python3-yaml)") in capsys.readouterr().err


def test_the_oer_figure_draws_the_tables_own_oer_at_the_highest_level(tables):
    table = frame(tables["particles"])
    axes = plot.oer_figure(table).axes[0]
    assert [container.get_label() for container in axes.containers] == ["p", "12C"]
    for container, particle in zip(axes.containers, ["p", "12C"]):
        rows = table[(table["PAR"] == particle) & (table["PO2"] == 21)].sort_values("let_kev_um")
        x, y = container.lines[0].get_data()
        assert list(x) == list(rows["let_kev_um"])
        assert list(y) == list(rows["oer_dsb"])
    # Both rows of a pair carry the ratio the figure draws.
    anoxic = table[table["PO2"] == 0].set_index(["PAR", "MEV/A"])["oer_dsb"]
    aerobic = table[table["PO2"] == 21].set_index(["PAR", "MEV/A"])["oer_dsb"]
    assert anoxic.equals(aerobic)


def test_an_oxygen_scan_of_one_listed_particle_is_drawn_against_oxygen(tables, tmp_path):
    path = run_scan(tmp_path, "oneParticle", OXYGEN_SCAN.replace(
        "vary:\n", "vary:\n  PAR: [p]\n").replace("  PAR: p\n  KE: 10\n", "  KE: 10\n"))
    table = frame(path)
    assert plot.x_quantity(table) == "PO2"
    assert plot.dsb_figure(table).axes[0].get_xlabel() == "oxygen (% O2)"
    assert "dsb_vs_po2" in plot.figures(table)


@pytest.mark.parametrize("change, message", [
    (lambda t: pd.concat([t, t[["dsb"]]], axis=1), "the table has the column dsb twice"),
    (lambda t: pd.concat([t, t.iloc[:1]]).set_axis([0] * (len(t) + 1)),
     "the same configuration (PO2 21) twice"),
    (lambda t: pd.DataFrame({"PAR": ["p", "4He", "12C"], "switches": "",
                             "particle": ["p", "4He", "12C"], "let_kev_um": [4.5, 0.0, -1.0],
                             "dsb": 1.0, "dsb_sem": 0.1, "dsb_per_gy_gbp": 0.2}),
     "row 1, column let_kev_um: '0' is not a positive LET"),
])
def test_tables_the_figures_cannot_use_get_a_clear_error(tables, change, message):
    table = frame(tables["oxygen"])
    with pytest.raises(plot.TableError) as refusal:
        plot.dsb_figure(change(table))
    assert message in str(refusal.value)


# Cell survival: the survival columns of a table and the survival curves of runs.

@pytest.fixture(scope="module")
def survival_table(tables):
    """The particle scan with survival columns against electrons run under its two oxygen levels."""
    table = frame(tables["particles"])
    reference = kesp.scan({"title": "reference", "cells": 4, "seed": 3, "vary": {"PO2": [21, 0]},
                           "fixed": {"PAR": "e", "KE": 1}}, progress=False, jobs=1)
    columns = kesp.survival.scan_survival(table, alpha_r_per_gy=0.2, beta_r_per_gy2=0.02, reference=reference,
                                          reference_doses_gy=[2, 0.5])
    return table.join(columns)


def test_alpha_beta_and_rbe_for_cell_killing_are_drawn_against_let(survival_table):
    figure = plot.alpha_beta_figure(survival_table, title="my scan")
    assert titles(figure) == ("alpha and beta of cell survival against LET", "my scan")
    assert [(a.get_title(), a.get_ylabel()) for a in figure.axes] == [
        ("alpha", "alpha (Gy⁻¹)"), ("beta", "beta (Gy⁻²)")]
    carbon = survival_table[(survival_table["PAR"] == "12C") & (survival_table["PO2"] == 0)].sort_values(
        "let_kev_um")
    x, y = figure.axes[1].containers[3].lines[0].get_data()
    assert list(x) == list(carbon["let_kev_um"]) and list(y) == list(carbon["beta_per_gy2"])
    rbe = plot.rbe_cell_killing_figure(survival_table, reference="1 MeV e")
    assert titles(rbe)[0] == "RBE for cell killing against LET, reference 1 MeV e"
    assert [a.get_title() for a in rbe.axes] == ["at 2 Gy of 1 MeV e", "at 0.5 Gy of 1 MeV e"]
    assert legend_texts(rbe) == ["p, 21 % O2", "p, 0 % O2 (anoxic)", "12C, 21 % O2", "12C, 0 % O2 (anoxic)"]
    x, y = rbe.axes[1].containers[2].lines[0].get_data()
    aerobic = survival_table[(survival_table["PAR"] == "12C") & (survival_table["PO2"] == 21)].sort_values(
        "let_kev_um")
    assert list(y) == list(aerobic["rbe_at_reference_dose_0.5gy"])
    one = plot.rbe_cell_killing_figure(survival_table, reference_doses_gy=[0.5])
    assert [a.get_title() for a in one.axes] == ["at 0.5 Gy of the reference radiation"]
    with pytest.raises(plot.FigureNotDrawable, match="no RBE at 3 Gy"):
        plot.rbe_cell_killing_figure(survival_table, reference_doses_gy=[3])
    with pytest.raises(plot.FigureNotDrawable, match="without survival columns"):
        plot.alpha_beta_figure(survival_table.drop(columns=["alpha_per_gy", "alpha_per_gy_sem"]))


def test_survival_figures_come_with_a_table_that_has_survival_columns_only(tables, survival_table, tmp_path):
    assert list(plot.figures(survival_table, reference="1 MeV e")) == [
        "dsb_vs_let", "ssb_vs_let", "rbe_vs_let", "oer_vs_let", "classes_vs_let", "alpha_beta_vs_let",
        "rbe_cell_killing_vs_let"]
    written = tmp_path / "survival.csv"
    survival_table.to_csv(written, index=False)
    assert plot.main([str(written), "-o", str(tmp_path)]) == 0
    assert (tmp_path / "rbe_cell_killing_vs_let.svg").is_file() and (tmp_path / "alpha_beta_vs_let.png").is_file()


def test_survival_curves_draw_each_radiation_against_its_reference():
    reference = kesp.run(kesp.particle("e", 1.0), cells=6, progress=False)
    reference_anoxic = kesp.run(kesp.particle("e", 1.0), cells=6, oxygen_percent=0.0, progress=False)
    cell = kesp.survival.CellLine(alpha_r_per_gy=0.2, beta_r_per_gy2=0.02, reference=reference)
    carbon = kesp.run(kesp.particle("12C", 60.0), cells=6, progress=False)
    anoxic = kesp.run(kesp.particle("12C", 60.0), cells=6, oxygen_percent=0.0, progress=False)
    curves = {"12C": cell.survival(carbon), "12C anoxic": cell.survival(anoxic, reference_here=reference_anoxic)}
    figure = plot.survival_curves_figure(curves, reference="1 MeV e", title="my cells")
    assert titles(figure) == ("Cell survival against 1 MeV e", "my cells")
    axes = figure.axes[0]
    assert axes.get_yscale() == "log" and axes.get_xlabel() == "dose (Gy)"
    assert [line.get_label() for line in axes.lines] == ["12C", "1 MeV e", "12C anoxic", "1 MeV e (12C anoxic)"]
    doses, fractions = axes.lines[0].get_data()
    assert list(fractions) == list(curves["12C"].survival_fraction(doses))
    # The doses reach the survival of 0.001 of the slowest killer, the anoxic reference.
    assert doses[0] == 0 and axes.lines[3].get_data()[1][-1] == pytest.approx(1e-3, rel=1e-9)
    assert axes.lines[1].get_linestyle() == "--"
    one = plot.survival_curves_figure(curves["12C"], max_dose_gy=4.0)
    assert one.axes[0].lines[0].get_data()[0][-1] == 4.0 and one.axes[0].lines[1].get_label() == "reference"
    with pytest.raises(ValueError, match="max_dose_gy"):
        plot.survival_curves_figure(curves, max_dose_gy=0.0)
