"""KESP in Python: DNA lesion clusters that ionising radiation induces per gray.

The engine is the one the ``kesp`` program runs, compiled into ``kesp._core``.
"""

from kesp import _core

#: The version of KESP, that of the library the package is built with.
__version__: str = _core.__version__
from kesp._runs import *  # noqa: F401,F403
from kesp._runs import __all__ as _runs_all
from kesp._scans import *  # noqa: F401,F403
from kesp._scans import __all__ as _scans_all
from kesp import survival  # noqa: E402  (after the names it builds on)

__all__ = ["__version__", *_runs_all, *_scans_all]
