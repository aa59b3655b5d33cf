"""Runs on Python threads, their threads, progress and Ctrl-C."""

from __future__ import annotations

import os
import signal
import subprocess
import sys
import threading
import time

import kesp

SHORT = dict(field=kesp.particle("e", 1.0), cells=300, seed=5, threads=1)


def timed(action) -> float:
    start = time.perf_counter()
    action()
    return time.perf_counter() - start


def test_other_python_threads_go_on_while_cells_are_simulated():
    # Were the GIL held while the cells are simulated, this thread would stand
    # still for the whole run but for a moment at each progress poll. How fast
    # the two go on together depends on what else the machine runs (the
    # benchmark measures that); that this thread goes on at all does not.
    worker = threading.Thread(target=lambda: kesp.run(**{**SHORT, "cells": 3000}, progress=False))
    start = time.perf_counter()
    worker.start()
    stamps = [start]
    while worker.is_alive():
        stamps.append(time.perf_counter())
    worker.join()
    duration = stamps[-1] - start
    longest_pause = max(later - earlier for earlier, later in zip(stamps, stamps[1:]))
    assert len(stamps) > 1000 and longest_pause < 0.25 * duration, (len(stamps), longest_pause, duration)


def test_the_thread_count_changes_nothing_but_the_time():
    reports = [kesp.run(kesp.Settings(**{**SHORT, "cells": 40}), threads=n, progress=False) for n in (1, 2)]
    assert reports[0].to_dict() == reports[1].to_dict()
    assert reports[0].settings.threads == 1 and reports[1].settings.threads == 2


def test_progress_reaches_every_cell():
    seen: list[int] = []
    results = kesp.run(**{**SHORT, "cells": 2000}, progress=seen.append)
    assert seen == sorted(seen) and seen[-1] <= results.cells_simulated == 2000


def test_an_error_of_the_progress_callback_stops_the_run():
    def fail(cells: int) -> None:
        raise RuntimeError("callback failed")

    started = time.perf_counter()
    try:
        kesp.run(**{**SHORT, "cells": 10_000_000}, progress=fail)
    except RuntimeError as error:
        assert str(error) == "callback failed"
    else:
        raise AssertionError("the run went on")
    assert time.perf_counter() - started < 5.0


# Says when its cells are under way, and what ended the run as soon as it has.
LONG_RUN = """
import kesp
def started(cells):
    print("started", flush=True)
try:
    kesp.run(field=kesp.particle("e", 1.0), cells=10_000_000, threads=1, progress=started)
except BaseException as error:
    print(type(error).__name__, flush=True)
    raise
"""


def test_ctrl_c_ends_a_long_run_within_a_second_with_keyboard_interrupt():
    child = subprocess.Popen([sys.executable, "-c", LONG_RUN], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             text=True, env=os.environ)
    try:
        assert child.stdout.readline() == "started\n"
        sent = time.perf_counter()
        child.send_signal(signal.SIGINT)
        assert child.stdout.readline() == "KeyboardInterrupt\n"
        ended = time.perf_counter() - sent
        _, errors = child.communicate(timeout=30)
    finally:
        child.kill()
    assert ended < 1.0
    assert child.returncode != 0 and "KeyboardInterrupt" in errors
