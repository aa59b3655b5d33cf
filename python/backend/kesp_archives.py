"""The wheel (a zip with its RECORD) and the sdist (a gzipped tar with PKG-INFO), written with the standard library."""

from __future__ import annotations

import base64
import gzip
import hashlib
import io
import os
import re
import tarfile
import zipfile
from pathlib import Path

# What the sdist holds: all that CMake needs to build the module, the
# programs and the library with KESP_BUILD_TESTS=OFF, and the project's
# own description. Test, benchmark, web and documentation sources stay in
# the repository.
SDIST_FILES = ["CMakeLists.txt", "VERSION", "pyproject.toml", "README.md", "CITATION.cff"]
SDIST_FOLDERS = ["cmake", "kesp", "support", "physics", "input", "damage", "engine", "survival", "report", "driver",
                 "scan", "plot", "python", "data", "examples/library"]
BUILD_FOLDER = re.compile(r"build([-_.].*)?")  # build, build-wheel-xyz, build_web
SKIPPED_NAMES = {"__pycache__", ".mypy_cache", ".pytest_cache", "node_modules"}
SKIPPED_SUFFIXES = {".pyc", ".pyo", ".so", ".swp"}


def write_wheel(wheel: Path, files: list[tuple[str, bytes]], dist_info: str, metadata: dict[str, str]) -> None:
    """The files at their paths in the wheel, then the .dist-info folder with its RECORD of every file."""
    entries = files + [(f"{dist_info}/{name}", text.encode("utf-8")) for name, text in metadata.items()]
    record = "".join(_record_line(path, data) + "\n" for path, data in entries) + f"{dist_info}/RECORD,,\n"
    entries.append((f"{dist_info}/RECORD", record.encode("utf-8")))
    with zipfile.ZipFile(wheel, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        for path, data in entries:
            archive.writestr(path, data)


def sdist_files(source_dir: Path) -> list[Path]:
    """The files of the sdist, relative to the source folder, in a fixed order."""
    files = []
    for name in SDIST_FILES:
        if not (source_dir / name).is_file():
            raise RuntimeError(f"{source_dir / name} is missing: the sdist needs it")
        files.append(Path(name))
    for folder in SDIST_FOLDERS:
        if not (source_dir / folder).is_dir():
            raise RuntimeError(f"{source_dir / folder} is missing: the sdist needs it")
        for root, folders, names in os.walk(source_dir / folder):
            folders[:] = sorted(f for f in folders if f not in SKIPPED_NAMES and not BUILD_FOLDER.fullmatch(f))
            files += [(Path(root) / name).relative_to(source_dir) for name in sorted(names)
                      if Path(name).suffix not in SKIPPED_SUFFIXES]
    return files


def write_sdist(sdist: Path, source_dir: Path, top: str, pkg_info: str) -> None:
    """<top>/PKG-INFO and the files of sdist_files() under <top>/, as a gzipped tar.

    Owners and times are left out (SOURCE_DATE_EPOCH, when set, dates every
    member), so that the same sources give the same archive."""
    mtime = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    with open(sdist, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", mtime=mtime, filename="") as compressed:
        with tarfile.open(fileobj=compressed, mode="w", format=tarfile.PAX_FORMAT) as archive:
            _add_member(archive, f"{top}/PKG-INFO", pkg_info.encode("utf-8"), 0o644, mtime)
            for file in sdist_files(source_dir):
                path = source_dir / file
                mode = 0o755 if os.access(path, os.X_OK) else 0o644
                _add_member(archive, f"{top}/{file.as_posix()}", path.read_bytes(), mode, mtime)


def _add_member(archive: tarfile.TarFile, name: str, data: bytes, mode: int, mtime: int) -> None:
    info = tarfile.TarInfo(name)
    info.size, info.mode, info.mtime = len(data), mode, mtime
    archive.addfile(info, io.BytesIO(data))


def _record_line(path: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
    return f"{path},sha256={digest},{len(data)}"
