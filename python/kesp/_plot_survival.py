"""Figures of cell survival: alpha and beta and the RBE for cell killing of
a scan table's survival columns against the x quantity, and survival curves
of runs against their reference radiation.
"""

from __future__ import annotations

import re
from collections.abc import Mapping
from typing import TYPE_CHECKING, Optional, Sequence, Union

import numpy as np
from matplotlib.figure import Figure

from kesp._plot_figures import (Curve, XAxis, add_legend, choose_axis, curve_keys, curve_points, draw_curves,
                                literal, new_figure, note_missing_sem, split_curves)
from kesp._plot_table import FigureNotDrawable, Scan

if TYPE_CHECKING:
    from kesp.survival import Survival

# rbe_at_reference_dose_2gy, rbe_at_reference_dose_0.5gy ...
RBE_AT_DOSE = re.compile(r"^rbe_at_reference_dose_(.+)gy$")
# The survival down to which the curves are drawn unless a largest dose is given.
LOWEST_SURVIVAL = 1e-3
CURVE_POINTS = 201


def panel_curves(scan: Scan, column: str, axis: XAxis, keys: list[str], notes: list[str]) -> list[Curve]:
    points = curve_points(scan, (column, column + "_sem"), axis, keys)
    note_missing_sem(points, column + "_sem", notes)
    return split_curves(points, keys, axis, notes)


def draw_panels(scan: Scan, title: str, panels: Sequence[tuple[str, str, str]], notes: list[str]) -> Figure:
    """Panels side by side with error bars.

    Panels side by side, one per (column, panel title, y label) with its
    _sem as error bars, the legend in the first that has curves.
    """
    scan.require(tuple(c for column, _, _ in panels for c in (column, column + "_sem")),
                 likely_cause="a table without survival columns")
    axis = choose_axis(scan)
    keys = curve_keys(scan, axis)
    curves = [panel_curves(scan, column, axis, keys, notes) for column, _, _ in panels]
    if not any(curves):
        raise FigureNotDrawable(f"no row has a value of {panels[0][0]}")
    figure, body = new_figure(scan, title, size=(5.2 * len(panels), 4.8))
    for axes, drawn, (column, panel_title, y_label) in zip(np.atleast_1d(body.subplots(1, len(panels))), curves,
                                                           panels):
        if drawn:
            draw_curves(axes, drawn, axis, column, column + "_sem")
        else:
            notes.append(f"no row has a value of {column}: its panel is empty")
        axes.set_title(panel_title, fontsize="medium")
        axes.set_ylabel(y_label)
    first = next(i for i, drawn in enumerate(curves) if drawn)
    add_legend(figure.axes[first], curves[first])
    return figure


def draw_alpha_beta(scan: Scan, notes: list[str]) -> Figure:
    axis = choose_axis(scan)
    figure = draw_panels(scan, f"alpha and beta of cell survival against {axis.what}",
                         (("alpha_per_gy", "alpha", "alpha (Gy⁻¹)"), ("beta_per_gy2", "beta", "beta (Gy⁻²)")),
                         notes)
    for axes in figure.axes:
        axes.set_ylim(bottom=0)
    return figure


def rbe_dose_columns(scan: Scan, doses: Optional[Sequence[float]] = None) -> list[tuple[str, str]]:
    """The RBE columns at reference doses.

    (column, dose text), in the table's
    order; of the doses given only, when given.
    """
    found = [(c, m.group(1)) for c in scan.table.columns if (m := RBE_AT_DOSE.match(str(c)))]
    if doses is not None:
        wanted = {float(d) for d in doses}
        lacking = wanted - {float(d) for _, d in found}
        if lacking:
            raise FigureNotDrawable(f"the table has no RBE at {', '.join(f'{d:g}' for d in sorted(lacking))} Gy")
        found = [(c, d) for c, d in found if float(d) in wanted]
    if not found:
        raise FigureNotDrawable("the table has no column rbe_at_reference_dose_<d>gy "
                                "(a table without survival columns)")
    return found


