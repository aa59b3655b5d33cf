# Scans (python/src/scanBindings.cpp)

from typing import Callable, Optional

def run_scan_table(
    scan_file: str,
    jobs: int,
    physics_only: bool,
    lenient: bool,
    progress: Optional[Callable[[int, int, int, int], None]],
) -> tuple[str, str, list[str]]:
    """Runs the scan file as kesp-scan runs it; returns (table CSV text, title, lenient warnings)."""
