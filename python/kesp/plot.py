"""Figures of a scan table: DSB and SSB yields, RBE, OER and cluster classes,
and with survival columns alpha and beta and the RBE for cell killing; and
survival curves of runs (kesp.survival).

Each function takes a scan table, the pandas DataFrame that ``kesp.scan``
returns and ``pandas.read_csv(path, comment="#")`` reads from kesp-scan's
CSV, and returns a matplotlib Figure::

    table = pandas.read_csv("rbe.csv", comment="#")
    figure = kesp.plot.rbe_figure(table, title="my scan", reference="1 MeV e")
    figure.savefig("rbe.png")

A figure is titled by what it shows, with the scan's title below. Its x axis
is the LET (keV/µm) when the scan varies the particle or the field, else the
quantity the scan varies: the energy, the oxygen level or the DMSO
concentration, in that order of choice. Each curve is one combination of
the other varied items, named in the legend ("12C, 0 % O2 (anoxic)").

``main(argv)`` is the command kesp-plot: it writes every figure a table
file allows as PNG and SVG.
"""

from __future__ import annotations

import argparse
import inspect
import sys
import warnings
from pathlib import Path
from collections.abc import Callable, Mapping
from typing import TYPE_CHECKING, Optional, Sequence, TypeVar, Union

import matplotlib
import pandas as pd
from matplotlib.figure import Figure

from kesp._plot_figures import DRAWINGS, choose_axis, draw_figures, figure_name
from kesp._plot_output import GuardedStream, OutputError, output_directory, save_figure
from kesp._plot_survival import SURVIVAL_DRAWINGS, draw_rbe_cell_killing, survival_curves
from kesp._plot_table import (MAX_FIELDS, MAX_TABLE_BYTES, FigureNotDrawable, Scan, TableError,
                              read_scan, scan_file_reference, scan_from_frame)

if TYPE_CHECKING:
    from kesp.survival import Survival

__all__ = ["dsb_figure", "ssb_figure", "rbe_figure", "oer_figure", "classes_figure", "alpha_beta_figure",
           "rbe_cell_killing_figure", "survival_curves_figure", "figures",
           "x_quantity", "main", "TableError", "FigureNotDrawable", "PlotWarning"]

# The SVG ids of a figure are made from this text, so that the same figure
# gives the same file. The figures are drawn on their own canvases, never
# through pyplot.
matplotlib.rcParams["svg.hashsalt"] = "kesp-plot"


class PlotWarning(UserWarning):
    """A figure leaves something out.

    Curves or points beyond its limits, error bars of points without an
    SEM, the name of the reference.
    """


_Function = TypeVar("_Function", bound=Callable[..., object])

# The sections the docstrings of the figures of a table share: their
# parameters, what they return and what they raise.
_TABLE = """table : pandas.DataFrame
    A scan table (``kesp.scan``'s, or kesp-scan's CSV read with pandas)."""
_SURVIVAL_TABLE = """table : pandas.DataFrame
    A table with survival columns (kesp.survival.scan_survival's joined
    to a scan table, or kesp-scan's with a survival block)."""
_SURVIVAL_TABLE_AS_FOR_ALPHA_BETA = """table : pandas.DataFrame
    A table with survival columns, as for ``alpha_beta_figure``."""
_TITLE = """title : str, optional
    The scan's title, shown below the figure's (default:
    ``table.attrs["title"]``, else none)."""
_REFERENCE = """reference : str, optional
    The reference radiation in words ("1 MeV e"), named in the title and
    axis label (default: ``table.attrs["reference"]``)."""
_REFERENCE_DOSES = """reference_doses_gy : sequence of float, optional
    Draw only the panels of these reference doses, Gy."""
_FIGURE_RETURNS_AND_RAISES = """Returns
-------
matplotlib.figure.Figure
    The figure, drawn on its own canvas (not through pyplot).

Raises
------
FigureNotDrawable
    When the table lacks the figure's columns.
TableError
    When a value cannot be drawn."""


