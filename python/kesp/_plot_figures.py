"""Drawing the figures of a scan: the quantity along the x axis, the
curves and their legends, and one function per figure that takes a Scan and
a list for its notes (what it leaves out) and returns a matplotlib Figure.
"""

from __future__ import annotations

from dataclasses import dataclass
from typing import Callable, Optional, Sequence

import numpy as np
import pandas as pd
from matplotlib.axes import Axes
from matplotlib.figure import Figure, SubFigure

from kesp._plot_table import (CLASS_NAMES, CURVE_COLUMNS, ENERGY_ITEMS, MAX_VALUE, OXYGEN_ITEMS,
                              FigureNotDrawable, Scan, TableError, refuse_repeat)

LINE_STYLES = ("-", "--", ":", "-.")
MARKERS = ("o", "s", "^", "D", "v", "P")
# What one figure shows: the first curves in the table's order, and of a
# curve with more points that many, evenly spread over its x range.
MAX_CURVES = 20
MAX_POINTS = 1000


@dataclass(frozen=True)
class XAxis:
    """The quantity along a figure's x axis.

    Its column, axis label, name
    in file names (dsb_vs_let), name in notes, and whether the axis is
    logarithmic (None: logarithmic when its values are positive and span a
    factor of 10 or more).
    """
    column: str
    label: str
    name: str
    what: str
    log: Optional[bool]


LET_AXIS = XAxis("let_kev_um", "LET (keV/µm)", "let", "LET", True)
# In the order the x quantity is chosen among the items a scan varies.
ITEM_AXES = {
    "KE": XAxis("KE", "energy (MeV)", "energy", "energy", True),
    "MEV/A": XAxis("MEV/A", "energy per nucleon (MeV/u)", "energy", "energy", True),
    "PO2": XAxis("PO2", "oxygen (% O2)", "po2", "oxygen level", None),
    "MMHG": XAxis("MMHG", "oxygen partial pressure (mmHg)", "mmhg", "oxygen level", None),
    "CONC": XAxis("CONC", "DMSO concentration (mol/dm³)", "conc", "DMSO concentration", None),
}


def choose_axis(scan: Scan, leave_out: Sequence[str] = ()) -> XAxis:
    """The x axis of the scan's figures.

    LET when the scan varies the particle or the field over two or more
    values (or nothing the axes know), else the first item of ITEM_AXES it
    varies over two or more values.
    """
    if any(varies(scan, column) for column in ("PAR", "FN")):
        return LET_AXIS
    for column, axis in ITEM_AXES.items():
        if column not in leave_out and varies(scan, column):
            return axis
    return LET_AXIS


def varies(scan: Scan, column: str) -> bool:
    """Whether the scan varies the item over two or more values.

    An item
    listed under vary with one value does not move a point.
    """
    return column in scan.varied and scan.texts((column,))[column].nunique() > 1


def curve_keys(scan: Scan, axis: XAxis, leave_out: Sequence[str] = ()) -> list[str]:
    """The columns whose values tell the curves apart.

    Every varied item
    but the x quantity and the energy (which moves a point along the LET),
    and the particle when the scan varies neither it nor the field.
    """
    keys = [column for column in scan.varied if column not in ENERGY_ITEMS
            and column != axis.column and column not in leave_out]
    if "PAR" not in keys and "FN" not in keys:
        keys.insert(0, "particle")
    return keys


def value_label(key: str, value: str) -> str:
    """One varied item's value as a legend says it.

    "21 % O2",
    "0 % O2 (anoxic)", "0.5 mol/dm³ DMSO", "10 MeV/u".
    """
    units = {"PO2": "% O2", "MMHG": "mmHg O2", "CONC": "mol/dm³ DMSO", "KE": "MeV",
             "MEV/A": "MeV/u"}
    if key in ("PAR", "particle"):
        return value
    if key not in units:
        return f"{key} {value}"
    anoxic = key in OXYGEN_ITEMS and pd.to_numeric(value, errors="coerce") == 0
    return f"{value} {units[key]}" + (" (anoxic)" if anoxic else "")


