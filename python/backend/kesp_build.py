"""The build backend that pip and python -m build run (PEP 517): the project's CMake builds the module.

``pip install --no-build-isolation .`` in a checkout (or in an unpacked
sdist) builds the package kesp for the interpreter that runs pip, with the
project's own CMake in a temporary folder, and packs it into a wheel with
the standard library alone: nothing is downloaded, so it works offline with
what Debian provides. ``python -m build --no-isolation`` makes the sdist,
which holds what that build needs, and the wheel. The metadata is
pyproject.toml's [project] table (kesp_metadata); the version is the file
VERSION's. ccache, when it is on the PATH, keeps the compiled objects
between builds.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tempfile
from pathlib import Path
from typing import Any, Optional

from kesp_archives import write_sdist, write_wheel
from kesp_metadata import Project

SOURCE_DIR = Path(__file__).resolve().parents[2]
PACKAGE = "kesp"

__all__ = [
    "get_requires_for_build_sdist",
    "get_requires_for_build_wheel",
    "prepare_metadata_for_build_wheel",
    "build_sdist",
    "build_wheel",
]

# Before CMake's output: a build of the engine takes minutes, not seconds.
COMPILING_NOTE = ("kesp: compiling the C++ engine and its Python module with CMake; "
                  "this takes a few minutes (less when ccache has the objects)")


def get_requires_for_build_sdist(config_settings: Optional[dict[str, Any]] = None) -> list[str]:
    """Nothing but pyproject.toml's parser, part of Python from 3.11 on."""
    return [] if sys.version_info >= (3, 11) else ["tomli"]


def get_requires_for_build_wheel(config_settings: Optional[dict[str, Any]] = None) -> list[str]:
    """Nothing beyond CMake, a C++ compiler and the interpreter's pybind11 (and the parser of pyproject.toml)."""
    return get_requires_for_build_sdist(config_settings)


def prepare_metadata_for_build_wheel(
    metadata_directory: str, config_settings: Optional[dict[str, Any]] = None
) -> str:
    """Write the .dist-info folder pip reads before it builds; return its name."""
    project = Project(SOURCE_DIR)
    name = _dist_info_name(project)
    folder = Path(metadata_directory) / name
    folder.mkdir(parents=True, exist_ok=True)
    for file, text in _metadata_files(project).items():
        (folder / file).write_text(text, encoding="utf-8")
    return name


def build_sdist(sdist_directory: str, config_settings: Optional[dict[str, Any]] = None) -> str:
    """Pack the sources a wheel is built from, with PKG-INFO, into <name>-<version>.tar.gz; return its file name."""
    project = Project(SOURCE_DIR)
    sdist = f"{project.distribution}.tar.gz"
    write_sdist(Path(sdist_directory) / sdist, SOURCE_DIR, project.distribution, project.metadata())
    return sdist


def build_wheel(
    wheel_directory: str,
    config_settings: Optional[dict[str, Any]] = None,
    metadata_directory: Optional[str] = None,
) -> str:
    """Build the module with CMake and pack the package into a wheel; return its file name."""
    project = Project(SOURCE_DIR)
    with tempfile.TemporaryDirectory(prefix="build-wheel-", dir=_temporary_parent()) as build:
        package = _build_package(Path(build))
        wheel = f"{project.distribution}-{_wheel_tag()}.whl"
        write_wheel(Path(wheel_directory) / wheel, _package_files(package), _dist_info_name(project),
                    _metadata_files(project))
    return wheel


def _dist_info_name(project: Project) -> str:
    return f"{project.distribution}.dist-info"


def _metadata_files(project: Project) -> dict[str, str]:
    files = {
        "METADATA": project.metadata(),
        "WHEEL": f"Wheel-Version: 1.0\nGenerator: kesp_build\nRoot-Is-Purelib: false\nTag: {_wheel_tag()}\n",
    }
    if project.entry_points():
        files["entry_points.txt"] = project.entry_points()
    return files


def _wheel_tag() -> str:
    """The tag of a CPython extension module for this interpreter and platform (cp311-cp311-linux_x86_64)."""
    interpreter = f"cp{sys.version_info.major}{sys.version_info.minor}"
    abi = interpreter + ("d" if sysconfig.get_config_var("Py_DEBUG") else "")
    platform = re.sub(r"[-.]", "_", sysconfig.get_platform())
    return f"{interpreter}-{abi}-{platform}"


