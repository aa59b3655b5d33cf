#!/usr/bin/python3
"""Tests of kesp-plot: figures drawn from the tables of the real kesp-scan,
tables it must refuse, and the pairing of oxygen levels behind the OER.

The programs come from the environment (CMake sets both):
KESP_SCAN_EXECUTABLE and KESP_PLOT_EXECUTABLE."""

import importlib.machinery
import importlib.util
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import matplotlib.image

KESP_SCAN = os.environ.get("KESP_SCAN_EXECUTABLE", "")
KESP_PLOT = os.environ.get("KESP_PLOT_EXECUTABLE", "")
FIGURES = ("dsb_vs_let", "rbe_vs_let", "oer_vs_let", "classes_vs_let")

# Protons and carbon ions at two energies, aerobic and anoxic, with the
# 1 MeV electron as reference: every figure is possible.
FULL_SCAN = """title: plot test
cells: 20
seed: 7
vary:
  PAR: [p, 12C]
  MEV/A: [5, 50]
  PO2: [21, 0]
reference:
  PAR: e
  KE: 1
"""

# No reference and one oxygen level: no RBE and no OER.
PLAIN_SCAN = """title: plot test without reference
cells: 20
seed: 7
vary:
  PAR: [p, 4He]
  KE: [10, 40]
fixed:
  PO2: 21
"""


def runProgram(*arguments, cwd=None):
    return subprocess.run(list(arguments), capture_output=True, text=True, timeout=280, cwd=cwd)


def plot(*arguments):
    return runProgram(KESP_PLOT, *arguments)


def runScan(folder, name, text, *options):
    """Runs kesp-scan on the scan text and returns its table."""
    scanFile = Path(folder) / f"{name}.yaml"
    scanFile.write_text(text)
    result = runProgram(KESP_SCAN, "-j", "2", *options, scanFile.name, cwd=folder)
    if result.returncode != 0:
        raise AssertionError(f"kesp-scan failed: {result.stderr}")
    return scanFile.with_suffix(".csv")


def loadPlotModule():
    loader = importlib.machinery.SourceFileLoader("kespPlot", KESP_PLOT)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader("kespPlot", loader))
    loader.exec_module(module)
    return module


class FigureChecks(unittest.TestCase):
    def assertValidPng(self, path):
        data = path.read_bytes()
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n", path)
        self.assertEqual(data[12:16], b"IHDR", path)
        width, height = struct.unpack(">II", data[16:24])
        self.assertTrue(400 <= width <= 4000 and 300 <= height <= 3000, (path, width, height))
        pixels = matplotlib.image.imread(path)
        self.assertEqual(pixels.shape[:2], (height, width))
        self.assertTrue((pixels != pixels[0, 0]).any(), f"{path} is one colour")

    def assertValidSvg(self, path):
        root = ElementTree.parse(path).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg", path)

    def assertFiguresWritten(self, result, folder, names):
        self.assertEqual(result.returncode, 0, result.stderr)
        for name in names:
            for suffix in ("png", "svg"):
                self.assertIn(f"wrote {folder / name}.{suffix}", result.stdout)
            self.assertValidPng(folder / f"{name}.png")
            self.assertValidSvg(folder / f"{name}.svg")
        self.assertNotIn("Traceback", result.stderr)


