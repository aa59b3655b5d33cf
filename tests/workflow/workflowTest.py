#!/usr/bin/python3
"""Tests of the scan workflow (workflow/Snakefile) run by Snakemake on this
machine: its table is the one a plain kesp-scan run writes, its figures are
drawn, a failed shard is named and kept and the next run finishes it, and a
config it cannot use is refused.

The programs come from the environment (CMake sets both):
KESP_SCAN_EXECUTABLE and KESP_PLOT_EXECUTABLE. Without snakemake the tests
are skipped (exit status 77)."""

import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

KESP_SCAN = os.environ.get("KESP_SCAN_EXECUTABLE", "")
KESP_PLOT = os.environ.get("KESP_PLOT_EXECUTABLE", "")
ROOT = Path(__file__).resolve().parents[2]
SNAKEFILE = ROOT / "workflow" / "Snakefile"
TEST_PROGRAMS = Path(__file__).resolve().parent / "programs"

# Two particles at two energies under two oxygen levels with a reference:
# 8 configurations in 3 shards of 3, 3 and 2.
PARTICLE_SCAN = """title: workflow test
cells: 20
seed: 11
shards: 3
vary:
  PAR: [p, 4He]
  KE: [10, 40]
  PO2: [21, 0.5]
reference:
  PAR: e
  KE: 1
"""

# A field file beside the scan file, named relative to it; 3 configurations.
FIELD_SCAN = """title: workflow test of a mixed field
cells: 20
seed: 5
vary:
  PO2: [21, 2, 0.5]
fixed:
  FN: field.txt
"""

FIELD = """two-component test field
2
p    10.0   0.6
4He  40.0   0.4
"""


def runWorkflow(scanFile, outDir, *options, env=None):
    """Runs the workflow from the top of the source tree, finding the
    programs under test on PATH."""
    environment = dict(env or os.environ)
    folders = [os.path.dirname(KESP_SCAN), os.path.dirname(KESP_PLOT)]
    environment["PATH"] = os.pathsep.join(folders + [environment.get("PATH", "")])
    command = ["snakemake", "-s", str(SNAKEFILE), "--cores", "2", "--configfile", str(scanFile),
               "--directory", str(outDir), *options]
    return subprocess.run(command, cwd=ROOT, env=environment, capture_output=True, text=True,
                          timeout=280)


def plainTable(scanFile, table):
    result = subprocess.run([KESP_SCAN, "-o", str(table), str(scanFile)], capture_output=True,
                            text=True, timeout=280)
    if result.returncode != 0:
        raise AssertionError(f"kesp-scan {scanFile}: exit {result.returncode}\n{result.stderr}")
    return table


def shardJobs(output):
    """The shard numbers of the jobs Snakemake ran, from its job listing."""
    return sorted(int(part) for part in
                  re.findall(r"^rule shard:\n(?:    .*\n)*?    wildcards: part=(\d+)$", output, re.M))