def _table_figure(*parameters: str) -> Callable[[_Function], _Function]:
    """Completes the docstring of a figure of a table with the shared sections."""
    def document(function: _Function) -> _Function:
        sections = "\n".join(["Parameters", "----------", *parameters])
        function.__doc__ = "\n\n".join([inspect.cleandoc(function.__doc__ or ""), sections,
                                          _FIGURE_RETURNS_AND_RAISES])
        return function
    return document


def public_figure(kind: str, table: pd.DataFrame, title: Optional[str],
                  reference: Optional[str] = None) -> Figure:
    """One figure of a DataFrame, its notes given as PlotWarning."""
    scan = scan_from_frame(table, title, reference)
    notes: list[str] = []
    figure = dict([*DRAWINGS, *SURVIVAL_DRAWINGS])[kind](scan, notes)
    for note in notes:
        warnings.warn(f"{figure_name(scan, kind)}: {note}", PlotWarning, stacklevel=3)
    return figure


@_table_figure(_TABLE, _TITLE)
def dsb_figure(table: pd.DataFrame, *, title: Optional[str] = None) -> Figure:
    """DSB per Gy per Gbp with one SEM as error bars.

    One curve per combination of the varied items.

    """
    return public_figure("dsb", table, title)


@_table_figure(_TABLE, _TITLE)
def ssb_figure(table: pd.DataFrame, *, title: Optional[str] = None) -> Figure:
    """SSB per Gy per Gbp with one SEM as error bars; as dsb_figure.

    """
    return public_figure("ssb", table, title)


@_table_figure(_TABLE, _TITLE, _REFERENCE)
def rbe_figure(table: pd.DataFrame, *, title: Optional[str] = None,
               reference: Optional[str] = None) -> Figure:
    """RBE for DSB induction (rbe_dsb) with one SEM, a grey line at 1.

    """
    return public_figure("rbe", table, title, reference)


@_table_figure(_TABLE, _TITLE)
def oer_figure(table: pd.DataFrame, *, title: Optional[str] = None) -> Figure:
    """The OER for DSB induction, with its propagated SEM.

    The DSB yield at the scan's highest oxygen level (PO2 in % O2 or MMHG
    in mmHg) over that at its lowest, from the pairs of rows that differ
    only in the oxygen level.

    """
    return public_figure("oer", table, title)


@_table_figure(_TABLE, _TITLE)
def classes_figure(table: pd.DataFrame, *, title: Optional[str] = None) -> Figure:
    """The shares (%) of the cluster classes of all clusters, one panel per class.

    The classes BD, SSB, SSB+, 2SSB, DSB, DSB+ and DSB++.

    """
    return public_figure("classes", table, title)


@_table_figure(_SURVIVAL_TABLE, _TITLE)
def alpha_beta_figure(table: pd.DataFrame, *, title: Optional[str] = None) -> Figure:
    """alpha (Gy⁻¹) and beta (Gy⁻²) of cell survival with one SEM, side by side.

    """
    return public_figure("alpha_beta", table, title)


@_table_figure(_SURVIVAL_TABLE_AS_FOR_ALPHA_BETA, _TITLE, _REFERENCE, _REFERENCE_DOSES)
def rbe_cell_killing_figure(table: pd.DataFrame, *, title: Optional[str] = None,
                            reference: Optional[str] = None,
                            reference_doses_gy: Optional[Sequence[float]] = None) -> Figure:
    """The RBE for cell killing with one SEM, a grey line at 1.

    A panel per reference dose of the table's rbe_at_reference_dose_<d>gy
    columns.

    """
    scan = scan_from_frame(table, title, reference)
    notes: list[str] = []
    figure = draw_rbe_cell_killing(scan, notes, reference_doses_gy)
    for note in notes:
        warnings.warn(f"{figure_name(scan, 'rbe_cell_killing')}: {note}", PlotWarning, stacklevel=2)
    return figure