def curve_label(keys: Sequence[str], values: Sequence[str]) -> str:
    return ", ".join(value_label(key, value) for key, value in zip(keys, values))


@dataclass
class Curve:
    """The points of one curve, their legend label and their line style."""
    label: str
    points: pd.DataFrame
    style: dict


def split_curves(points: pd.DataFrame, keys: list[str], axis: XAxis,
                 notes: list[str]) -> list[Curve]:
    """One curve per combination of the key columns.

    In scan order, sorted
    along the x axis; at most MAX_CURVES of them with at most MAX_POINTS
    points each, and a note for each limit reached. The colour tells apart
    the values of the first key that has more than one (the particle), the
    line style and marker the combinations of the other keys (the oxygen
    level).
    """
    grouper = keys[0] if len(keys) == 1 else keys
    groups = list(points.groupby(grouper, sort=False))
    if len(groups) > MAX_CURVES:
        notes.append(f"{len(groups)} curves; the first {MAX_CURVES} in the table's order "
                     f"are drawn")
        groups = groups[:MAX_CURVES]
    groups = [(values if isinstance(values, tuple) else (values,), frame)
              for values, frame in groups]
    if any(len(frame) > MAX_POINTS for _, frame in groups):
        notes.append(f"curves of more than {MAX_POINTS} points; {MAX_POINTS} of each, "
                     f"evenly spread over its {axis.what}, are drawn")
    varying = [i for i in range(len(keys)) if len({values[i] for values, _ in groups}) > 1]
    first = varying[0] if varying else 0
    colours = {value: i for i, value in enumerate(dict.fromkeys(v[first] for v, _ in groups))}
    kinds = {kind: i for i, kind in enumerate(dict.fromkeys(v[:first] + v[first + 1:]
                                                             for v, _ in groups))}
    curves = []
    for values, frame in groups:
        kind = kinds[values[:first] + values[first + 1:]]
        style = {"color": f"C{colours[values[first]] % 10}",
                 "linestyle": LINE_STYLES[kind % len(LINE_STYLES)],
                 "marker": MARKERS[kind % len(MARKERS)]}
        curves.append(Curve(curve_label(keys, values), thinned(frame.sort_values("x")), style))
    return curves


def thinned(frame: pd.DataFrame) -> pd.DataFrame:
    """At most MAX_POINTS rows of the frame, evenly spread, first and last kept."""
    if len(frame) <= MAX_POINTS:
        return frame
    return frame.iloc[np.unique(np.linspace(0, len(frame) - 1, MAX_POINTS).round().astype(int))]


def curve_points(scan: Scan, columns: Sequence[str], axis: XAxis,
                 keys: list[str]) -> pd.DataFrame:
    """The points of the curves, for the rows that have a value.

    The text of the curve keys beside the numbers of the columns and the
    x values (column x), for the rows that have a value in the first column.
    """
    scan.require(CURVE_COLUMNS[:2] + (axis.column,))
    x = scan.numbers((axis.column,))[axis.column].rename("x")
    points = scan.texts(keys).join(x).join(scan.numbers(tuple(columns)))
    return points_on_axis(scan, points.dropna(subset=columns[:1]), axis)


def points_on_axis(scan: Scan, points: pd.DataFrame, axis: XAxis) -> pd.DataFrame:
    """A logarithmic axis takes positive values only; the first other one is refused."""
    if axis.log:
        not_positive = ~(points["x"] > 0)
        if not_positive.any():
            line = not_positive.idxmax()
            what = "LET" if axis is LET_AXIS else axis.what
            raise TableError(f"{scan.place(line)}, column {axis.column}: "
                             f"{scan.texts((axis.column,)).at[line, axis.column]!r} "
                             f"is not a positive {what}")
    return points


def new_figure(scan: Scan, title: str, size: tuple[float, float] = (6.4, 4.8)
               ) -> tuple[Figure, SubFigure]:
    """A figure titled by what it shows.

    With the scan's title below, and
    the part of it that takes the panels.
    """
    figure = Figure(figsize=size, layout="constrained")
    figure.suptitle(title, fontsize="large")
    body = figure.subfigures(1, 1)
    if scan.title:
        # The scan's title is the user's text, shown as it is, not as TeX.
        body.suptitle(scan.title, fontsize="medium", color="0.3", parse_math=False)
    return figure, body


