"""Writing the figures of kesp-plot, and its standard streams guarded
against readers that go away and full disks.
"""

from __future__ import annotations

import os
from pathlib import Path
from typing import Optional, TextIO

from matplotlib.figure import Figure

# Fixed metadata and SVG ids, so that the same table gives the same files.
PNG_METADATA = {"Software": "kesp-plot"}
SVG_METADATA = {"Creator": "kesp-plot", "Date": None}


class OutputError(Exception):
    """A figure could not be written (kesp-plot's exit status 1)."""


def save_figure(figure: Figure, directory: Path, name: str) -> list[Path]:
    """Write the figure as PNG and SVG, never half-written.

    Writes the figure as PNG (150 dpi) and SVG, each under a temporary
    name renamed over the target when complete, so that a failed write
    leaves no broken figure behind. Returns the files written.
    """
    written = []
    for suffix, metadata in (("png", PNG_METADATA), ("svg", SVG_METADATA)):
        target = directory / f"{name}.{suffix}"
        temporary = directory / f".{name}.{suffix}.{os.getpid()}"
        try:
            figure.savefig(temporary, format=suffix, dpi=150, metadata=metadata)
            os.replace(temporary, target)
        except OSError as error:
            raise OutputError(f"{target}: cannot be written: {error.strerror or error}")
        finally:
            remove_quietly(temporary)
        written.append(target)
    return written


def remove_quietly(path: Path) -> None:
    # A temporary file that was never made, or a folder that takes no
    # changes (a read-only file system), leaves nothing to remove.
    try:
        path.unlink(missing_ok=True)
    except OSError:
        pass


def output_directory(path: Path) -> Path:
    """The folder of the figures, made if missing."""
    try:
        path.mkdir(parents=True, exist_ok=True)
    except OSError as error:
        raise OutputError(f"{path}: cannot be used as the folder of the figures: "
                          f"{error.strerror or error}")
    return path


class GuardedStream:
    """The standard output or error, flushed at every write.

    A stream that
    is closed, or that its reader closed or a full disk refuses, takes no
    more text (it is pointed at /dev/null, so that nothing fails at exit);
    the first such problem is kept in `problems`.
    """

    def __init__(self, stream: Optional[TextIO], name: str, problems: list[str]) -> None:
        self.stream = stream
        self.name = name
        self.problems = problems

    def write(self, text: str) -> int:
        if self.stream is None:
            # Python leaves a stream that was closed at the start as None.
            self.lose("it is closed")
        else:
            try:
                self.stream.write(text)
                self.stream.flush()
            except (OSError, ValueError) as error:
                self.lose(getattr(error, "strerror", None) or str(error))
                quieten(self.stream)
                self.stream = None
        return len(text)

    def flush(self) -> None:
        pass

    def lose(self, problem: str) -> None:
        if not self.problems:
            self.problems.append(f"{self.name}: cannot be written: {problem}")


def quieten(stream: TextIO) -> None:
    try:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, stream.fileno())
        os.close(devnull)
    except (OSError, ValueError):
        pass
