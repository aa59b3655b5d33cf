"""Reading a kesp-scan table for its figures: the checked file reader, the
scan it describes and the columns of its values.
"""

from __future__ import annotations

import csv
import os
from collections.abc import Iterable, Iterator, Sequence
from pathlib import Path
from typing import BinaryIO, Optional

import numpy as np
import pandas as pd

ENERGY_ITEMS = ("KE", "MEV/A")
OXYGEN_ITEMS = ("PO2", "MMHG")
CURVE_COLUMNS = ("switches", "particle", "let_kev_um")
CLASS_NAMES = {
    "pct_bd": "BD", "pct_ssb": "SSB", "pct_ssb_plus": "SSB+", "pct_2ssb": "2SSB",
    "pct_dsb": "DSB", "pct_dsb_plus": "DSB+", "pct_dsb_plus_plus": "DSB++",
}
# Columns the figures read as results or make themselves: an item of the
# scan (a column before switches) of one of these names would be taken for them.
RESULT_COLUMNS = frozenset(
    CURVE_COLUMNS[1:] + ("dsb", "dsb_sem", "dsb_per_gy_gbp", "ssb", "ssb_sem", "ssb_per_gy_gbp",
                         "rbe_dsb", "rbe_dsb_sem", "oer_dsb", "oer_dsb_sem") + tuple(CLASS_NAMES)
    + ("dsb_per_gy_gbp_sem", "ssb_per_gy_gbp_sem", "oer", "oer_sem"))

# What a table may hold, checked before it is read in full: its size, the
# length of one row and the number of fields in all (100000 rows of a
# kesp-scan table with a reference have 4.1 million).
MAX_TABLE_BYTES = 64 * 1024 * 1024
MAX_ROW_BYTES = 64 * 1024
MAX_FIELDS = 5_000_000
# The largest magnitude of a value drawn; larger ones overflow the axes.
MAX_VALUE = 1e15


class TableError(ValueError):
    """The table cannot be used (kesp-plot's exit status 2)."""


class FigureNotDrawable(ValueError):
    """This figure cannot be drawn from the table; the reason is the message."""


def number_text(value: object) -> str:
    """A value of a table as kesp-scan writes it.

    Whole floats without a
    fraction (21.0 as 21), a missing value as the empty text.
    """
    if isinstance(value, float):
        if np.isnan(value):
            return ""
        return str(int(value)) if value.is_integer() and abs(value) < 1e15 else repr(value)
    return "" if value is None or value is pd.NA else str(value)


def exact_number(text: str) -> float:
    """The number a field writes, to the last bit.

    (kesp-scan writes values
    that read back exactly); NaN for an empty field or other text.
    """
    try:
        return float(text) if "_" not in text else np.nan
    except ValueError:
        return np.nan


class Scan:
    """A scan table with its title, reference and varied items.

    A scan table: its cells (indexed by the line of the file they stand
    on, or by the row of a DataFrame), its title, its reference radiation in
    words and the items the scan varies (the columns before `switches`).
    """

    def __init__(self, table: pd.DataFrame, title: str = "", reference: str = "",
                 path: Optional[Path] = None) -> None:
        self.table = table
        self.title = title
        self.reference = reference
        self.path = path
        self.scan_file_name = ""
        columns = list(table.columns)
        self.varied = columns[:columns.index("switches")] if "switches" in columns else []

    @property
    def name(self) -> str:
        """The table as messages name it."""
        return str(self.path) if self.path is not None else "the table"

    def place(self, line: object) -> str:
        """Where a row stands: the file's line, or the DataFrame's row."""
        return f"{self.path}, line {line}" if self.path is not None else f"the table, row {line}"

    def require(self, columns: Sequence[str], likely_cause: str = "") -> None:
        missing = [column for column in columns if column not in self.table.columns]
        if missing:
            cause = f" ({likely_cause})" if likely_cause else ""
            raise FigureNotDrawable("the table has no column " + ", ".join(missing) + cause)

    def texts(self, columns: Sequence[str]) -> pd.DataFrame:
        """The columns as text, as the file writes them."""
        result = pd.DataFrame(index=self.table.index)
        for column in columns:
            values = self.table[column]
            # A file's cells are its text already.
            result[column] = values if self.path is not None else values.map(number_text)
        return result

    def numbers(self, columns: Sequence[str]) -> pd.DataFrame:
        """The columns as numbers (an empty field is NaN).

        Any other text, a
        value too large to draw or a negative standard error is refused with
        the place of the first bad field.
        """
        self.require(columns)
        result = pd.DataFrame(index=self.table.index)
        for column in columns:
            values = self.table[column]
            if pd.api.types.is_numeric_dtype(values) and self.path is None:
                values = values.astype(float)
                text = values.map(number_text)
            else:
                text = self.texts((column,))[column]
                values = text.map(exact_number)
            self.refuse_where((text != "") & ~np.isfinite(values), column, "is not a number")
            self.refuse_where(values.abs() > MAX_VALUE, column,
                              f"is too large to draw (beyond ±{MAX_VALUE:g})")
            if column.endswith("_sem"):
                self.refuse_where(values < 0, column, "is a negative standard error")
            result[column] = values
        return result

    def refuse_where(self, bad: pd.Series, column: str, problem: str) -> None:
        if bad.any():
            line = bad.idxmax()
            raise TableError(f"{self.place(line)}, column {column}: "
                             f"{number_text(self.table.at[line, column])!r} {problem}")


