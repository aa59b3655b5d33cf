"""Long fluence weighting stopped by Ctrl-C, and the running time of runs
that go on side by side on Python threads."""

from __future__ import annotations

import os
import signal
import subprocess
import sys
import threading
import time

import pytest

import kesp

# Weighs a spectrum of many components (minutes of work on two cores) and
# says when it starts and what ended it.
LONG_WEIGHING = """
import kesp
spectrum = [("p", 1.0 + 0.25 * i, 1.0) for i in range(400)]
print("started", flush=True)
try:
    kesp.{function}(spectrum, threads=1)
    print("finished", flush=True)
except BaseException as error:
    print(type(error).__name__, flush=True)
    raise
"""


@pytest.mark.parametrize("function", ["dose_weights", "field_from_fluence"])
def test_ctrl_c_stops_weighing_a_spectrum_within_a_second(function):
    child = subprocess.Popen([sys.executable, "-c", LONG_WEIGHING.format(function=function)], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True, env=os.environ)
    try:
        assert child.stdout.readline() == "started\n"
        time.sleep(0.5)  # well into the components
        sent = time.perf_counter()
        child.send_signal(signal.SIGINT)
        child.wait(timeout=10)
        ended = time.perf_counter() - sent
        output, errors = child.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("Ctrl-C did not stop the weighing") from None
    finally:
        child.kill()
    assert output == "KeyboardInterrupt\n"
    assert child.returncode != 0 and "KeyboardInterrupt" in errors
    assert ended < 1.0


def test_a_runs_running_time_is_its_own_beside_other_runs():
    # A run on one thread while another asks for both cores: the process's
    # CPU time over the first run counts the other's threads too, and is
    # nothing like the first run's own time on a machine that runs more.
    busy = threading.Thread(target=lambda: kesp.run(field=kesp.particle("e", 1.0), cells=12000, seed=3, threads=2,
                                                     progress=False))
    busy.start()
    try:
        time.sleep(0.2)
        start = time.perf_counter()
        results = kesp.run(field=kesp.particle("e", 1.0), cells=1000, seed=5, threads=1, progress=False)
        elapsed = time.perf_counter() - start
        assert busy.is_alive(), "the busy run ended before the timed one; give it more cells"
    finally:
        busy.join()
    seconds = results.running_minutes * 60.0
    assert 0.8 * elapsed <= seconds <= elapsed, (seconds, elapsed)
    shown = next(line for line in results.report().splitlines() if line.endswith("running time (min)"))
    assert float(shown.split()[0]) == pytest.approx(results.running_minutes, abs=0.0005)