class EndToEndTest(FigureChecks):
    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="kesp-plot-test-"))
        cls.addClassCleanup(shutil.rmtree, cls.folder)
        cls.table = runScan(cls.folder, "full", FULL_SCAN)
        cls.figures = cls.folder / "figures"
        cls.result = plot(str(cls.table), "-o", str(cls.figures))

    def testWritesEveryFigureAsPngAndSvg(self):
        self.assertFiguresWritten(self.result, self.figures, FIGURES)
        self.assertEqual(self.result.stderr, "")

    def testCurvesAreLabelledByParticleAndOxygenLevel(self):
        # Text is drawn as paths in the SVG, each preceded by a comment with the text.
        expected = {
            "dsb_vs_let": ["p, PO2 21", "p, PO2 0", "12C, PO2 21", "12C, PO2 0",
                           "LET (keV/µm)", "DSB per Gy per Gbp", "plot test"],
            "rbe_vs_let": ["12C, PO2 0", "RBE for DSB induction"],
            "oer_vs_let": ["<!-- p -->", "<!-- 12C -->", "at PO2 21 / at PO2 0"],
            "classes_vs_let": ["DSB++", "2SSB", "share of clusters (%)", "12C, PO2 21"],
        }
        for name, texts in expected.items():
            svg = (self.figures / f"{name}.svg").read_text(encoding="utf-8")
            for text in texts:
                self.assertIn(text, svg, name)
        self.assertNotIn("p, PO2 21", (self.figures / "oer_vs_let.svg").read_text(encoding="utf-8"))

    def testSameTableGivesSameFilesInTheTablesFolderByDefault(self):
        again = plot(str(self.table))
        self.assertFiguresWritten(again, self.folder, FIGURES)
        for name in FIGURES:
            for suffix in ("png", "svg"):
                first = (self.figures / f"{name}.{suffix}").read_bytes()
                self.assertEqual(first, (self.folder / f"{name}.{suffix}").read_bytes(), name)

    def testVersionAndHelp(self):
        version = plot("--version")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, r"^kesp-plot \d+\.\d+")
        usage = plot("--help")
        self.assertEqual(usage.returncode, 0)
        self.assertIn("oer_vs_let", usage.stdout)


class PartialTableTest(FigureChecks):
    def testFiguresTheTableDoesNotAllowAreSkippedWithTheReason(self):
        with tempfile.TemporaryDirectory() as folder:
            table = runScan(folder, "plain", PLAIN_SCAN)
            figures = Path(folder) / "figures"
            result = plot(str(table), "-o", str(figures))
            self.assertFiguresWritten(result, figures, ("dsb_vs_let", "classes_vs_let"))
            self.assertIn("rbe_vs_let skipped: the table has no column rbe_dsb, rbe_dsb_sem",
                          result.stderr)
            self.assertIn("oer_vs_let skipped: the scan does not vary PO2 or MMHG", result.stderr)
            self.assertFalse((figures / "rbe_vs_let.png").exists())
            self.assertFalse((figures / "oer_vs_let.svg").exists())
            svg = (figures / "dsb_vs_let.svg").read_text(encoding="utf-8")
            self.assertIn("<!-- 4He -->", svg)


HEADER = "PAR,KE,switches,particle,let_kev_um,dsb,dsb_sem,dsb_per_gy_gbp\n"