def draw_curves(axes: Axes, curves: list[Curve], axis: XAxis, column: str,
                sem_column: Optional[str]) -> None:
    for curve in curves:
        points = curve.points
        # A point without an SEM (an empty field) has no error bar; matplotlib
        # takes no error bars at all only as None.
        errors = points[sem_column] if sem_column else None
        if errors is not None and errors.isna().all():
            errors = None
        axes.errorbar(points["x"], points[column], yerr=errors, label=curve.label,
                      capsize=2, markersize=4, linewidth=1, **curve.style)
    if logarithmic(axis, curves):
        axes.set_xscale("log")
    axes.set_xlabel(axis.label)
    axes.grid(True, which="both", linewidth=0.3, alpha=0.5)


def logarithmic(axis: XAxis, curves: list[Curve]) -> bool:
    if axis.log is not None:
        return axis.log
    values = pd.concat([curve.points["x"] for curve in curves])
    return bool((values > 0).all() and values.max() >= 10 * values.min())


def add_legend(axes: Axes, curves: list[Curve]) -> None:
    # Many curves go beside the plot, where they hide no points.
    if len(curves) > 6:
        literal(axes.legend(fontsize="small", loc="upper left", bbox_to_anchor=(1.02, 1)))
    else:
        literal(axes.legend(fontsize="small"))


def literal(legend) -> None:
    """The labels are values from the table, shown as they are, not as TeX."""
    for text in legend.get_texts():
        text.set_parse_math(False)


def single_panel(scan: Scan, title: str, curves: list[Curve], axis: XAxis, column: str,
                 sem_column: str, y_label: str) -> Figure:
    if not curves:
        raise FigureNotDrawable(f"no row has a value of {column}")
    figure, body = new_figure(scan, title)
    axes = body.add_subplot()
    draw_curves(axes, curves, axis, column, sem_column)
    axes.set_ylabel(y_label)
    add_legend(axes, curves)
    return figure


def check_drawable(scan: Scan, values: pd.Series, what: str) -> None:
    """A value worked out from a row that would overflow the axes is refused."""
    bad = values.notna() & ~(values.abs() <= MAX_VALUE)
    if bad.any():
        line = bad.idxmax()
        raise TableError(f"{scan.place(line)}: {what} is {values[line]:g}, "
                         f"too large to draw (beyond ±{MAX_VALUE:g})")


def note_missing_sem(points: pd.DataFrame, sem_column: str, notes: list[str]) -> None:
    """Note the points drawn without an SEM.

    A point without an SEM (a run of fewer than 2 cells) is drawn without
    an error bar, which a reader could take for a precise one: say so.
    """
    missing = int(points[sem_column].isna().sum())
    if missing:
        notes.append(f"{missing} of {len(points)} points have no SEM (runs of fewer than 2 cells) "
                     f"and are drawn without error bars")


def yield_figure(scan: Scan, notes: list[str], kind: str) -> Figure:
    """The yield of DSB or SSB per Gy per Gbp.

    The yield of DSB or SSB (kind "dsb" or "ssb") per Gy per Gbp, whose
    SEM is the SEM per cell scaled like the yield.
    """
    per_cell, sem, per_gbp = kind, f"{kind}_sem", f"{kind}_per_gy_gbp"
    scan.require((per_cell, sem, per_gbp))
    axis = choose_axis(scan)
    keys = curve_keys(scan, axis)
    points = curve_points(scan, (per_gbp, per_cell, sem), axis, keys)
    with np.errstate(divide="ignore", invalid="ignore", over="ignore"):
        scale = points[per_gbp] / points[per_cell]
        points[per_gbp + "_sem"] = (points[sem] * scale).where(points[per_cell] != 0, 0)
    check_drawable(scan, points[per_gbp + "_sem"],
                   f"the SEM of {per_gbp} ({sem} x {per_gbp} / {per_cell})")
    note_missing_sem(points, per_gbp + "_sem", notes)
    name = kind.upper()
    figure = single_panel(scan, f"{name} yield against {axis.what}",
                          split_curves(points, keys, axis, notes), axis, per_gbp,
                          per_gbp + "_sem", f"{name} per Gy per Gbp")
    figure.axes[0].set_ylim(bottom=0)
    return figure


