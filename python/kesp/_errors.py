"""The package's exceptions and its warning category."""

from __future__ import annotations

from collections.abc import Sequence
from typing import Any

__all__ = ["KespError", "InputError", "RunError", "InputWarning"]


class KespError(Exception):
    """Base of every error the engine raises.

    Parameters
    ----------
    message : str
        What went wrong, in a sentence.
    kind : str
        What went wrong, as a word: ``"input"``, ``"refused"``,
        ``"physics"``, ``"non_finite_result"``, ``"io"``, ``"resources"``,
        ``"usage"`` or ``"internal"``; kept as ``kind``.
    detail : str
        Further explanation (what ``kesp`` writes on standard error), empty
        when the message says it all; kept as ``detail``.
    """

    def __init__(self, message: str, *, kind: str = "internal", detail: str = "") -> None:
        super().__init__(message)
        self.kind = kind
        self.detail = detail


class RunError(KespError):
    """A run that gives no result.

    Physics out of range, a result that is not finite, a file that cannot be
    written, memory that cannot be had. Settings that cannot be used give no
    result either: ``InputError`` is a kind of ``RunError``, so ``except
    kesp.RunError`` catches every error of a run, its settings included, as
    the library's one error type does.

    Parameters
    ----------
    message : str
        What went wrong, in a sentence.
    kind : str
        What went wrong, as a word (see ``KespError``).
    detail : str
        Further explanation, empty when the message says it all.
    """


class InputError(RunError):
    """Settings, an input file or a field file that cannot be used, or a run refused.

    An input file that is missing or cannot be read is one of kind
    ``"io"``; a run refused as its settings stand is of kind ``"refused"``
    (``strict=True`` and the settings or the input hold warnings).

    Parameters
    ----------
    message : str
        What went wrong, in a sentence.
    kind : str
        ``"input"``, ``"io"`` or ``"refused"``.
    detail : str
        Further explanation, empty when the message says it all.
    diagnostics : sequence of kesp.Diagnostic
        Every diagnostic of the input (file, line, severity, block,
        message), empty when the error came from settings built in code;
        kept as ``diagnostics`` and listed by ``str()``.
    """

    def __init__(self, message: str, *, kind: str = "input", detail: str = "",
                 diagnostics: Sequence[Any] = ()) -> None:
        super().__init__(message, kind=kind, detail=detail)
        self.diagnostics = list(diagnostics)

    def __str__(self) -> str:
        lines = [super().__str__(), *(str(d) for d in self.diagnostics)]
        return "\n".join(lines)


class InputWarning(UserWarning):
    """Something of an input or of settings that was not taken as written.

    Or something that makes the results look sounder than they are: the
    warnings ``kesp`` writes on standard error, issued by
    ``kesp.read_input`` and ``kesp.run``.
    """


def error_from_engine(kind: str, message: str, detail: str) -> KespError:
    """The exception for an error of the engine of this kind (used by kesp._core).

    Parameters
    ----------
    kind : str
        The engine's word for what went wrong.
    message : str
        Its message.
    detail : str
        Its further explanation.

    Returns
    -------
    KespError
        An ``InputError`` for kinds "input" and "refused", else a ``RunError``.
    """
    if kind in ("input", "refused"):
        return InputError(message, kind=kind, detail=detail)
    return RunError(message, kind=kind, detail=detail)
