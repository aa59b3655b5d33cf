"""The build backend's metadata and sdist, on projects made up for the
purpose (the real build is test_install.py's)."""

import os
import sys
import tarfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(os.environ["KESP_SOURCE_DIR"]) / "python" / "backend"))
from kesp_archives import SDIST_FOLDERS, sdist_files, write_sdist  # noqa: E402
from kesp_metadata import Project  # noqa: E402

PYPROJECT = """
[project]
name = "kesp"
dynamic = ["version"]
description = "Damage per gray"
readme = "README.md"
requires-python = ">=3.9"
dependencies = ["numpy", "pandas"]
{extra}
[project.optional-dependencies]
notebooks = ["ipykernel"]

[project.scripts]
kesp-plot = "kesp.plot:main"
"""


def make_project(folder: Path, version: str = "3.0\n", extra: str = "") -> Path:
    (folder / "pyproject.toml").write_text(PYPROJECT.format(extra=extra), encoding="utf-8")
    (folder / "VERSION").write_text(version, encoding="utf-8")
    (folder / "README.md").write_text("# KESP\n\nText.\n", encoding="utf-8")
    return folder


def test_metadata_and_entry_points_come_from_pyproject_and_the_version_file(tmp_path):
    project = Project(make_project(tmp_path, version="4.2.1\n"))
    header, body = project.metadata().split("\n\n", 1)
    assert header.splitlines() == [
        "Metadata-Version: 2.1", "Name: kesp", "Version: 4.2.1", "Summary: Damage per gray",
        "Requires-Python: >=3.9", "Requires-Dist: numpy", "Requires-Dist: pandas",
        "Provides-Extra: notebooks", 'Requires-Dist: ipykernel; extra == "notebooks"',
        "Description-Content-Type: text/markdown"]
    assert body == "# KESP\n\nText.\n"
    assert project.entry_points() == "[console_scripts]\nkesp-plot = kesp.plot:main\n"
    assert project.distribution == "kesp-4.2.1"


@pytest.mark.parametrize("version, extra, message", [
    ("3.0 beta\n", "", "not a release number"),
    ("\n", "", "not a release number"),
    ("3.0\n", 'license = "MIT"\n', "are not written by the kesp_build backend"),
])
def test_what_the_backend_cannot_write_is_refused_not_dropped(tmp_path, version, extra, message):
    with pytest.raises(RuntimeError, match=message):
        Project(make_project(tmp_path, version=version, extra=extra))


def test_sdist_leaves_out_build_output_and_says_what_is_missing(tmp_path):
    (tmp_path / "source").mkdir()
    source = make_project(tmp_path / "source")
    for name in ("CMakeLists.txt", "CITATION.cff"):
        (source / name).write_text("x\n", encoding="utf-8")
    for folder in SDIST_FOLDERS:
        (source / folder).mkdir(parents=True)
        (source / folder / "a.cpp").write_text("int a;\n", encoding="utf-8")
    for stray in ("python/__pycache__/x.pyc", "python/build-wheel-1/y.o", "python/kesp_cache.pyc"):
        (source / stray).parent.mkdir(parents=True, exist_ok=True)
        (source / stray).write_bytes(b"\0")
    files = {path.as_posix() for path in sdist_files(source)}
    assert files == {"CMakeLists.txt", "VERSION", "pyproject.toml", "README.md", "CITATION.cff",
                     *(f"{folder}/a.cpp" for folder in SDIST_FOLDERS)}
    write_sdist(tmp_path / "a.tar.gz", source, "kesp-3.0", "PKG\n")
    write_sdist(tmp_path / "b.tar.gz", source, "kesp-3.0", "PKG\n")
    # The same sources give the same bytes.
    assert (tmp_path / "a.tar.gz").read_bytes() == (tmp_path / "b.tar.gz").read_bytes()
    with tarfile.open(tmp_path / "a.tar.gz") as archive:
        assert archive.getnames()[0] == "kesp-3.0/PKG-INFO"
    (source / "data" / "a.cpp").unlink()
    (source / "data").rmdir()
    with pytest.raises(RuntimeError, match="data is missing"):
        sdist_files(source)
