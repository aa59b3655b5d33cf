"""The compiled part of the package kesp: the engine's settings, runs and results."""

from collections.abc import Callable, Sequence
from typing import Any, overload

__version__: str
program_title: str
revision: str

# Settings, models, fields and input files.

class OxygenModel:
    enabled: bool
    zeb_dependent: bool
    maximum_enhancement: float
    half_effect_oxygen_percent: float
    half_effect_zeb: float
    steepness: float
    def __init__(self, *, enabled: bool = True, zeb_dependent: bool = True, maximum_enhancement: float = 1.74,
                 half_effect_oxygen_percent: float = 0.3372, half_effect_zeb: float = 946.1,
                 steepness: float = 2.15) -> None: ...
    def __eq__(self, other: object) -> bool: ...

class DmsoModel:
    concentration_mol_per_dm3: float
    non_scavengeable_fraction: float
    half_level_concentration_mol_per_dm3: float
    def __init__(self, *, concentration_mol_per_dm3: float = 0.0, non_scavengeable_fraction: float = 0.5,
                 half_level_concentration_mol_per_dm3: float = 0.5) -> None: ...
    def __eq__(self, other: object) -> bool: ...

class FieldComponent:
    @property
    def particle(self) -> str:
        """The name as given, its element symbol in canonical case ("12C")."""
    @property
    def kinetic_energy_mev(self) -> float: ...
    @property
    def energy_mev(self) -> float:
        """The old name of kinetic_energy_mev, deprecated."""
    @property
    def weight(self) -> float: ...

class Field:
    def __init__(self, components: Sequence[tuple[str, float, float]] = ..., file_name: str = "") -> None: ...
    @overload
    @staticmethod
    def particle(name: str, kinetic_energy_mev: float) -> Field: ...
    @overload
    @staticmethod
    def particle(name: str, *, energy_mev: float) -> Field: ...
    @property
    def components(self) -> list[FieldComponent]: ...
    @property
    def single_particle(self) -> bool: ...
    @property
    def file_name(self) -> str: ...
    def __len__(self) -> int: ...
    def __eq__(self, other: object) -> bool: ...

class Diagnostic:
    @property
    def file(self) -> str: ...
    @property
    def line(self) -> int: ...
    @property
    def severity(self) -> str: ...
    @property
    def block(self) -> str: ...
    @property
    def message(self) -> str: ...

class Settings:
    field: Field
    cells: int
    seed: int
    oxygen_percent: float
    oxygen_model: OxygenModel
    dmso: DmsoModel
    dna_content_gbp: float
    nucleus_diameter_um: float
    unrepairable_base_fraction: float
    masses_2006: bool
    threads: int
    input_sha256: str | None
    def __init__(self, field: Field = ..., *, cells: int = 1, seed: int = 987654321, oxygen_percent: float = 100.0,
                 oxygen_model: OxygenModel = ..., dmso: DmsoModel = ..., dna_content_gbp: float = 6.0,
                 nucleus_diameter_um: float = 5.0, unrepairable_base_fraction: float = 0.0,
                 oxygen_effect: bool = True, zeb_dependent_oxygen: bool = True, masses_2006: bool = False,
                 threads: int = 0) -> None: ...
    @property
    def input_file(self) -> str | None: ...
    @property
    def diagnostics(self) -> list[Diagnostic]:
        """The reader's diagnostics of the input file read; for settings made in
        code, those an input file of the same values would draw (no file, line 0)."""
    @property
    def switches(self) -> list[str]: ...
    def __copy__(self) -> Settings: ...
    def __deepcopy__(self, memo: dict[Any, Any]) -> Settings: ...
    def __eq__(self, other: object) -> bool: ...

def read_input(path: str, switches: list[str]) -> Settings: ...
def read_input_file(path: str, switches: list[str]) -> Settings:
    """Reads the input file through the library's request, within the size an input file may have."""
def read_field_file(path: str, masses_2006: bool) -> tuple[Field, list[Diagnostic]]: ...
def mass_number(name: str, masses_2006: bool) -> int: ...
def dose_per_fluence(particles: Sequence[tuple[str, float]], nucleus_diameter_um: float, masses_2006: bool,
                     threads: int) -> list[float]: ...

# Runs and their results.

class RunResults:
    @property
    def settings(self) -> Settings: ...
    @property
    def running_minutes(self) -> float: ...
    @property
    def single_particle(self) -> bool: ...
    @property
    def cells_simulated(self) -> int: ...
    @property
    def cells_requested(self) -> int: ...
    @property
    def interrupted(self) -> bool: ...
    @property
    def seed(self) -> int: ...
    def clusters(self, category: int) -> tuple[float, float | None, float, float | None] | None: ...
    def table_entries(self) -> list[tuple[int, str, str, str, str, float | None, float | None]]: ...
    def complexity(self) -> list[tuple[str, str, float]]: ...
    def particle_quantities(self) -> dict[str, float]: ...
    def components(self) -> list[dict[str, Any]]: ...
    def field_average(self) -> dict[str, Any]: ...
    def report_text(self) -> str: ...
    def json_document(self) -> str: ...

def simulate(settings: Settings, progress: Callable[[int], None] | None = None, strict: bool = False,
             checked: Callable[[list[Diagnostic], str | None], None] | None = None) -> RunResults:
    """Runs the settings; ``checked`` gets the diagnostics and strict's refusal (or None) before the run."""

# Scans (python/src/scanBindings.cpp).

def run_scan_table(
    scan_file: str,
    jobs: int,
    physics_only: bool,
    lenient: bool,
    progress: Callable[[int, int, int, int], None] | None,
) -> tuple[str, str, list[str]]:
    """Runs the scan file as kesp-scan runs it; returns (table CSV text, title, lenient warnings)."""