class RefusalTest(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="kesp-plot-refusal-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def refuse(self, name, content, expected, status=2):
        """Writes the table (bytes or text; None for no file), runs kesp-plot on
        it and checks the exit status, the message and that nothing is drawn."""
        table = self.folder / name
        if isinstance(content, bytes):
            table.write_bytes(content)
        elif content is not None:
            table.write_text(content)
        figures = self.folder / f"figures-{name}"
        result = plot(str(table), "-o", str(figures))
        self.assertEqual(result.returncode, status, result.stderr)
        for text in expected:
            self.assertIn(text, result.stderr)
        self.assertNotIn("Traceback", result.stderr)
        self.assertEqual(result.stdout, "")
        self.assertFalse(figures.exists() and any(figures.iterdir()))

    def testBadFilesAreRefusedWithTheFileNamed(self):
        (self.folder / "folder.csv").mkdir()
        cases = [
            ("missing.csv", None, ["missing.csv: no such file"]),
            ("folder.csv", None, ["folder.csv: not a regular file"]),
            ("empty.csv", "", ["empty.csv: empty, no header line"]),
            ("comment.csv", "# kesp-scan 3.0 | title: x\n", ["comment.csv: empty, no header line"]),
            ("binary.csv", bytes(range(256)) * 4, ["binary.csv: not a text table"]),
            ("headerOnly.csv", HEADER, ["headerOnly.csv: a header but no rows"]),
            ("ragged.csv", "# kesp-scan\n" + HEADER + "p,10,,p,4.5,53\n",
             ["ragged.csv, line 3: 6 fields, but the header has 8"]),
            ("notANumber.csv", "# kesp-scan\n" + HEADER + "p,10,,p,4.5,abc,0.7,8.9\n",
             ["notANumber.csv, line 3, column dsb: 'abc' is not a number"]),
            ("zeroLet.csv", HEADER + "p,10,,p,0,53,0.7,8.9\n",
             ["zeroLet.csv, line 2, column let_kev_um: '0' is not a positive LET"]),
        ]
        for name, content, expected in cases:
            with self.subTest(name):
                self.refuse(name, content, expected)

    def testTablesWithoutTheColumnsOfAnyFigureNameWhatIsMissing(self):
        cases = [
            ("garbage.csv", "hello world\nthis is not a table\n",
             ["no figure can be drawn", "dsb_vs_let: the table has no column dsb, dsb_sem",
              "classes_vs_let: the table has no column pct_bd"]),
            ("noSem.csv", "switches,particle,let_kev_um,dsb,dsb_per_gy_gbp\n,p,4.5,53,8.9\n",
             ["dsb_vs_let: the table has no column dsb_sem\n",
              "rbe_vs_let: the table has no column rbe_dsb, rbe_dsb_sem",
              "oer_vs_let: the scan does not vary PO2 or MMHG"]),
            ("noLet.csv", "PO2,switches,particle,dsb,dsb_sem,dsb_per_gy_gbp\n21,,p,53,1,8.9\n"
             "0,,p,20,1,3.3\n", ["dsb_vs_let: the table has no column let_kev_um",
                                 "oer_vs_let: the table has no column let_kev_um"]),
        ]
        for name, content, expected in cases:
            with self.subTest(name):
                self.refuse(name, content, expected)

    def testPhysicsOnlyTableIsRefused(self):
        table = runScan(self.folder, "physics", FULL_SCAN, "--physics-only")
        self.refuse(table.name, None, [
            "no figure can be drawn", "the table has no column dsb, dsb_sem, dsb_per_gy_gbp",
            "--physics-only"])

    def testFolderThatCannotBeMadeFailsWithStatusOne(self):
        table = self.folder / "table.csv"
        table.write_text(HEADER + "p,10,,p,4.5,53,0.7,8.9\n")
        (self.folder / "taken").write_text("a file, not a folder\n")
        result = plot(str(table), "-o", str(self.folder / "taken"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("taken: cannot be used as the folder of the figures", result.stderr)
        self.assertNotIn("Traceback", result.stderr)


# Three oxygen levels in mixed order, two particles, a second varied item and
# a row whose DSB yield is empty (no cell produced one).
PAIRING_TABLE = """# kesp-scan 3.0 | title: pairing
PAR,MEV/A,PO2,CONC,switches,particle,let_kev_um,dsb,dsb_sem
p,10,0.1,0,,p,4.5,20,1
p,10,21,0,,p,4.5,60,2
p,10,5,0,,p,4.5,40,1
p,10,21,0.5,,p,4.5,50,3
p,10,0.1,0.5,,p,4.5,25,4
12C,10,0.1,0,,12C,160,,
12C,10,21,0,,12C,160,90,5
12C,20,21,0,,12C,93,80,4
12C,20,0.1,0,,12C,93,40,2
"""


class OxygenPairingTest(unittest.TestCase):
    def testRowsAtHighestAndLowestOxygenLevelArePairedWithPropagatedSem(self):
        module = loadPlotModule()
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "pairing.csv"
            path.write_text(PAIRING_TABLE)
            pairs, keys, oxygen, levels = module.oerPoints(module.readScan(path))
        self.assertEqual((keys, oxygen, levels), (["PAR", "CONC"], "PO2", (21, 0.1)))
        # Hand-computed: ratio a/b, SEM ratio*sqrt((sa/a)^2 + (sb/b)^2); the
        # 12C pair at 10 MeV/u has no anoxic yield and gives no point.
        expected = [("p", "10", "0", 3.0, 3.0 * (1 / 900 + 1 / 400) ** 0.5),
                    ("p", "10", "0.5", 2.0, 2.0 * (9 / 2500 + 16 / 625) ** 0.5),
                    ("12C", "20", "0", 2.0, 2.0 * (1 / 400 + 1 / 400) ** 0.5)]
        self.assertEqual(len(pairs), len(expected))
        for (_, row), (particle, energy, conc, oer, sem) in zip(pairs.iterrows(), expected):
            self.assertEqual((row["PAR"], row["MEV/A"], row["CONC"]), (particle, energy, conc))
            self.assertAlmostEqual(row["oer"], oer, places=12)
            self.assertAlmostEqual(row["oer_sem"], sem, places=12)


if __name__ == "__main__":
    unittest.main()