def survival_curves_figure(survivals: Union[Survival, Mapping[str, Survival]], *,
                           max_dose_gy: Optional[float] = None, reference: Optional[str] = None,
                           title: Optional[str] = None) -> Figure:
    """Survival curves: the surviving fraction (logarithmic axis) against dose (Gy).

    Each reference radiation is drawn dashed.

    Parameters
    ----------
    survivals : kesp.survival.Survival or mapping of str to it
        One radiation, or several by their legend label.
    max_dose_gy : float, optional
        The dose axis's end (default: where the last curve, references
        included, reaches a survival of 0.001).
    reference : str, optional
        The reference radiation in words ("1 MeV e").
    title : str, optional
        The figure's title.

    Returns
    -------
    matplotlib.figure.Figure
        The figure, drawn on its own canvas (not through pyplot).
    """
    return survival_curves(survivals, max_dose_gy, reference, title)


def figures(table: pd.DataFrame, *, title: Optional[str] = None,
            reference: Optional[str] = None) -> dict[str, Figure]:
    """Every figure the table allows.

    Parameters
    ----------
    table : pandas.DataFrame
        A scan table (``kesp.scan``'s, or kesp-scan's CSV read with pandas).
    title : str, optional
        The scan's title, shown below the figure's (default:
        ``table.attrs["title"]``, else none).
    reference : str, optional
        The reference radiation in words ("1 MeV e"), named in the title and
        axis label (default: ``table.attrs["reference"]``).

    Returns
    -------
    dict of str to matplotlib.figure.Figure
        The figures by the name kesp-plot writes them under (dsb_vs_let,
        rbe_vs_let, ...).

    Raises
    ------
    TableError
        When the table allows none.
    """
    scan = scan_from_frame(table, title, reference)
    drawn, _, notes = draw_figures(scan)
    for name, texts in notes.items():
        for text in texts:
            warnings.warn(f"{name}: {text}", PlotWarning, stacklevel=2)
    return drawn


def x_quantity(table: pd.DataFrame) -> str:
    """The column the figures (but the OER's) plot against.

    Parameters
    ----------
    table : pandas.DataFrame
        A scan table (``kesp.scan``'s, or kesp-scan's CSV read with pandas).

    Returns
    -------
    str
        let_kev_um, KE, MEV/A, PO2, MMHG or CONC.
    """
    return choose_axis(scan_from_frame(table, "", "")).column


def parse_arguments(argv: Sequence[str]) -> argparse.Namespace:
    from kesp import __version__

    parser = argparse.ArgumentParser(
        prog="kesp-plot",
        description="Draws the figures of a kesp-scan table as PNG and SVG: dsb_vs_X and "
                    "ssb_vs_X (DSB and SSB per Gy per Gbp), rbe_vs_X (RBE for DSB induction; "
                    "a scan with a reference), oer_vs_X (DSB yield at the highest over the "
                    "lowest oxygen level; a scan that varies PO2 or MMHG) and classes_vs_X "
                    "(the shares of the cluster classes of TABLE 1), and for a table with "
                    "survival columns alpha_beta_vs_X (alpha and beta of cell survival) and "
                    "rbe_cell_killing_vs_X (RBE for cell killing at each reference dose). "
                    "X is let (the LET) when "
                    "the scan varies the particle or field, else the first of energy, po2, "
                    "mmhg and conc it varies.",
        epilog="Exit status: 0 figures written (those the table does not allow, and curves "
               "or points a figure leaves out, are named on stderr); 1 something could not be "
               "written: a figure, its folder, the standard output or error (closed by its "
               "reader, a full disk); 2 the table or the command line was refused (also a "
               f"table over {MAX_TABLE_BYTES // 2**20} MiB or {MAX_FIELDS} fields, a repeated "
               "configuration, a value beyond ±1e15 or a negative SEM); 130 interrupted.")
    parser.add_argument("table", type=Path, help="the CSV table written by kesp-scan")
    parser.add_argument("-o", "--output", type=Path, metavar="DIR",
                        help="folder for the figures (made if missing); "
                             "by default the table's folder")
    parser.add_argument("--scan", type=Path, metavar="FILE",
                        help="the scan file of the table, for the name of its reference "
                             "radiation; by default the one the table names, beside the table")
    parser.add_argument("--version", action="version", version=f"kesp-plot {__version__}")
    return parser.parse_args(argv)


