"""The build backend that pip runs (PEP 517): the project's CMake builds the module.

``pip install --no-build-isolation .`` in a checkout builds the package kesp
for the interpreter that runs pip, with the project's own CMake in a
temporary folder, and packs it into a wheel with the standard library alone:
nothing is downloaded, so it works offline with what Debian provides.
ccache, when it is on the PATH, keeps the compiled objects between builds.
"""

from __future__ import annotations

import base64
import hashlib
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tempfile
import zipfile
from pathlib import Path
from typing import Any, Optional

NAME = "kesp"
SUMMARY = "DNA lesion clusters induced by ionising radiation, per gray, by Monte Carlo simulation"
REQUIRES_PYTHON = ">=3.9"
REQUIRES = ["pandas", "tqdm", "matplotlib"]
CONSOLE_SCRIPTS = {"kesp-plot": "kesp.plot:main"}

SOURCE_DIR = Path(__file__).resolve().parents[2]

__all__ = [
    "get_requires_for_build_wheel",
    "prepare_metadata_for_build_wheel",
    "build_wheel",
]


def get_requires_for_build_wheel(config_settings: Optional[dict[str, Any]] = None) -> list[str]:
    """Nothing beyond CMake, a C++ compiler and the interpreter's pybind11."""
    return []


def prepare_metadata_for_build_wheel(
    metadata_directory: str, config_settings: Optional[dict[str, Any]] = None
) -> str:
    """Write the .dist-info folder pip reads before it builds; return its name."""
    name = _dist_info_name()
    folder = Path(metadata_directory) / name
    folder.mkdir(parents=True, exist_ok=True)
    for file, text in _metadata_files().items():
        (folder / file).write_text(text, encoding="utf-8")
    return name


def build_wheel(
    wheel_directory: str,
    config_settings: Optional[dict[str, Any]] = None,
    metadata_directory: Optional[str] = None,
) -> str:
    """Build the module with CMake and pack the package into a wheel; return its file name."""
    with tempfile.TemporaryDirectory(prefix="build-wheel-", dir=_temporary_parent()) as build:
        package = _build_package(Path(build))
        wheel = f"{NAME}-{project_version()}-{_wheel_tag()}.whl"
        _write_wheel(Path(wheel_directory) / wheel, package)
    return wheel


def project_version() -> str:
    """The version the project's CMakeLists.txt gives (project(kesp VERSION ...))."""
    text = (SOURCE_DIR / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(\s*kesp\s+VERSION\s+([0-9.]+)", text)
    if match is None:
        raise RuntimeError(f"{SOURCE_DIR / 'CMakeLists.txt'}: no project(kesp VERSION ...) found")
    return match.group(1)


def _dist_info_name() -> str:
    return f"{NAME}-{project_version()}.dist-info"


def _metadata_files() -> dict[str, str]:
    metadata = [
        "Metadata-Version: 2.1",
        f"Name: {NAME}",
        f"Version: {project_version()}",
        f"Summary: {SUMMARY}",
        f"Requires-Python: {REQUIRES_PYTHON}",
        *(f"Requires-Dist: {requirement}" for requirement in REQUIRES),
    ]
    scripts = "".join(f"{name} = {target}\n" for name, target in CONSOLE_SCRIPTS.items())
    return {
        "METADATA": "\n".join(metadata) + "\n",
        "entry_points.txt": f"[console_scripts]\n{scripts}",
        "WHEEL": f"Wheel-Version: 1.0\nGenerator: kesp_build\nRoot-Is-Purelib: false\nTag: {_wheel_tag()}\n",
    }


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
    folders share their objects."""
    environment = dict(os.environ)
    environment.setdefault("CCACHE_BASEDIR", str(SOURCE_DIR))
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
    subprocess.run([*cmake, *_configure_arguments(build)], check=True, env=environment)
    cache = (build / "CMakeCache.txt").read_text(encoding="utf-8")
    if not re.search(r"^KESP_PYTHON_INSTALL_DIR:", cache, re.MULTILINE):
        raise RuntimeError(
            f"kesp: the Python module cannot be built for {sys.executable}: CMake's output above says what is "
            "missing (Debian packages python3-dev, python3-pybind11)"
        )
    subprocess.run([*cmake, "--build", str(build), "--target", "kespPython", "-j", _build_jobs()],
                   check=True, env=environment)
    return build / "python" / NAME


def _record_line(path: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
    return f"{path},sha256={digest},{len(data)}"


def _write_wheel(wheel: Path, package: Path) -> None:
    """The package's files, then the .dist-info folder with its RECORD of every file."""
    entries: list[tuple[str, bytes]] = []
    for file in sorted(package.iterdir()):
        if file.is_file() and (file.suffix in (".py", ".pyi", ".so") or file.name == "py.typed"):
            entries.append((f"{NAME}/{file.name}", file.read_bytes()))
    info = _dist_info_name()
    entries += [(f"{info}/{name}", text.encode("utf-8")) for name, text in _metadata_files().items()]
    record = "".join(_record_line(path, data) + "\n" for path, data in entries) + f"{info}/RECORD,,\n"
    entries.append((f"{info}/RECORD", record.encode("utf-8")))
    with zipfile.ZipFile(wheel, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        for path, data in entries:
            archive.writestr(path, data)
