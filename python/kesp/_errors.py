"""The package's exceptions and its warning category."""

from __future__ import annotations

from collections.abc import Sequence
from typing import Any

__all__ = ["KespError", "InputError", "RunError", "InputWarning"]


class KespError(Exception):
    """Base of every error the engine raises.

    Attributes:
        kind: what went wrong, as a word: ``"input"``, ``"refused"``,
            ``"physics"``, ``"non_finite_result"``, ``"io"``, ``"resources"``,
            ``"usage"`` or ``"internal"``.
        detail: further explanation (what ``kesp`` writes on standard error),
            empty when the message says it all.
    """

    def __init__(self, message: str, *, kind: str = "internal", detail: str = "") -> None:
        super().__init__(message)
        self.kind = kind
        self.detail = detail


class RunError(KespError):
    """A run that gives no result: physics out of range, a result that is not
    finite, a file that cannot be written, memory that cannot be had.

    Settings that cannot be used give no result either: ``InputError`` is a
    kind of ``RunError``, so ``except kesp.RunError`` catches every error of a
    run, its settings included, as the library's one error type does."""


class InputError(RunError):
    """Settings, an input file or a field file that cannot be used (an input
    file that is missing or cannot be read is one of kind ``"io"``), or a run
    refused as its settings stand (kind ``"refused"``: ``strict=True`` and
    the settings or the input hold warnings).

    Attributes:
        diagnostics: every diagnostic of the input (``kesp.Diagnostic``: file,
            line, severity, block, message), empty when the error came from
            settings built in code.
    """

    def __init__(self, message: str, *, kind: str = "input", detail: str = "",
                 diagnostics: Sequence[Any] = ()) -> None:
        super().__init__(message, kind=kind, detail=detail)
        self.diagnostics = list(diagnostics)

    def __str__(self) -> str:
        lines = [super().__str__(), *(str(d) for d in self.diagnostics)]
        return "\n".join(lines)


class InputWarning(UserWarning):
    """Something of an input file or of settings made in code that was not
    taken as written, or that makes the results look sounder than they are
    (the warnings ``kesp`` writes on standard error, issued by
    ``kesp.read_input`` and ``kesp.run``)."""


def error_from_engine(kind: str, message: str, detail: str) -> KespError:
    """The exception for an error of the engine of this kind (used by kesp._core)."""
    if kind in ("input", "refused"):
        return InputError(message, kind=kind, detail=detail)
    return RunError(message, kind=kind, detail=detail)