def draw_dsb(scan: Scan, notes: list[str]) -> Figure:
    return yield_figure(scan, notes, "dsb")


def draw_ssb(scan: Scan, notes: list[str]) -> Figure:
    return yield_figure(scan, notes, "ssb")


def draw_rbe(scan: Scan, notes: list[str]) -> Figure:
    columns = ("rbe_dsb", "rbe_dsb_sem")
    scan.require(columns, likely_cause="a scan without a reference")
    axis = choose_axis(scan)
    keys = curve_keys(scan, axis)
    points = curve_points(scan, columns, axis, keys)
    note_missing_sem(points, "rbe_dsb_sem", notes)
    reference = scan.reference or "the scan's reference radiation"
    title = f"RBE for DSB induction against {axis.what}" + (
        f", reference {scan.reference}" if scan.reference else "")
    figure = single_panel(scan, title, split_curves(points, keys, axis, notes), axis, "rbe_dsb",
                          "rbe_dsb_sem",
                          f"RBE for DSB induction\n(DSB yield / that of {reference})")
    figure.axes[0].axhline(1, color="grey", linewidth=0.8)
    return figure


def oxygen_column(scan: Scan) -> str:
    for column in OXYGEN_ITEMS:
        if column in scan.varied:
            return column
    raise FigureNotDrawable("the scan does not vary PO2 or MMHG")


def oer_points(scan: Scan) -> tuple[pd.DataFrame, list[str], XAxis, str, tuple[float, float]]:
    """The OER of each pair of rows that differ only in the oxygen level.

    The pair: the one at the scan's highest level and the one at its lowest, as the
    table gives it (oer_dsb, oer_dsb_sem on both rows of a pair), drawn at
    the row at the highest level. Returns the points (indexed by that row),
    the curve keys, the x axis, the oxygen column and its two levels.
    """
    oxygen = oxygen_column(scan)
    scan.require(("oer_dsb", "oer_dsb_sem"),
                 likely_cause="a table written before kesp-scan gave the OER")
    levels = scan.numbers((oxygen,))[oxygen]
    high, low = levels.max(), levels.min()
    if high == low:
        raise FigureNotDrawable(f"the scan has one {oxygen} level only")
    axis = choose_axis(scan, leave_out=(oxygen,))
    keys = curve_keys(scan, axis, leave_out=(oxygen,))
    pair_keys = list(dict.fromkeys([c for c in scan.varied if c != oxygen] + keys))
    scan.require(CURVE_COLUMNS[:2] + (axis.column,))
    rows = scan.texts(pair_keys).join(scan.numbers((axis.column,))[axis.column].rename("x"))
    ratios = scan.numbers(("oer_dsb", "oer_dsb_sem")).rename(
        columns={"oer_dsb": "oer", "oer_dsb_sem": "oer_sem"})
    rows = rows.join(ratios)
    # A configuration repeated at either end of the pairs (21 and 21.0) is refused.
    lines_by_key(scan, rows[levels == low], pair_keys, oxygen)
    rows = points_on_axis(scan, rows[levels == high], axis)
    pairs = rows.loc[list(lines_by_key(scan, rows, pair_keys, oxygen).values())]
    return pairs.dropna(subset=["oer"]), keys, axis, oxygen, (high, low)


def lines_by_key(scan: Scan, rows: pd.DataFrame, keys: list[str], oxygen: str) -> dict:
    """The line of each row by the values of its keys.

    In table order; rows
    of the same keys (at the same oxygen level) are refused.
    """
    lines: dict = {}
    for line, key in zip(rows.index, rows[keys].itertuples(index=False, name=None)):
        if key in lines:
            refuse_repeat(scan, lines[key], line, keys + [oxygen])
        lines[key] = line
    return lines


