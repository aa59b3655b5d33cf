#!/usr/bin/python3
"""Tests of kesp-plot: figures drawn from the tables of the real kesp-scan,
tables it must refuse, and the pairing of oxygen levels behind the OER.

The programs come from the environment (CMake sets both):
KESP_SCAN_EXECUTABLE and KESP_PLOT_EXECUTABLE."""

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
FIGURES = ("dsb_vs_let", "ssb_vs_let", "rbe_vs_let", "oer_vs_let", "classes_vs_let")

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


def oerPoints(path):
    """The OER pairs of kesp.plot (PYTHONPATH holds the build tree's
    package): pairs, keys, oxygen column, levels."""
    from kesp._plot_figures import oer_points
    from kesp._plot_table import read_scan
    pairs, keys, _, oxygen, levels = oer_points(read_scan(path))
    return pairs, keys, oxygen, levels


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
            "dsb_vs_let": ["<!-- DSB yield against LET -->", "<!-- plot test -->",
                           "<!-- p, 21 % O2 -->", "<!-- p, 0 % O2 (anoxic) -->",
                           "<!-- 12C, 21 % O2 -->", "<!-- 12C, 0 % O2 (anoxic) -->",
                           "LET (keV/µm)", "DSB per Gy per Gbp"],
            "ssb_vs_let": ["<!-- SSB yield against LET -->", "SSB per Gy per Gbp"],
            "rbe_vs_let": ["<!-- RBE for DSB induction against LET, reference 1 MeV e -->",
                           "<!-- (DSB yield / that of 1 MeV e) -->", "12C, 0 % O2 (anoxic)"],
            "oer_vs_let": ["<!-- OER for DSB induction against LET -->", "<!-- p -->",
                           "<!-- 12C -->", "at 21 % O2 / at 0 % O2 (anoxic)"],
            "classes_vs_let": ["<!-- Shares of the cluster classes against LET -->", "DSB++",
                               "2SSB", "share of clusters (%)", "12C, 21 % O2"],
        }
        for name, texts in expected.items():
            svg = (self.figures / f"{name}.svg").read_text(encoding="utf-8")
            for text in texts:
                self.assertIn(text, svg, name)
            self.assertNotIn("PO2", svg, name)
        oer = (self.figures / "oer_vs_let.svg").read_text(encoding="utf-8")
        self.assertNotIn("p, 21 % O2", oer)

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
        self.assertIn("oer_vs_X", usage.stdout)


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


class RefusalCase(unittest.TestCase):
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