def _cmake_command() -> list[str]:
    cmake = shutil.which("cmake")
    if cmake is None:
        raise RuntimeError("kesp needs CMake 3.25 or later to build (Debian package cmake)")
    return [cmake]


def _configure_arguments(build: Path) -> list[str]:
    """The module for this interpreter alone: no program, no tests."""
    arguments = [
        "-S", str(SOURCE_DIR), "-B", str(build),
        f"-DKESP_PYTHON={sys.executable}",
        "-DKESP_BUILD_PYTHON=ON", "-DKESP_BUILD_SCAN=ON",
        "-DKESP_BUILD_PROGRAM=OFF", "-DKESP_BUILD_TESTS=OFF", "-DKESP_BUILD_BENCH=OFF",
    ]
    if shutil.which("ccache") and "CMAKE_CXX_COMPILER_LAUNCHER" not in os.environ:
        arguments.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    return arguments


def _temporary_parent() -> Optional[str]:
    """The checkout, when it can be written: a build folder beside the
    project's own build folder sees the sources by the same relative paths,
    so ccache gives the wheel the objects that build compiled. Else the
    system's temporary folder."""
    return str(SOURCE_DIR) if os.access(SOURCE_DIR, os.W_OK) else None


def _build_environment() -> dict[str, str]:
    """ccache takes paths relative to the folder of each compilation, and
    leaves that folder out of the cache key, so that builds in different
    folders (a checkout, an unpacked sdist) share their objects. A base
    folder given that does not hold these sources is of no use here."""
    environment = dict(os.environ)
    base = environment.get("CCACHE_BASEDIR")
    if not base or not SOURCE_DIR.is_relative_to(Path(base).resolve()):
        environment["CCACHE_BASEDIR"] = str(SOURCE_DIR)
    environment.setdefault("CCACHE_NOHASHDIR", "1")
    return environment


def _build_jobs() -> str:
    if "CMAKE_BUILD_PARALLEL_LEVEL" in os.environ:
        return os.environ["CMAKE_BUILD_PARALLEL_LEVEL"]
    return str(len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count() or 1)


def _build_package(build: Path) -> Path:
    """Configure and build the module; return the folder of the assembled package."""
    cmake = _cmake_command()
    environment = _build_environment()
    print(COMPILING_NOTE, file=sys.stderr, flush=True)
    _run([*cmake, *_configure_arguments(build)], environment)
    cache = (build / "CMakeCache.txt").read_text(encoding="utf-8")
    if not re.search(r"^KESP_PYTHON_INSTALL_DIR:", cache, re.MULTILINE):
        raise RuntimeError(
            f"kesp: the Python module cannot be built for {sys.executable}: CMake's output above says what is "
            "missing (Debian packages python3-dev, python3-pybind11)"
        )
    _run([*cmake, "--build", str(build), "--target", "kespPython", "-j", _build_jobs()], environment)
    package = build / "python" / PACKAGE
    _strip_debug_information(package, cache)
    return package


def _run(command: list[str], environment: dict[str, str]) -> None:
    """CMake's output goes to standard error, which python -m build shows as
    it comes, and pip install -v too (pip keeps a backend's standard output)."""
    sys.stdout.flush()
    sys.stderr.flush()
    subprocess.run(command, check=True, env=environment, stdout=sys.stderr.fileno())


def _strip_debug_information(package: Path, cache: str) -> None:
    """The module is compiled with debug information, as the project's own
    build is (so that ccache gives the wheel that build's objects); the
    wheel's copy goes without it, a twentieth of the size."""
    match = re.search(r"^CMAKE_STRIP:FILEPATH=(.+)$", cache, re.MULTILINE)
    strip = match.group(1) if match and Path(match.group(1)).is_file() else shutil.which("strip")
    if strip is None:
        raise RuntimeError("kesp: strip is needed to take the debug information out of the module (Debian package "
                           "binutils)")
    for module in package.glob("_core*.so"):
        subprocess.run([strip, "--strip-debug", str(module)], check=True)


def _package_files(package: Path) -> list[tuple[str, bytes]]:
    """The files of the assembled package, at their paths in the wheel."""
    return [(f"{PACKAGE}/{file.name}", file.read_bytes()) for file in sorted(package.iterdir())
            if file.is_file() and (file.suffix in (".py", ".pyi", ".so") or file.name == "py.typed")]
