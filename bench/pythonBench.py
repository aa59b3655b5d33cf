#!/usr/bin/python3
"""The Python module's cost and its runs side by side.

Prints two ratios, each from one run of this script:

- overhead: a 1000-cell 1 MeV electron run on one thread through kesp.run,
  over the same run through the C++ library (the benchmark
  "library/electron 1 MeV, one thread" of kespBench); the fastest of several
  runs of each;
- two Python threads: two such runs of 4000 cells one after the other, over
  the same two runs on two Python threads at once (each run on one thread
  of its own); the fastest of several tries of each.

Usage (a Release build with the benchmarks, whose tree holds the package):
    PYTHONPATH=build-bench/python /usr/bin/python3 bench/pythonBench.py build-bench/bench/kespBench
"""

from __future__ import annotations

import json
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import kesp

RUNS = 15
TRIES = 5


def library_seconds(bench: str) -> float:
    """The fastest of the C++ library's runs, in seconds."""
    with tempfile.TemporaryDirectory() as folder:
        out = Path(folder) / "library.json"
        subprocess.run([bench, "--benchmark_filter=^library/electron 1 MeV, one thread/1000$",
                        f"--benchmark_repetitions={RUNS}", f"--benchmark_out={out}",
                        "--benchmark_out_format=json"], check=True, capture_output=True)
        document = json.loads(out.read_text())
    times = [b["real_time"] for b in document["benchmarks"] if b.get("run_type") == "iteration"]
    return min(times) / 1000.0  # milliseconds


def electron_run(cells: int) -> kesp.Results:
    return kesp.run(kesp.particle("e", 1.0), cells=cells, seed=4711, threads=1, progress=False)


def fastest(call, tries: int) -> float:
    best = float("inf")
    for _ in range(tries):
        start = time.perf_counter()
        call()
        best = min(best, time.perf_counter() - start)
    return best


def two_at_once(cells: int) -> None:
    threads = [threading.Thread(target=electron_run, args=(cells,)) for _ in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


def main(argv: list[str]) -> int:
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    library = library_seconds(argv[1])
    python = fastest(lambda: electron_run(1000), RUNS)
    one_after_other = fastest(lambda: (electron_run(4000), electron_run(4000)), TRIES)
    side_by_side = fastest(lambda: two_at_once(4000), TRIES)
    print(f"1000-cell 1 MeV electron run, one thread: library {library * 1000:.1f} ms, "
          f"kesp.run {python * 1000:.1f} ms")
    print(f"overhead of kesp.run (target at most 1.02): {python / library:.3f}")
    print(f"two 4000-cell runs: one after the other {one_after_other:.2f} s, "
          f"on two Python threads {side_by_side:.2f} s")
    print(f"speed-up of two Python threads (target at least 1.6): {one_after_other / side_by_side:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