class RefusalTest(RefusalCase):
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
            ("noLet.csv",
             "PAR,PO2,switches,particle,dsb,dsb_sem,dsb_per_gy_gbp,oer_dsb,oer_dsb_sem\n"
             "p,21,,p,53,1,8.9,,\n4He,0,,4He,20,1,3.3,,\n",
             ["dsb_vs_let: the table has no column let_kev_um",
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
# a row whose DSB yield is empty (no cell produced one); the OER columns as
# kesp-scan writes them, on both rows of each pair (a/b, with the SEM
# sqrt((sa/b)^2 + (a sb/b^2)^2)) and empty at the level in between.
def pairedOer(a, sa, b, sb):
    return f"{a / b!r},{((sa / b) ** 2 + (a * sb / b ** 2) ** 2) ** 0.5!r}"


PAIRING_TABLE = f"""# kesp-scan 3.0 | title: pairing
PAR,MEV/A,PO2,CONC,switches,particle,let_kev_um,dsb,dsb_sem,oer_dsb,oer_dsb_sem
p,10,0.1,0,,p,4.5,20,1,{pairedOer(60, 2, 20, 1)}
p,10,21,0,,p,4.5,60,2,{pairedOer(60, 2, 20, 1)}
p,10,5,0,,p,4.5,40,1,,
p,10,21,0.5,,p,4.5,50,3,{pairedOer(50, 3, 25, 4)}
p,10,0.1,0.5,,p,4.5,25,4,{pairedOer(50, 3, 25, 4)}
12C,10,0.1,0,,12C,160,,,,
12C,10,21,0,,12C,160,90,5,,
12C,20,21,0,,12C,93,80,4,{pairedOer(80, 4, 40, 2)}
12C,20,0.1,0,,12C,93,40,2,{pairedOer(80, 4, 40, 2)}
"""


class OxygenPairingTest(unittest.TestCase):
    def testRowsAtHighestAndLowestOxygenLevelArePairedWithPropagatedSem(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "pairing.csv"
            path.write_text(PAIRING_TABLE)
            pairs, keys, oxygen, levels = oerPoints(path)
        self.assertEqual((keys, oxygen, levels), (["PAR", "CONC"], "PO2", (21, 0.1)))
        # Hand-computed: ratio a/b, SEM ratio*sqrt((sa/a)^2 + (sb/b)^2), the
        # same as the table's absolute form; the 12C pair at 10 MeV/u has no
        # anoxic yield and gives no point.
        expected = [("p", "10", "0", 3.0, 3.0 * (1 / 900 + 1 / 400) ** 0.5),
                    ("p", "10", "0.5", 2.0, 2.0 * (9 / 2500 + 16 / 625) ** 0.5),
                    ("12C", "20", "0", 2.0, 2.0 * (1 / 400 + 1 / 400) ** 0.5)]
        self.assertEqual(len(pairs), len(expected))
        for (_, row), (particle, energy, conc, oer, sem) in zip(pairs.iterrows(), expected):
            self.assertEqual((row["PAR"], row["MEV/A"], row["CONC"]), (particle, energy, conc))
            self.assertAlmostEqual(row["oer"], oer, places=12)
            self.assertAlmostEqual(row["oer_sem"], sem, places=12)

    def testRowsOfTheSameLevelWrittenDifferentlyAreRefused(self):
        from kesp.plot import TableError
        cases = [
            ([21, "21.0", 0], "lines 2 and 3: the same configuration (PAR p, KE 10, PO2 21)"),
            ([21, 0, "0.00"], "lines 3 and 4: the same configuration (PAR p, KE 10, PO2 0)"),
        ]
        for levels, message in cases:
            with self.subTest(levels=levels), tempfile.TemporaryDirectory() as folder:
                path = Path(folder) / "levels.csv"
                path.write_text(oxygenTable(levels))
                with self.assertRaises(TableError) as refusal:
                    oerPoints(path)
                self.assertIn(message, str(refusal.exception))


def dsbRows(count, energies=1, particle="p", sem="0.7"):
    """Rows of HEADER: `count` curves (particles p0, p1, ...) of `energies`
    points each, or one particle's curve when count is 1."""
    rows = []
    for curve in range(count):
        name = particle if count == 1 else f"{particle}{curve}"
        for energy in range(1, energies + 1):
            rows.append(f"{name},{energy},,{name},{energy * 0.5},53,{sem},8.9\n")
    return "".join(rows)


def oxygenTable(levels):
    """A table of one proton energy at the given PO2 texts, in that order."""
    lines = [f"p,10,{level},,p,4.5,{60 - i},1,," for i, level in enumerate(levels)]
    return ("PAR,KE,PO2,switches,particle,let_kev_um,dsb,dsb_sem,oer_dsb,oer_dsb_sem\n"
            + "\n".join(lines) + "\n")


class DamagedValueTest(RefusalCase):
    """Tables with values no figure can show, or item columns named like
    results, are refused naming the place; empty SEMs are no error bars."""

    def testValuesAndColumnsAreRefusedWithThePlaceNamed(self):
        clash = "PAR,let_kev_um,switches,particle,dsb,dsb_sem,dsb_per_gy_gbp\np,4.5,,p,53,0.7,8.9\n"
        cases = [
            ("negativeSem.csv", HEADER + "p,10,,p,4.5,53,-0.7,8.9\n",
             ["negativeSem.csv, line 2, column dsb_sem: '-0.7' is a negative standard error"]),
            ("hugeYield.csv", HEADER + "p,10,,p,4.5,53,0.7,1.7e308\n",
             ["hugeYield.csv, line 2, column dsb_per_gy_gbp: '1.7e308' is too large to draw"]),
            ("hugeLet.csv", HEADER + "p,10,,p,1.7e308,53,0.7,8.9\n",
             ["hugeLet.csv, line 2, column let_kev_um: '1.7e308' is too large to draw"]),
            ("hugeRbe.csv", "PAR,switches,particle,let_kev_um,rbe_dsb,rbe_dsb_sem\n"
             "p,,p,4.5,1.7e308,0.1\n4He,,4He,20,2,0.1\n",
             ["hugeRbe.csv, line 2, column rbe_dsb: '1.7e308' is too large to draw"]),
            ("tinyYield.csv", HEADER + "p,10,,p,4.5,1e-300,0.7,8.9\n",
             ["tinyYield.csv, line 2: the SEM of dsb_per_gy_gbp", "too large to draw"]),
            ("letClash.csv", clash, ["letClash.csv, line 1: column let_kev_um stands among "
                                     "the scan's items (before switches)"]),
            ("particleClash.csv", "# kesp-scan\nparticle,switches,PAR,let_kev_um,dsb,dsb_sem,"
             "dsb_per_gy_gbp\np,,p,4.5,53,0.7,8.9\n",
             ["particleClash.csv, line 2: column particle stands among the scan's items"]),
            ("repeated.csv", HEADER + dsbRows(1, 3) + dsbRows(1, 1),
             ["repeated.csv, lines 2 and 5: the same configuration (PAR p, KE 1) twice"]),
        ]
        for name, content, expected in cases:
            with self.subTest(name):
                self.refuse(name, content, expected)

    def testEmptySemIsNoErrorBar(self):
        # kesp-scan leaves the SEM of a configuration of fewer than 2 cells empty.
        rbe = "PAR,switches,particle,let_kev_um,rbe_dsb,rbe_dsb_sem\np,,p,4.5,1.2,\n4He,,4He,20,2,\n"
        cases = [
            ("allEmpty.csv", HEADER + dsbRows(1, 3, sem=""), "dsb_vs_energy", "3 of 3 points"),
            ("someEmpty.csv", HEADER + dsbRows(1, 2) + dsbRows(1, 3, sem="").splitlines(True)[2],
             "dsb_vs_energy", "1 of 3 points"),
            ("rbeEmpty.csv", rbe, "rbe_vs_let", "2 of 2 points"),
        ]
        for name, content, figure, missing in cases:
            with self.subTest(name):
                table = self.folder / name
                table.write_text(content)
                figures = self.folder / f"figures-{name}"
                result = plot(str(table), "-o", str(figures))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue((figures / f"{figure}.png").exists())
                # Said on stderr, so that no bar is not taken for a precise point.
                self.assertIn(f"{figure}: {missing} have no SEM (runs of fewer than 2 cells)", result.stderr)


class LargeTableTest(FigureChecks):
    """Tables too large to read are refused before they are read; large
    ones are drawn in time, with what a figure leaves out said on stderr."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="kesp-plot-large-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def plotTable(self, name, content, timeout=60):
        table = self.folder / name
        table.write_text(content)
        figures = self.folder / f"figures-{name}"
        result = subprocess.run([KESP_PLOT, str(table), "-o", str(figures)], capture_output=True,
                                text=True, timeout=timeout)
        self.assertNotIn("Traceback", result.stderr)
        return result, figures

    def testRepeatedConfigurationsAreRefusedAtOnce(self):
        # 2000 rows of two configurations: pairing them all with all took
        # minutes and gigabytes.
        rows = "p,10,21,,p,4.5,60,1,,\np,10,0,,p,4.5,20,1,,\n" * 1000
        result, _ = self.plotTable("repeated.csv", oxygenTable([21, 0]).splitlines()[0] + "\n"
                                   + rows, timeout=30)
        self.assertEqual(result.returncode, 2, result.stderr)
        self.assertIn("repeated.csv, lines 2 and 4: the same configuration (PAR p, KE 10, PO2 21) "
                      "twice", result.stderr)

    def testManyCurvesAndPointsAreCappedAndSaid(self):
        cases = [
            # name, curves, points per curve, the note, curves in the legend
            ("curves.csv", 5000, 1, "dsb_vs_let: 5000 curves; the first 20 in the table's order "
             "are drawn", 20),
            ("points.csv", 1, 3000, "dsb_vs_energy: curves of more than 1000 points; 1000 of each, "
             "evenly spread over its energy, are drawn", 1),
            ("fewer.csv", 20, 50, None, 20),
        ]
        for name, curves, points, note, shown in cases:
            with self.subTest(name):
                result, figures = self.plotTable(name, HEADER + dsbRows(curves, points),
                                                 timeout=120)
                # One particle is drawn against its energy.
                figure = "dsb_vs_let" if curves > 1 else "dsb_vs_energy"
                self.assertFiguresWritten(result, figures, (figure,))
                if note:
                    self.assertIn(f"kesp-plot: {self.folder / name}: {note}\n", result.stderr)
                else:
                    self.assertNotIn("drawn", result.stderr)
                svg = (figures / f"{figure}.svg").read_text(encoding="utf-8")
                labels = {f"<!-- p{i} -->" for i in range(curves)} if curves > 1 else {"<!-- p -->"}
                self.assertEqual(sum(label in svg for label in labels), shown)

    def testTablesTooLargeToReadAreRefused(self):
        sparse = self.folder / "huge.csv"
        with sparse.open("wb") as file:
            file.truncate(65 * 1024 * 1024)
        longRow = "PAR,switches\n" + "p," + "x" * 70000 + "\n"
        quoted = 'PAR,switches\np,"' + "x\n" * 40000 + '"\n'
        manyFields = "PAR,switches,let_kev_um\n" + "".join(f"{i},,1\n" for i in range(1700000))
        cases = [
            ("huge.csv", None,
             "huge.csv: 68157440 bytes; kesp-plot reads tables of at most 64 MiB"),
            ("longRow.csv", longRow, "longRow.csv, line 2: a line or row of more than 65536 bytes"),
            ("quoted.csv", quoted,
             "quoted.csv, line 32768: a line or row of more than 65536 bytes"),
            ("manyFields.csv", manyFields, "manyFields.csv, line 1666667: more than 5000000 "
                                           "fields; kesp-plot reads tables of at most that many"),
        ]
        for name, content, message in cases:
            with self.subTest(name):
                if content is None:
                    result = plot(str(self.folder / name))
                else:
                    result, _ = self.plotTable(name, content)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertNotIn("Traceback", result.stderr)


class OutputTest(FigureChecks):
    """What kesp-plot writes, and the statuses when an output cannot be
    written: titles and labels shown as written, closed and full streams,
    a full or read-only folder."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="kesp-plot-output-"))
        self.addCleanup(shutil.rmtree, self.folder)
        self.table = self.folder / "table.csv"
        self.table.write_text("# kesp-scan | title: output test\n" + HEADER + dsbRows(1, 3))
        self.figures = self.folder / "figures"

    def testTitleAndLabelsAreShownAsWritten(self):
        table = self.folder / "tex.csv"
        table.write_text("# kesp-scan | title: x $^$ y\n" + HEADER + dsbRows(1, 3, "a$b_c$"))
        result = plot(str(table), "-o", str(self.figures))
        self.assertFiguresWritten(result, self.figures, ("dsb_vs_energy",))
        svg = (self.figures / "dsb_vs_energy.svg").read_text(encoding="utf-8")
        self.assertIn("<!-- x $^$ y -->", svg)
        self.assertIn("<!-- a$b_c$ -->", svg)

    def runWith(self, stdout=subprocess.PIPE, stderr=subprocess.PIPE, table=None, more=()):
        process = subprocess.run([KESP_PLOT, str(table or self.table), "-o", str(self.figures),
                                  *more], stdout=stdout, stderr=stderr, text=True, timeout=120)
        return process.returncode, process.stderr or ""

    def testStreamsThatCannotBeWrittenEndWithStatusOneAndTheFiguresWritten(self):
        # The table allows one figure: the others are named on stderr.
        full = open("/dev/full", "w")
        self.addCleanup(full.close)
        cases = [
            ("stdout to /dev/null", dict(stdout=subprocess.DEVNULL), 0, "rbe_vs_energy skipped"),
            ("stdout full", dict(stdout=full), 1,
             "kesp-plot: standard output: cannot be written: No space left on device\n"),
            ("stderr full", dict(stderr=full), 1, None),
        ]
        for name, options, status, message in cases:
            with self.subTest(name):
                shutil.rmtree(self.figures, ignore_errors=True)
                code, stderr = self.runWith(**options)
                self.assertEqual(code, status, stderr)
                if message is not None:
                    self.assertIn(message, stderr)
                self.assertTrue((self.figures / "dsb_vs_energy.svg").exists())

    def testStandardOutputClosedAtStartOrByItsReader(self):
        closedAtStart = subprocess.run(
            ["/bin/sh", "-c", '"$0" "$1" -o "$2" >&-', KESP_PLOT, str(self.table),
             str(self.figures)], capture_output=True, text=True, timeout=120)
        self.assertEqual(closedAtStart.returncode, 1, closedAtStart.stderr)
        self.assertTrue(closedAtStart.stderr.endswith(
            "kesp-plot: standard output: cannot be written: it is closed\n"), closedAtStart.stderr)
        # The reader takes the first line and goes; the second figure's lines
        # then meet a closed pipe.
        table = self.folder / "two.csv"
        table.write_text(HEADER.replace(",dsb_per_gy_gbp", ",dsb_per_gy_gbp,pct_bd,pct_ssb,"
                                        "pct_ssb_plus,pct_2ssb,pct_dsb,pct_dsb_plus,"
                                        "pct_dsb_plus_plus")
                         + "".join(line.rstrip() + ",30,30,10,10,10,5,5\n"
                                   for line in dsbRows(1, 3).splitlines()))
        process = subprocess.Popen([KESP_PLOT, str(table), "-o", str(self.figures)],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertIn("wrote", process.stdout.readline())
        process.stdout.close()
        stderr = process.stderr.read()
        process.stderr.close()
        self.assertEqual(process.wait(timeout=120), 1, stderr)
        self.assertTrue(stderr.endswith(
            "kesp-plot: standard output: cannot be written: Broken pipe\n"), stderr)
        self.assertTrue((self.figures / "classes_vs_energy.svg").exists())

    def testVersionToAFullDiskAndRefusalToAFullErrorStream(self):
        with open("/dev/full", "w") as full:
            version = subprocess.run([KESP_PLOT, "--version"], stdout=full, timeout=60,
                                     stderr=subprocess.PIPE, text=True)
            refused = subprocess.run([KESP_PLOT, str(self.folder / "missing.csv")],
                                     stderr=full, timeout=60)
        self.assertEqual(version.returncode, 1, version.stderr)
        self.assertEqual(version.stderr,
                         "kesp-plot: standard output: cannot be written: No space left on device\n")
        self.assertEqual(refused.returncode, 2)

    def testFolderOnAFullOrReadOnlyFileSystem(self):
        # A small file system of its own, mounted in a private namespace.
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            self.skipTest("unshare -m is not allowed here")
        mount = self.folder / "mount"
        mount.mkdir()
        cases = [
            ("size=16k", "dsb_vs_energy.png: cannot be written: No space left on device"),
            ("ro", "dsb_vs_energy.png: cannot be written: Read-only file system"),
        ]
        # The folder is listed after the run: no temporary file is left.
        script = ('mount -t tmpfs -o "$1" tmpfs "$2" && '
                  '{ "$3" "$4" -o "$2"; s=$?; ls -A "$2"; exit $s; }')
        for options, message in cases:
            with self.subTest(options):
                result = subprocess.run(["unshare", "-m", "/bin/sh", "-c", script, "sh", options,
                                         str(mount), KESP_PLOT, str(self.table)],
                                        capture_output=True, text=True, timeout=120)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertNotIn("Traceback", result.stderr)
                self.assertEqual(result.stdout, "")



if __name__ == "__main__":
    unittest.main()