class WorkflowCase(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="kesp-workflow-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def writeScan(self, name, text):
        path = self.folder / "scans" / f"{name}.yaml"
        path.parent.mkdir(exist_ok=True)
        path.write_text(text)
        return path

    def refusedOutput(self, name, text):
        """Runs the workflow on a scan it must refuse before any shard
        starts; its console output."""
        scan = self.writeScan(name, text)
        out = self.folder / f"out-{name}"
        result = runWorkflow(scan, out)
        output = result.stdout + result.stderr
        self.assertNotEqual(result.returncode, 0, output)
        self.assertFalse((out / "shards").exists())
        return scan, output

    def assertRan(self, result):
        self.assertEqual(result.returncode, 0, f"snakemake failed:\n{result.stdout}\n{result.stderr}")

    def assertSameTable(self, table, plain):
        self.assertTrue(filecmp.cmp(table, plain, shallow=False),
                        f"{table} differs from the plain run's table:\n{Path(table).read_text()}\n"
                        f"---\n{Path(plain).read_text()}")


class LocalRunTest(WorkflowCase):
    def test_tableIsThePlainScanTableAndFiguresAreDrawn(self):
        scan = self.writeScan("particles", PARTICLE_SCAN)
        out = self.folder / "out"
        self.assertRan(runWorkflow(scan, out))
        self.assertSameTable(out / "particles.csv", plainTable(scan, self.folder / "plain.csv"))
        parts = sorted(p.name for p in (out / "shards").iterdir())
        self.assertEqual(parts, [f"particles.shard-{i}-of-3.csv" for i in (1, 2, 3)])
        figures = out / "figures"
        pngs = sorted(p.stem for p in figures.glob("*.png"))
        self.assertIn("dsb_vs_let", pngs)
        self.assertEqual(pngs, sorted(p.stem for p in figures.glob("*.svg")))

        again = runWorkflow(scan, out)
        self.assertRan(again)
        self.assertIn("Nothing to be done", again.stdout + again.stderr)

    def test_fieldFileRelativeToScanFileAndShardsFromCommandLine(self):
        # 4 shards of 3 configurations: the last shard has no rows. A changed
        # field file reruns every shard.
        scan = self.writeScan("field", FIELD_SCAN)
        (scan.parent / "field.txt").write_text(FIELD)
        out = self.folder / "out"
        self.assertRan(runWorkflow(scan, out, "--config", "shards=4", "--", "field.csv"))
        self.assertSameTable(out / "field.csv", plainTable(scan, self.folder / "plain.csv"))
        self.assertEqual(len(list((out / "shards").glob("field.shard-*-of-4.csv"))), 4)

        (scan.parent / "field.txt").write_text(FIELD.replace("0.6", "0.7").replace("0.4", "0.3"))
        rerun = runWorkflow(scan, out, "--config", "shards=4", "--", "field.csv")
        self.assertRan(rerun)
        self.assertEqual(shardJobs(rerun.stdout + rerun.stderr), [1, 2, 3, 4])
        self.assertSameTable(out / "field.csv", plainTable(scan, self.folder / "plain2.csv"))


class ShardFailureTest(WorkflowCase):
    """Shard 2 of 3 fails once, after its first row, in the test programs
    folder's kesp-scan."""

    def setUp(self):
        super().setUp()
        self.env = dict(os.environ, KESP_SCAN_EXECUTABLE=KESP_SCAN, KESP_PLOT_EXECUTABLE=KESP_PLOT,
                        KESP_FAIL_SHARD="2/3", KESP_FAIL_MARKER=str(self.folder / "failed"))
        self.options = ("--config", f"programs={TEST_PROGRAMS}", "--keep-going")

    def test_failedShardIsNamedKeptAndFinishedByTheNextRun(self):
        scan = self.writeScan("particles", PARTICLE_SCAN)
        out = self.folder / "out"
        failed = runWorkflow(scan, out, *self.options, env=self.env)
        text = failed.stdout + failed.stderr
        self.assertNotEqual(failed.returncode, 0, text)
        self.assertIn("Error in rule shard", text)
        self.assertIn("logs/particles.shard-2-of-3.log", text)
        self.assertIn("shard 2/3 stopped", (out / "logs" / "particles.shard-2-of-3.log").read_text())
        shards = out / "shards"
        self.assertTrue((shards / "particles.shard-1-of-3.csv").exists())
        self.assertTrue((shards / "particles.shard-3-of-3.csv").exists())
        self.assertFalse((shards / "particles.shard-2-of-3.csv").exists())
        self.assertEqual(len((shards / "particles.shard-2-of-3.partial.csv").read_text().splitlines()), 3,
                         "the failed shard's finished row is kept")

        rerun = runWorkflow(scan, out, *self.options, env=self.env)
        self.assertRan(rerun)
        self.assertEqual(shardJobs(rerun.stdout + rerun.stderr), [2])
        self.assertSameTable(out / "particles.csv", plainTable(scan, self.folder / "plain.csv"))

    def test_failedShardOfAChangedScanStartsAfresh(self):
        # The kept rows are of the old seed: kesp-scan would refuse to go on
        # with them, and the table must be that of the new seed.
        scan = self.writeScan("particles", PARTICLE_SCAN)
        out = self.folder / "out"
        self.assertNotEqual(runWorkflow(scan, out, *self.options, env=self.env).returncode, 0)
        scan.write_text(PARTICLE_SCAN.replace("seed: 11", "seed: 12"))

        rerun = runWorkflow(scan, out, *self.options, env=self.env)
        self.assertRan(rerun)
        self.assertEqual(shardJobs(rerun.stdout + rerun.stderr), [1, 2, 3])
        self.assertSameTable(out / "particles.csv", plainTable(scan, self.folder / "plain.csv"))


class RefusalTest(WorkflowCase):
    def test_configTheWorkflowCannotUseIsRefusedBeforeAnyShardRuns(self):
        scan = self.writeScan("particles", PARTICLE_SCAN)
        cases = [
            (["--config", "shards=0"], "shards: 0 is not a positive whole number"),
            (["--config", "shards=two"], "shards: 'two' is not a positive whole number"),
            (["--config", "programs=nowhere"], f"no program kesp-scan in {scan.parent}/nowhere"),
            (["--configfile", str(scan), str(scan)], "give the scan file, and only it"),
        ]
        for options, message in cases:
            with self.subTest(options=options):
                out = self.folder / "out"
                result = runWorkflow(scan, out, *options)
                text = result.stdout + result.stderr
                self.assertNotEqual(result.returncode, 0, text)
                self.assertIn(message, text)
                self.assertFalse((out / "shards").exists())

    def test_scanFileTheWorkflowCannotTakeIsRefusedNamingIt(self):
        # Each was a Snakemake internal error (a wildcard, a missing input).
        fieldRange = "cells: 20\nvary:\n  FN: {from: 1, to: 3, points: 3}\n"
        cases = [
            ("scan{x}", PARTICLE_SCAN, "the scan file's name holds { or }, which Snakemake reads "
                                       "as a wildcard"),
            ("quotedShards", PARTICLE_SCAN.replace("shards: 3", 'shards: "2"'),
             "shards: '2' is text; write the number without quotes"),
            ("fieldRange", fieldRange, "vary: FN: {'from': 1, 'to': 3, 'points': 3} is not the "
                                       "name of a field file"),
            ("fieldBraces", "cells: 20\nfixed:\n  FN: field{1}.txt\n",
             "fixed: FN: the field file"),
        ]
        for name, text, message in cases:
            with self.subTest(name):
                scan, output = self.refusedOutput(name, text)
                self.assertIn(f"{scan}: {message}", output)
                self.assertNotIn("Exception", output)


class CheckFirstTest(WorkflowCase):
    """kesp-scan --check reads the scan file before any shard starts: a
    slip stops the workflow at once with kesp-scan's own message."""

    def test_slipInTheScanFileStopsTheWorkflowWithItsMessage(self):
        cases = [
            ("typo", PARTICLE_SCAN.replace("cells:", "cels:"),
             '"cels" is not a part of a scan file'),
            ("particle", PARTICLE_SCAN.replace("4He", "4Hx"), "4Hx"),
        ]
        for name, text, message in cases:
            with self.subTest(name):
                scan, output = self.refusedOutput(name, text)
                self.assertIn(f"{scan}: refused by kesp-scan --check (exit status 2)", output)
                self.assertIn(message, output)
                self.assertNotIn("Error in rule shard", output)
                self.assertFalse((self.folder / f"out-{name}" / "logs").exists())


if __name__ == "__main__":
    if shutil.which("snakemake") is None:
        print("workflowTest: snakemake is not installed; the workflow tests are skipped")
        sys.exit(77)
    unittest.main()