def draw_rbe_cell_killing(scan: Scan, notes: list[str], doses: Optional[Sequence[float]] = None) -> Figure:
    axis = choose_axis(scan)
    reference = scan.reference or "the reference radiation"
    title = f"RBE for cell killing against {axis.what}" + (f", reference {scan.reference}" if scan.reference else "")
    panels = [(column, f"at {dose} Gy of {reference}", "RBE for cell killing")
              for column, dose in rbe_dose_columns(scan, doses)]
    figure = draw_panels(scan, title, panels, notes)
    for axes in figure.axes:
        axes.axhline(1, color="grey", linewidth=0.8)
    return figure


def survival_curves(survivals: Union[Survival, Mapping[str, Survival]], max_dose_gy: Optional[float],
                    reference: Optional[str], title: Optional[str]) -> Figure:
    """Survival against dose on a logarithmic axis.

    Each radiation's curve
    with that of its reference radiation dashed.
    """
    from kesp.survival import Survival

    named = {"radiation": survivals} if isinstance(survivals, Survival) else dict(survivals)
    if not named:
        raise FigureNotDrawable("no survival to draw")
    if max_dose_gy is None:
        max_dose_gy = max(dose for s in named.values() for dose in lowest_survival_doses(s))
    if not max_dose_gy > 0:
        raise ValueError(f"max_dose_gy: give a dose above 0 Gy, not {max_dose_gy}")
    doses = np.linspace(0.0, max_dose_gy, CURVE_POINTS)
    figure = Figure(figsize=(6.4, 4.8), layout="constrained")
    figure.suptitle("Cell survival" + (f" against {reference}" if reference else ""), fontsize="large")
    body = figure.subfigures(1, 1)
    if title:
        body.suptitle(title, fontsize="medium", color="0.3", parse_math=False)
    axes = body.add_subplot()
    drawn_references: dict[tuple[float, float], str] = {}
    for i, (label, result) in enumerate(named.items()):
        axes.plot(doses, result.survival_fraction(doses), color=f"C{i % 10}", label=label)
        coefficients = result.reference
        if coefficients is None:
            continue
        key = (coefficients.alpha_per_gy, coefficients.beta_per_gy2)
        if key in drawn_references:
            continue
        shown = reference or "reference"
        drawn_references[key] = shown if not drawn_references else f"{shown} ({label})"
        axes.plot(doses, reference_fractions(result, doses), color="0.2" if not i else f"C{i % 10}",
                  linestyle="--", label=drawn_references[key])
    axes.set_yscale("log")
    axes.set_xlabel("dose (Gy)")
    axes.set_ylabel("surviving fraction")
    axes.set_xlim(0, max_dose_gy)
    axes.grid(True, which="both", linewidth=0.3, alpha=0.5)
    literal(axes.legend(fontsize="small"))
    return figure


def lowest_survival_doses(result: Survival) -> list[float]:
    """The doses at which the result's radiation and its reference reach LOWEST_SURVIVAL."""
    from kesp import _core

    doses = [result.dose_for_survival(LOWEST_SURVIVAL)]
    if result.reference is not None:
        doses.append(_core.dose_for_survival(result.reference.alpha_per_gy, result.reference.beta_per_gy2,
                                             LOWEST_SURVIVAL))
    return doses


def reference_fractions(result: Survival, doses: np.ndarray) -> np.ndarray:
    """The survival of the result's reference radiation at the doses."""
    from kesp import _core

    coefficients = result.reference
    assert coefficients is not None
    return np.asarray(_core.survival_fractions(coefficients.alpha_per_gy, coefficients.beta_per_gy2,
                                               doses.tolist()))


# The survival figures kesp-plot writes for a table with survival columns,
# after the others.
SURVIVAL_DRAWINGS = (("alpha_beta", draw_alpha_beta), ("rbe_cell_killing", draw_rbe_cell_killing))
