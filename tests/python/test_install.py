"""The package installed: by cmake --install where its interpreter finds it,
by pip from the checkout into a fresh virtual environment, and from the wheel
that python -m build makes of the sdist, offline; the example notebooks run
in that environment's own kernel."""

import json
import os
import re
import shutil
import subprocess
import sys
import tarfile
import zipfile
from pathlib import Path

import pytest

import kesp

SOURCE_DIR = Path(os.environ["KESP_SOURCE_DIR"])
# The tests import the package from <build>/python/kesp.
BUILD_DIR = Path(kesp.__file__).resolve().parents[2]

# What an installed package must import and say.
IMPORT_CHECK = "import kesp, kesp._core; print(kesp.__version__); print(kesp.__file__); print(callable(kesp.scan))"

# A scan without simulation, and the program that prints its table.
PHYSICS_SCAN = {"vary": {"PAR": ["p", "12C"], "MEV/A": [10]}}
PHYSICS_TABLE = f"import kesp; print(kesp.scan({PHYSICS_SCAN!r}, physics_only=True, progress=False).to_csv(), end='')"

# A short run of the engine, and the numbers of its JSON document that do
# not depend on the clock.
RUN_NUMBERS = ("import json, kesp; "
               "d = kesp.run(kesp.particle('12C', kinetic_energy_per_nucleon_mev=10.0), cells=20, seed=5, "
               "progress=False).to_dict(); "
               "print(json.dumps({key: d[key] for key in ('physics', 'yields', 'tables')}, sort_keys=True))")

# The extension of the wheel is built without debug information: at most a
# quarter of what the build tree's (with it) used to weigh, 36 MB.
EXTENSION_BOUND_BYTES = 9_000_000

# A quick notebook, and the kernel name the guide to notebooks in a virtual
# environment registers (docs/guide/notebooks-in-a-venv.md).
NOTEBOOK = SOURCE_DIR / "examples" / "notebooks" / "dsbYieldOneIon.ipynb"
KERNEL = "kesp-venv"
OFFLINE = {"PIP_DISABLE_PIP_VERSION_CHECK": "1", "PIP_NO_INDEX": "1"}


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
        env=OFFLINE)
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


@pytest.fixture(scope="module")
def distributions(tmp_path_factory):
    """The sdist of the checkout and the wheel built from it, as python -m build
    makes them offline by default: the sdist first, then the wheel from the
    sdist unpacked, with the same backend."""
    output = tmp_path_factory.mktemp("dist")
    build = subprocess.run([cache_value("KESP_PYTHON"), "-m", "build", "--no-isolation", "--outdir", str(output),
                            str(SOURCE_DIR)], capture_output=True, text=True, cwd="/")
    assert build.returncode == 0, build.stdout + build.stderr
    # The compiler's progress shows, on standard error, after a word of warning.
    assert "this takes a few minutes" in build.stderr and "Built target kespPython" in build.stderr
    sdists, wheels = list(output.glob("*.tar.gz")), list(output.glob("*.whl"))
    assert [path.name for path in sdists] == [f"kesp-{kesp.__version__}.tar.gz"] and len(wheels) == 1
    return sdists[0], wheels[0]


@pytest.fixture(scope="module")
def wheel_environment(distributions, tmp_path_factory):
    """A fresh environment that sees Debian's packages (numpy, pandas, ...), with the wheel installed offline."""
    environment = tmp_path_factory.mktemp("wheel") / "venv"
    subprocess.run([cache_value("KESP_PYTHON"), "-m", "venv", "--system-site-packages", str(environment)],
                   check=True)
    python = environment / "bin" / "python"
    run_outside_the_build([str(python), "-m", "pip", "install", "--no-index", "--no-deps", str(distributions[1])],
                          env=OFFLINE)
    return environment


def test_sdist_holds_what_the_wheel_is_built_from_and_no_build_output(distributions):
    sdist, _ = distributions
    top = f"kesp-{kesp.__version__}"
    with tarfile.open(sdist) as archive:
        names = archive.getnames()
        pkg_info = archive.extractfile(f"{top}/PKG-INFO").read().decode("utf-8")
    assert all(name.startswith(top + "/") for name in names)
    inside = {name[len(top) + 1:] for name in names}
    assert {"PKG-INFO", "VERSION", "pyproject.toml", "CMakeLists.txt", "README.md", "python/backend/kesp_build.py",
            "physics/stoppingPower.cpp", "data/nuclide_masses.csv", "examples/library/protonYields.cpp"} <= inside
    assert not [name for name in inside if name.startswith(("build", "tests/", "web/")) or "__pycache__" in name]
    assert f"Version: {kesp.__version__}" in pkg_info.splitlines()