def find_reference(scan: Scan, scan_file: Optional[Path], notes: list[str]) -> str:
    """The reference radiation of the table's scan file, in words.

    The file
    given, or the one the table names, beside the table. A table whose scan
    file is not found gets a note instead.
    """
    if scan_file is None and scan.scan_file_name:
        beside = scan.path.parent / Path(scan.scan_file_name).name
        scan_file = beside if beside.is_file() else None
    if scan_file is None:
        where = f"the scan file {scan.scan_file_name} is not beside the table" \
            if scan.scan_file_name else "the table names no scan file"
        notes.append(f"the reference radiation is not named ({where}; give it with --scan)")
        return ""
    try:
        return scan_file_reference(scan_file)
    except ImportError:
        notes.append("the reference radiation is not named (reading the scan file needs "
                     "PyYAML, Debian package python3-yaml)")
        return ""


def run(argv: Sequence[str]) -> None:
    """Reads the table, draws the figures and writes them."""
    options = parse_arguments(argv)
    scan = read_scan(options.table)
    reference_notes: list[str] = []
    if "rbe_dsb" in scan.table.columns:
        scan.reference = find_reference(scan, options.scan, reference_notes)
    drawn, skipped, notes = draw_figures(scan)
    rbe_name = figure_name(scan, "rbe")
    if rbe_name in notes:
        notes[rbe_name] = reference_notes + notes[rbe_name]
    for name, reason in skipped.items():
        print(f"kesp-plot: {scan.path}: {name} skipped: {reason}", file=sys.stderr)
    for name, texts in notes.items():
        for text in texts:
            print(f"kesp-plot: {scan.path}: {name}: {text}", file=sys.stderr)
    directory = output_directory(options.output or options.table.parent)
    for name, figure in drawn.items():
        for path in save_figure(figure, directory, name):
            print(f"kesp-plot: wrote {path}")


def main(argv: Optional[Sequence[str]] = None) -> int:
    """The program kesp-plot: the figures of a kesp-scan table file.

    Parameters
    ----------
    argv : sequence of str, optional
        The command line without the program's name (default: sys.argv[1:]).

    Returns
    -------
    int
        The exit status: 0 written, 1 an output could not be written, 2 the
        table or the command line was refused, 130 interrupted.
    """
    problems: list[str] = []
    saved = sys.stdout, sys.stderr
    sys.stdout = GuardedStream(sys.stdout, "standard output", problems)
    sys.stderr = GuardedStream(sys.stderr, "standard error", problems)
    try:
        status = run_guarded(sys.argv[1:] if argv is None else list(argv))
        if problems and status == 0:
            # What was written stays; the output that could not be is the error.
            print(f"kesp-plot: {problems[0]}", file=sys.stderr)
            status = 1
    finally:
        sys.stdout, sys.stderr = saved
    return status


def run_guarded(argv: list[str]) -> int:
    """Runs the command; its errors become the exit status and a message."""
    try:
        run(argv)
        return 0
    except SystemExit as end:  # argparse: --help, --version, a wrong command line
        return int(end.code or 0)
    except TableError as error:
        print(f"kesp-plot: {error}", file=sys.stderr)
        return 2
    except OutputError as error:
        print(f"kesp-plot: {error}", file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        return 130
