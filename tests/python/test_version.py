"""One release number, the file VERSION's, wherever the project names one:
kesp --version, the JSON document of kesp and of kesp.Results, the Python
package, the CMake package, the pkg-config file and CITATION.cff. (The web
engine's is checked against the program in tests/web/engine.test.mjs, the
wheel's in test_install.py.)"""

import json
import os
import re
import subprocess
from pathlib import Path

import kesp

SOURCE_DIR = Path(os.environ["KESP_SOURCE_DIR"])
BUILD_DIR = Path(kesp.__file__).resolve().parents[2]
RELEASE = (SOURCE_DIR / "VERSION").read_text(encoding="utf-8").strip()
QUICK_INPUT = "Version check\nSIMCON: NOCS=2 SEED=1\nRADX: PAR=p KE=10\n"


def test_the_version_file_holds_one_release_number():
    text = (SOURCE_DIR / "VERSION").read_text(encoding="utf-8")
    assert re.fullmatch(r"[0-9]+(\.[0-9]+)+\n", text), repr(text)


def test_program_and_its_json_document_name_the_release(tmp_path):
    program = os.environ["KESP_EXECUTABLE"]
    version = subprocess.run([program, "--version"], check=True, capture_output=True, text=True).stdout
    assert f"release: {RELEASE}" in version.splitlines()
    (tmp_path / "quick.inp").write_text(QUICK_INPUT, encoding="ascii")
    subprocess.run([program, "quick.inp", "/json"], check=True, capture_output=True, cwd=tmp_path)
    written = json.loads((tmp_path / "quick.json").read_text(encoding="utf-8"))
    # The banner's title stays the report's; the release comes beside it.
    assert written["program"]["release"] == RELEASE
    assert written["program"]["version"] == version.splitlines()[0]


def test_python_package_and_its_documents_name_the_release(tmp_path):
    assert kesp.__version__ == RELEASE
    (tmp_path / "quick.inp").write_text(QUICK_INPUT, encoding="ascii")
    results = kesp.run(tmp_path / "quick.inp", progress=False)
    assert results.to_dict()["program"]["release"] == RELEASE


def test_cmake_package_and_pkg_config_file_name_the_release(tmp_path):
    # What find_package(kesp <version> EXACT) decides from the file it installs.
    script = tmp_path / "find.cmake"
    script.write_text(
        f'set(PACKAGE_FIND_VERSION "{RELEASE}")\n'
        'string(REPLACE "." ";" parts "${PACKAGE_FIND_VERSION}")\n'
        'list(GET parts 0 PACKAGE_FIND_VERSION_MAJOR)\n'
        f'include("{BUILD_DIR / "cmake" / "kespConfigVersion.cmake"}")\n'
        'message("${PACKAGE_VERSION} ${PACKAGE_VERSION_EXACT} ${PACKAGE_VERSION_COMPATIBLE}")\n',
        encoding="utf-8")
    found = subprocess.run(["cmake", "-P", str(script)], check=True, capture_output=True, text=True).stderr.split()
    assert found == [RELEASE, "TRUE", "TRUE"]
    pc = (BUILD_DIR / "cmake" / "kesp.pc").read_text(encoding="utf-8")
    assert f"Version: {RELEASE}" in pc.splitlines()


def test_citation_file_names_the_release():
    text = (SOURCE_DIR / "CITATION.cff").read_text(encoding="utf-8")
    assert re.search(r"^cff-version: 1\.2\.0$", text, re.MULTILINE)
    versions = re.findall(r"^version: \"?([^\"\n]+)\"?$", text, re.MULTILINE)
    assert versions == [RELEASE]
