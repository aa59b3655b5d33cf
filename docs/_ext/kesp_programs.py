"""The ``program-help`` directive: the ``--help`` text of a built KESP program.

``{program-help} kesp`` runs the program the build names in the environment
(KESP_EXECUTABLE, KESP_SCAN_EXECUTABLE, KESP_PLOT_EXECUTABLE) with ``--help``
and shows what it prints, so that the page is the program's own text. A
program that is not named, cannot run, fails or prints nothing fails the
build.
"""

import os
import subprocess

from docutils import nodes
from sphinx.util.docutils import SphinxDirective

PROGRAMS = {
    "kesp": "KESP_EXECUTABLE",
    "kesp-scan": "KESP_SCAN_EXECUTABLE",
    "kesp-plot": "KESP_PLOT_EXECUTABLE",
}


def help_text(program: str) -> str:
    """What ``program --help`` prints; raises RuntimeError when it cannot be had."""
    variable = PROGRAMS.get(program)
    if variable is None:
        raise RuntimeError(f"unknown program {program!r}; known: {', '.join(PROGRAMS)}")
    path = os.environ.get(variable)
    if not path:
        raise RuntimeError(f"{variable} is not set: the build names the {program} it documents")
    try:
        result = subprocess.run([path, "--help"], capture_output=True, text=True, timeout=120, check=False)
    except OSError as error:
        raise RuntimeError(f"{program} ({path}) could not run: {error}") from error
    if result.returncode != 0 or not result.stdout.strip():
        raise RuntimeError(f"{path} --help ended with status {result.returncode}, printing "
                           f"{len(result.stdout)} characters: {result.stderr.strip()}")
    return result.stdout.rstrip()


class ProgramHelp(SphinxDirective):
    """The --help text of one program, as a literal block."""

    required_arguments = 1

    def run(self):
        program = self.arguments[0]
        try:
            text = help_text(program)
        except RuntimeError as error:
            raise self.error(f"program-help: {error}") from error
        self.env.note_dependency(os.environ[PROGRAMS[program]])
        block = nodes.literal_block(text, text)
        block["language"] = "text"
        return [block]


def setup(app):
    app.add_directive("program-help", ProgramHelp)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