def read_scan(path: Path) -> Scan:
    """Read a kesp-scan table.

    Reads a kesp-scan table: the comment lines at its top, a header and
    rows of as many fields, each configuration once.
    """
    if not path.exists():
        raise TableError(f"{path}: no such file")
    if not path.is_file():
        raise TableError(f"{path}: not a regular file")
    try:
        size = path.stat().st_size
        if size > MAX_TABLE_BYTES:
            raise TableError(f"{path}: {size} bytes; kesp-plot reads tables of at most "
                             f"{MAX_TABLE_BYTES // 2**20} MiB")
        with path.open("rb") as file:
            lines = BoundedLines(path, file)
            heading = comment_fields(lines.comments())
            header, header_line, rows, line_numbers = split_rows(path, lines)
    except OSError as error:
        raise TableError(f"{path}: cannot be read: {error.strerror or error}")
    table = pd.DataFrame(rows, columns=header, index=line_numbers, dtype=str)
    scan = Scan(table, heading.get("title", ""), path=path)
    scan.scan_file_name = heading.get("scan", "")
    check_item_names(scan, header_line)
    check_configurations_unique(scan)
    return scan


def scan_from_frame(table: pd.DataFrame, title: Optional[str],
                    reference: Optional[str]) -> Scan:
    """A scan table of a DataFrame.

    A DataFrame as kesp.scan returns it or pandas.read_csv reads
    kesp-scan's CSV; the title and reference default to its attrs.
    """
    if not isinstance(table, pd.DataFrame):
        raise TypeError(f"a scan table is a pandas DataFrame, not {type(table).__name__}")
    repeated = table.columns[table.columns.duplicated()]
    if len(repeated):
        raise TableError(f"the table has the column {repeated[0]} twice")
    if not table.index.is_unique:
        # Rows are then told apart by their position (row 0 first).
        table = table.reset_index(drop=True)
    scan = Scan(table, table.attrs.get("title", "") if title is None else title,
                table.attrs.get("reference", "") if reference is None else reference)
    check_item_names(scan, "header")
    check_configurations_unique(scan)
    return scan


class BoundedLines:
    """The lines of an open table, counted and decoded.

    The lines of an open table (binary), counted and decoded, for the CSV
    reader; a row longer than MAX_ROW_BYTES (a quoted field may span lines)
    or a line that is not UTF-8 text stops the reading.
    """

    def __init__(self, path: Path, file: BinaryIO) -> None:
        self.path = path
        self.file = file
        self.number = 0
        self.row_bytes = 0
        self.pending: Optional[str] = None

    def next_line(self) -> str:
        """The next line; the one comments() looked at first if it kept one."""
        if self.pending is not None:
            line, self.pending = self.pending, None
            return line
        data = self.file.readline(MAX_ROW_BYTES + 1)
        if not data:
            return ""
        self.number += 1
        self.row_bytes += len(data)
        if self.row_bytes > MAX_ROW_BYTES:
            raise TableError(f"{self.path}, line {self.number}: a line or row of more than "
                             f"{MAX_ROW_BYTES} bytes; kesp-plot reads none longer")
        try:
            return data.decode("utf-8")
        except UnicodeDecodeError:
            raise TableError(f"{self.path}: not a text table "
                             f"(line {self.number} is not UTF-8 text)")

    def comments(self) -> Iterator[str]:
        """The comment lines at the top of the table.

        The first other line
        is kept for the rows.
        """
        while (line := self.next_line()).startswith("#"):
            self.start_row()
            yield line
        self.pending = line or None

    def start_row(self) -> None:
        self.row_bytes = 0

    def __iter__(self) -> Iterator[str]:
        while line := self.next_line():
            yield line


def comment_fields(comment_lines: Iterable[str]) -> dict[str, str]:
    """The scan file's name and the title the comment lines give.

    The scan file's name and the title of the first comment line that
    has them (`# kesp-scan 3.0 | scan: a.yaml | ... | title: text`); all the
    comment lines are read, since the rows follow them.
    """
    fields: dict[str, str] = {}
    for line in comment_lines:
        if "title" not in fields and "| title: " in line:
            line, title = line.split("| title: ", 1)
            fields["title"] = title.strip()
            for part in line.split(" | ")[1:]:
                if part.startswith("scan: "):
                    fields.setdefault("scan", part[len("scan: "):].strip())
    return fields


