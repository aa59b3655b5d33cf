"""The package installed: by cmake --install where its interpreter finds it,
and by pip from the checkout into a fresh virtual environment, offline."""

import os
import re
import subprocess
import sys
from pathlib import Path

import kesp

SOURCE_DIR = Path(os.environ["KESP_SOURCE_DIR"])
# The tests import the package from <build>/python/kesp.
BUILD_DIR = Path(kesp.__file__).resolve().parents[2]

# What an installed package must import and say.
IMPORT_CHECK = "import kesp, kesp._core; print(kesp.__version__); print(kesp.__file__); print(callable(kesp.scan))"

# A scan without simulation, and the program that prints its table.
PHYSICS_SCAN = {"vary": {"PAR": ["p", "12C"], "MEV/A": [10]}}
PHYSICS_TABLE = f"import kesp; print(kesp.scan({PHYSICS_SCAN!r}, physics_only=True, progress=False).to_csv(), end='')"


def cache_value(name: str) -> str:
    text = (BUILD_DIR / "CMakeCache.txt").read_text(encoding="utf-8")
    match = re.search(rf"^{name}:\w+=(.*)$", text, re.MULTILINE)
    assert match, f"{name} is not in the build's cache"
    return match.group(1)


def run_outside_the_build(command, **options):
    """Runs where neither the checkout nor the build tree is on the import path."""
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    environment.update(options.pop("env", {}))
    return subprocess.run(command, check=True, capture_output=True, text=True, env=environment, cwd="/", **options)


def test_cmake_install_puts_the_package_where_its_interpreter_finds_it(tmp_path):
    interpreter = cache_value("KESP_PYTHON")
    package_dir = cache_value("KESP_PYTHON_INSTALL_DIR")
    subprocess.run(["cmake", "--install", str(BUILD_DIR), "--prefix", str(tmp_path)], check=True,
                   capture_output=True)
    site = tmp_path / package_dir
    installed = sorted(path.name for path in (site / "kesp").iterdir())
    assert "py.typed" in installed and "__init__.py" in installed and "_scans.py" in installed
    assert any(re.fullmatch(r"_core\..*\.so", name) for name in installed)
    assert any(name.endswith(".pyi") for name in installed)
    output = run_outside_the_build([interpreter, "-c", IMPORT_CHECK], env={"PYTHONPATH": str(site)}).stdout
    version, file, scan = output.split()
    assert version == kesp.__version__
    assert Path(file).is_relative_to(tmp_path) and scan == "True"
    # Under the default prefix the interpreter looks there by itself.
    search_path = run_outside_the_build([interpreter, "-c", "import sys; print('\\n'.join(sys.path))"]).stdout
    default_prefix = "/usr/local" if interpreter == "/usr/bin/python3" else sys.prefix
    assert str(Path(default_prefix) / package_dir) in search_path.splitlines()


def test_pip_installs_the_checkout_offline_into_a_fresh_environment(tmp_path):
    environment = tmp_path / "venv"
    subprocess.run([cache_value("KESP_PYTHON"), "-m", "venv", "--system-site-packages", str(environment)],
                   check=True)
    python = environment / "bin" / "python"
    install = run_outside_the_build(
        [str(python), "-m", "pip", "install", "--no-build-isolation", "--no-index", "--no-cache-dir",
         str(SOURCE_DIR)],
        env={"PIP_DISABLE_PIP_VERSION_CHECK": "1"})
    assert "Successfully installed kesp-" + kesp.__version__ in install.stdout
    version, file, scan = run_outside_the_build([str(python), "-c", IMPORT_CHECK]).stdout.split()
    assert version == kesp.__version__ and scan == "True"
    assert Path(file).is_relative_to(environment)
    installed = {path.name for path in Path(file).parent.iterdir()}
    assert {"py.typed", "_core.pyi"} <= installed
    # The installed engine gives the build tree's numbers.
    physics = run_outside_the_build([str(python), "-c", PHYSICS_TABLE]).stdout
    assert physics == kesp.scan(PHYSICS_SCAN, physics_only=True, progress=False).to_csv()
    script = (environment / "bin" / "kesp-plot").read_text(encoding="utf-8")
    assert "from kesp.plot import main" in script
    # The temporary build folder is gone from the checkout.
    assert not list(SOURCE_DIR.glob("build-wheel-*"))


def test_configure_builds_for_the_interpreter_named_and_says_which(tmp_path):
    other = tmp_path / "other"
    subprocess.run([cache_value("KESP_PYTHON"), "-m", "venv", "--without-pip", str(other)], check=True)
    build = tmp_path / "build"
    options = ["-DKESP_BUILD_TESTS=OFF", "-DKESP_BUILD_PROGRAM=OFF"]
    own = (cache_value("KESP_PYTHON"), cache_value("KESP_PYTHON_INSTALL_DIR"))
    venv_dir = f"lib/python{sys.version_info.major}.{sys.version_info.minor}/site-packages"
    # Each one in turn, in one build folder: nothing of the last one stays.
    for interpreter, package_dir in [own, (str(other / "bin" / "python"), venv_dir), own]:
        configure = subprocess.run(["cmake", "-S", str(SOURCE_DIR), "-B", str(build), f"-DKESP_PYTHON={interpreter}",
                                    *options], check=True, capture_output=True, text=True).stdout
        assert f"Python module: built for {interpreter} " in configure
        assert f"installed to <prefix>/{package_dir}" in configure