def test_wheel_carries_the_metadata_of_pyproject_and_a_stripped_extension(distributions):
    _, wheel = distributions
    with zipfile.ZipFile(wheel) as archive:
        info = f"kesp-{kesp.__version__}.dist-info"
        metadata = archive.read(f"{info}/METADATA").decode("utf-8").split("\n\n", 1)[0].splitlines()
        entry_points = archive.read(f"{info}/entry_points.txt").decode("utf-8")
        extensions = [entry for entry in archive.infolist() if re.fullmatch(r"kesp/_core\..*\.so", entry.filename)]
    assert f"Version: {kesp.__version__}" in metadata and "Name: kesp" in metadata
    assert {f"Requires-Dist: {name}" for name in ("numpy", "pandas", "matplotlib", "tqdm")} <= set(metadata)
    assert "kesp-plot = kesp.plot:main" in entry_points.splitlines()
    assert len(extensions) == 1 and extensions[0].file_size < EXTENSION_BOUND_BYTES, extensions


def test_wheel_installs_offline_and_gives_the_build_trees_numbers(wheel_environment):
    python = wheel_environment / "bin" / "python"
    version, file, scan = run_outside_the_build([str(python), "-c", IMPORT_CHECK]).stdout.split()
    assert version == kesp.__version__ and scan == "True"
    assert Path(file).is_relative_to(wheel_environment)
    installed = run_outside_the_build([str(python), "-c", RUN_NUMBERS]).stdout
    build_tree = run_outside_the_build([cache_value("KESP_PYTHON"), "-c", RUN_NUMBERS],
                                       env={"PYTHONPATH": str(BUILD_DIR / "python")}).stdout
    assert json.loads(installed)["tables"] and installed == build_tree
    extension = next(Path(file).parent.glob("_core*.so"))
    assert extension.stat().st_size < EXTENSION_BOUND_BYTES


def test_notebook_runs_in_the_kernel_of_the_environment(wheel_environment, tmp_path):
    jupyter = shutil.which("jupyter")
    python = wheel_environment / "bin" / "python"
    if jupyter is None or subprocess.run([str(python), "-c", "import ipykernel"]).returncode != 0:
        pytest.skip("jupyter or ipykernel is missing (Debian packages jupyter-nbconvert, python3-ipykernel)")
    # Kernels registered with --user go to JUPYTER_DATA_DIR: here a temporary one.
    jupyter_environment = {"JUPYTER_DATA_DIR": str(tmp_path / "jupyter"), "MPLBACKEND": "Agg"}
    run_outside_the_build([str(python), "-m", "ipykernel", "install", "--user", "--name", KERNEL],
                          env=jupyter_environment)
    kernel = json.loads((tmp_path / "jupyter" / "kernels" / KERNEL / "kernel.json").read_text(encoding="utf-8"))
    assert Path(kernel["argv"][0]).parent == wheel_environment / "bin"
    # The notebook, with a last cell that says which kesp it ran with.
    notebook = json.loads(NOTEBOOK.read_text(encoding="utf-8"))
    notebook["cells"].append({"cell_type": "code", "execution_count": None, "id": "which-kesp", "metadata": {},
                              "outputs": [], "source": "print('kesp from', kesp.__file__)"})
    (tmp_path / NOTEBOOK.name).write_text(json.dumps(notebook), encoding="utf-8")
    run_outside_the_build([jupyter, "nbconvert", "--to", "notebook", "--execute",
                           f"--ExecutePreprocessor.kernel_name={KERNEL}", "--ExecutePreprocessor.timeout=600",
                           "--output", "executed", str(tmp_path / NOTEBOOK.name)], env=jupyter_environment)
    executed = json.loads((tmp_path / "executed.ipynb").read_text(encoding="utf-8"))
    printed = "".join("".join(output.get("text", "")) for output in executed["cells"][-1]["outputs"])
    assert printed.startswith("kesp from ") and Path(printed.split(" ", 2)[2].strip()).is_relative_to(wheel_environment)