def split_rows(path: Path, lines: BoundedLines
               ) -> tuple[list[str], int, list[list[str]], list[int]]:
    """The header and rows of the table, with their lines.

    The header, its line, the rows of the table and the line of the file
    each row stands on (blank lines are skipped); at most MAX_FIELDS fields.
    """
    reader = csv.reader(lines)
    header: Optional[list[str]] = None
    header_line, rows, line_numbers = 0, [], []
    try:
        for row in read_rows(reader, lines):
            if header is None:
                header, header_line = checked_header(path, lines.number, row), lines.number
            elif len(row) != len(header):
                raise TableError(f"{path}, line {lines.number}: {len(row)} fields, "
                                 f"but the header has {len(header)}")
            elif (len(rows) + 2) * len(header) > MAX_FIELDS:
                raise TableError(f"{path}, line {lines.number}: more than {MAX_FIELDS} fields; "
                                 f"kesp-plot reads tables of at most that many")
            else:
                rows.append(row)
                line_numbers.append(lines.number)
    except csv.Error as error:
        raise TableError(f"{path}, line {lines.number}: not a CSV line ({error})")
    if header is None:
        raise TableError(f"{path}: empty, no header line")
    if not rows:
        raise TableError(f"{path}: a header but no rows")
    return header, header_line, rows, line_numbers


def read_rows(reader: Iterator[list[str]], lines: BoundedLines) -> Iterator[list[str]]:
    """The non-blank rows of the reader.

    Each begun with a fresh count of
    its bytes.
    """
    while True:
        lines.start_row()
        row = next(reader, None)
        if row is None:
            return
        if row:
            yield row


def checked_header(path: Path, line: int, header: list[str]) -> list[str]:
    seen = set()
    for column in header:
        if column in seen:
            raise TableError(f"{path}, line {line}: column {column} appears twice in the header")
        seen.add(column)
    return header


def check_item_names(scan: Scan, header_line: object) -> None:
    """An item of the scan named like a result column would be taken for it."""
    where = f"{scan.path}, line {header_line}" if scan.path is not None else "the table"
    for column in scan.varied:
        if column in RESULT_COLUMNS:
            raise TableError(f"{where}: column {column} stands among the scan's items "
                             f"(before switches), but it is the name of a result")


def check_configurations_unique(scan: Scan) -> None:
    """Refuse a configuration that is repeated.

    Each configuration (the values of the items before switches) is one
    row of a kesp-scan table; a repeated one is refused with both places.
    """
    if "switches" not in scan.table.columns or len(scan.table) < 2:
        return
    items = scan.texts(scan.varied) if scan.varied else pd.DataFrame(
        {"": ""}, index=scan.table.index)
    repeated = items.duplicated()
    if repeated.any():
        line = repeated.idxmax()
        first = items.index[(items == items.loc[line]).all(axis=1)][0]
        refuse_repeat(scan, first, line, scan.varied)


def refuse_repeat(scan: Scan, first: object, second: object, columns: Sequence[str]) -> None:
    values = ", ".join(f"{column} {number_text(scan.table.at[first, column])}"
                       for column in columns)
    described = f" ({values})" if values else ""
    where = f"{scan.path}, lines {first} and {second}" if scan.path is not None \
        else f"the table, rows {first} and {second}"
    raise TableError(f"{where}: the same configuration{described} twice")


def scan_file_reference(path: Path) -> str:
    """The reference radiation of a scan file in words.

    ("1 MeV e"), or the
    empty text when the file has none; a file that cannot be read or parsed
    is a TableError.
    """
    import yaml  # only a table whose reference is looked up needs it

    try:
        with path.open(encoding="utf-8") as file:
            document = yaml.safe_load(file)
    except (OSError, UnicodeDecodeError, yaml.YAMLError) as error:
        problem = getattr(error, "strerror", None) or str(error).splitlines()[0]
        raise TableError(f"{path}: the scan file cannot be read: {problem}")
    reference = document.get("reference") if isinstance(document, dict) else None
    return describe_radiation(reference) if isinstance(reference, dict) else ""


def describe_radiation(items: dict) -> str:
    """Radiation items of a scan file in words.

    {PAR: e, KE: 1} is
    "1 MeV e", {PAR: 12C, MEV/A: 10} "10 MeV/u 12C", {FN: f.txt} "the field of f.txt".
    """
    items = {str(key).upper(): number_text(value) for key, value in items.items()}
    if "FN" in items:
        return f"the field of {os.path.basename(items['FN'])}"
    energy = f"{items['KE']} MeV" if "KE" in items else \
        f"{items['MEV/A']} MeV/u" if "MEV/A" in items else ""
    return " ".join(part for part in (energy, items.get("PAR", "")) if part)