def draw_oer(scan: Scan, notes: list[str]) -> Figure:
    pairs, keys, axis, oxygen, (high, low) = oer_points(scan)
    if pairs.empty:
        raise FigureNotDrawable(f"no row at {oxygen} {high:g} has a DSB yield "
                                f"and a partner at {oxygen} {low:g}")
    note_missing_sem(pairs, "oer_sem", notes)
    high_text, low_text = value_label(oxygen, f"{high:g}"), value_label(oxygen, f"{low:g}")
    return single_panel(scan, f"OER for DSB induction against {axis.what}",
                        split_curves(pairs, keys, axis, notes), axis, "oer", "oer_sem",
                        f"OER for DSB induction\n(DSB yield at {high_text} / at {low_text})")


def draw_classes(scan: Scan, notes: list[str]) -> Figure:
    columns = tuple(CLASS_NAMES)
    scan.require(columns)
    axis = choose_axis(scan)
    keys = curve_keys(scan, axis)
    curves = split_curves(curve_points(scan, columns, axis, keys), keys, axis, notes)
    if not curves:
        raise FigureNotDrawable("no row has a value of pct_bd")
    figure, body = new_figure(scan, f"Shares of the cluster classes against {axis.what}",
                              size=(12, 6.4))
    panels = body.subplots(2, 4, sharex=True).flat
    for axes, column in zip(panels, columns):
        draw_curves(axes, curves, axis, column, None)
        axes.set_title(CLASS_NAMES[column], fontsize="medium")
        axes.set_ylim(bottom=0)
    for axes in figure.axes[0::4]:
        axes.set_ylabel("share of clusters (%)")
    # The last panel of the top row has the legend, not a panel, below it.
    for axes in figure.axes[:3]:
        axes.set_xlabel("")
    for axes in figure.axes[3:7]:
        axes.tick_params(labelbottom=True)
    legend_panel = figure.axes[7]
    legend_panel.axis("off")
    literal(legend_panel.legend(*figure.axes[0].get_legend_handles_labels(), loc="center",
                                fontsize="small"))
    return figure


Drawing = Callable[[Scan, list], Figure]
# The figures in the order they are written: the kind of each (its name is
# KIND_vs_X) and its drawing.
DRAWINGS: tuple[tuple[str, Drawing], ...] = (
    ("dsb", draw_dsb), ("ssb", draw_ssb), ("rbe", draw_rbe), ("oer", draw_oer),
    ("classes", draw_classes))


def figure_name(scan: Scan, kind: str) -> str:
    """The file name of a figure: dsb_vs_let, oer_vs_energy, dsb_vs_po2 ..."""
    leave_out = OXYGEN_ITEMS if kind == "oer" else ()
    return f"{kind}_vs_{choose_axis(scan, leave_out).name}"


def draw_figures(scan: Scan) -> tuple[dict[str, Figure], dict[str, str], dict[str, list[str]]]:
    """The figures the table allows, with the notes on them.

    The figures the table allows, by name, the reasons of the others and
    what the drawn ones leave out, each as a list of notes by name.
    """
    from kesp._plot_survival import SURVIVAL_DRAWINGS

    drawn, skipped, notes = {}, {}, {}
    # A table with survival columns has their figures too.
    survival = SURVIVAL_DRAWINGS if "alpha_per_gy" in scan.table.columns else ()
    for kind, draw in DRAWINGS + survival:
        name = figure_name(scan, kind)
        notes[name] = []
        try:
            drawn[name] = draw(scan, notes[name])
        except FigureNotDrawable as reason:
            skipped[name] = str(reason)
    if not drawn:
        reasons = "".join(f"\n  {name}: {reason}" for name, reason in skipped.items())
        physics_only = "repair_probability" in scan.table.columns \
            and "dsb" not in scan.table.columns
        hint = "\n(a table written with kesp-scan --physics-only holds no damage yields)" \
            if physics_only else ""
        raise TableError(f"{scan.name}: no figure can be drawn from this table:{reasons}{hint}")
    return drawn, skipped, {name: notes[name] for name in drawn}
