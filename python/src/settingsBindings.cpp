// Settings, models, radiation fields and input files, bound under the names
// the Python package uses (snake_case, units in the names).

#include <pybind11/operators.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/input/fieldFile.h"
#include "kesp/input/inputReader.h"
#include "kesp/input/particleNames.h"
#include "kesp/input/settingsCheck.h"
#include "kesp/input/runSwitches.h"
#include "kesp/physics/particleIdentification.h"
#include "kesp/physics/particleSpelling.h"
#include "python/src/interruptible.h"
#include "python/src/pythonSettings.h"
#include "python/src/pythonText.h"
#include "python/src/runParts.h"
#include "kesp/support/runError.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

using ComponentTuple = std::tuple<std::string, double, double>;

RadiationField fieldOf(const std::vector<ComponentTuple>& components, const std::string& fileName)
{
    std::vector<ComponentEntry> entries;
    entries.reserve(components.size());
    for (const auto& [name, energy, weight] : components) {
        entries.push_back({name, energy, weight});
    }
    return RadiationField(entries, fileName);
}

// The input file read with the switch words given, keeping its diagnostics.
PythonSettings readInputWith(const std::filesystem::path& path, const std::vector<std::string>& words)
{
    RunSwitches switches;
    for (const std::string& word : words) {
        if (!applySwitchWord(word, switches) || word == "/strict") {
            throw py::value_error("not a switch of an input file: " + word + " (give /no2, /nq or /2006)");
        }
    }
    InputDiagnostics diagnostics{path.string()};
    PythonSettings settings;
    settings.run = readInputFile(path, switches, &diagnostics);
    settings.inputFile = path.string();
    settings.diagnostics = diagnostics.list();
    settings.switches = words;
    return settings;
}

// A field file read on its own, with what the reader said of it.
std::pair<RadiationField, std::vector<Diagnostic>> readFieldFile(const std::filesystem::path& file, bool masses2006)
{
    const std::string path = file.string();
    InputDiagnostics diagnostics{path};
    RadiationField field;
    switch (loadFieldFile(path, field, massConstantsFor(masses2006), &diagnostics)) {
        case FieldFileOutcome::notOpened:
            stopRun(ErrorKind::input, "Field file " + path + " cannot be opened as a file to read");
        case FieldFileOutcome::noComponents:
            stopRun(ErrorKind::input, "Field file " + path + " holds no components");
        case FieldFileOutcome::singleComponent:
        case FieldFileOutcome::mixedField:
            break;
    }
    return {field, diagnostics.list()};
}

// The mass number of a particle as the input file names it; 0 for the electron.
int massNumber(const std::string& name, bool masses2006)
{
    requireNamedParticle(name, "using the 1 MeV electron");
    const FieldComponent component{name};
    const ParticleIdentity identity = identifyParticle(component.nameField(), massConstantsFor(masses2006));
    if (identity.status != particleIdentified) {
        stopRun(ErrorKind::input, "Particle \"" + name + "\" is not known");
    }
    return identity.Z < 0 ? 0 : identity.A;
}

// The absorbed dose per unit fluence (nGy cm^2) of each (particle, kinetic
// energy in MeV) at the entry into a nucleus, as a run works it out. Once
// `stop` is set no further component is begun and what is returned is
// incomplete.
std::vector<double> dosePerFluence(const std::vector<std::pair<std::string, double>>& particles,
                                   double nucleusDiameter, bool masses2006, unsigned threads, const StopFlag& stop)
{
    std::vector<ComponentEntry> entries;
    for (const auto& [name, energy] : particles) {
        entries.push_back({name, energy, 1.0});
    }
    RunSettings settings;
    settings.field = RadiationField(entries);
    settings.nucleusDiameter = nucleusDiameter;
    settings.masses2006 = masses2006;
    settings.threads = threads;
    SimulationRun run(settings);
    if (settings.field.singleParticle()) {
        return {run.particlePhysics().particle.dpuf};
    }
    std::vector<double> values;
    for (const ComponentRow& row : run.componentRows(stop)) {
        values.push_back(row.physics.dpuf);
    }
    return values;
}

// Applies a change made in code. Settings that are no longer those of the
// input file they were read from stop claiming it: the document of their
// results names no input file, SHA-256 or switches. The number of threads
// changes no result and keeps the claim.
template <typename Change>
void changeInCode(PythonSettings& settings, Change change)
{
    const RunSettings before = settings.run;
    change(settings.run);
    if (!(settings.run == before)) {
        settings.inputFile.reset();
        settings.inputSha256.reset();
        settings.switches.clear();
    }
}

constexpr const char* oxygenModelDoc = R"(How oxygen fixes damage: the enhancement M rises from 1 to M0 as (Zeff/beta)^2 falls.

Parameters
----------
enabled : bool
    Whether there is an oxygen effect at all.
zeb_dependent : bool
    Whether M depends on (Zeff/beta)^2 (else M is M0).
maximum_enhancement : float
    M0, dimensionless (EVO2: M0=).
half_effect_oxygen_percent : float
    K, percent O2 (EVO2: K=).
half_effect_zeb : float
    Q, (Zeff/beta)^2 of the half-way point (EVO2: Q=).
steepness : float
    R, exponent of the (Zeff/beta)^2 dependence (EVO2: R=).)";

constexpr const char* dmsoModelDoc = R"(Scavenging of the radicals that cause strand breaks by DMSO.

Parameters
----------
concentration_mol_per_dm3 : float
    DMSO concentration, mol/dm3 (DMSO: CONC=).
non_scavengeable_fraction : float
    Fraction of the DNA damage DMSO cannot prevent (DMSO: FNSD=).
half_level_concentration_mol_per_dm3 : float
    Concentration at which DMSO prevents half of the damage it can, mol/dm3 (DMSO: CHMX=).)";

constexpr const char* fieldParticleDoc = R"(One particle type at a kinetic energy of the whole particle in MeV.

Parameters
----------
name : str
    The particle, as an input file names it ("e", "p", "4He", "12C").
kinetic_energy_mev : float
    Kinetic energy of the whole particle, MeV.
energy_mev : float
    The old name of kinetic_energy_mev, deprecated (the second form).

Returns
-------
kesp.Field
    A field of the one particle.)";

constexpr const char* fieldDoc = R"(A radiation field: one particle type or weighted components.

Without arguments, a 1 MeV electron.

Parameters
----------
components : sequence of (str, float, float)
    Components (particle, kinetic energy in MeV, weight) in order; weights are normalised.
file_name : str
    The field file the components were read from, empty for none.)";

void bindModels(py::module_& module)
{
    py::class_<OxygenModel>(module, "OxygenModel", oxygenModelDoc)
        .def(py::init([](bool enabled, bool zebDependent, double m0, double k, double q, double r) {
                 return OxygenModel{enabled, zebDependent, m0, k, q, r};
             }),
             py::kw_only(), "enabled"_a = true, "zeb_dependent"_a = true, "maximum_enhancement"_a = 1.74,
             "half_effect_oxygen_percent"_a = 0.3372, "half_effect_zeb"_a = 946.1, "steepness"_a = 2.15)
        .def_readwrite("enabled", &OxygenModel::enabled, "Whether there is an oxygen effect at all.")
        .def_readwrite("zeb_dependent", &OxygenModel::zebDependent, "Whether M depends on (Zeff/beta)^2 (else M is M0).")
        .def_readwrite("maximum_enhancement", &OxygenModel::maximumEnhancement, "M0, dimensionless.")
        .def_readwrite("half_effect_oxygen_percent", &OxygenModel::halfEffectOxygen, "K, percent O2.")
        .def_readwrite("half_effect_zeb", &OxygenModel::halfEffectZeb, "Q, (Zeff/beta)^2 of the half-way point.")
        .def_readwrite("steepness", &OxygenModel::steepness, "R, exponent of the (Zeff/beta)^2 dependence.")
        .def(py::self == py::self);
    py::class_<DmsoModel>(module, "DmsoModel", dmsoModelDoc)
        .def(py::init([](double concentration, double fraction, double halfLevel) {
                 return DmsoModel{concentration, fraction, halfLevel};
             }),
             py::kw_only(), "concentration_mol_per_dm3"_a = 0.0, "non_scavengeable_fraction"_a = 0.5,
             "half_level_concentration_mol_per_dm3"_a = 0.5)
        .def_readwrite("concentration_mol_per_dm3", &DmsoModel::concentration, "DMSO concentration, mol/dm3 (DMSO: CONC=).")
        .def_readwrite("non_scavengeable_fraction", &DmsoModel::nonScavengeableFraction,
                       "Fraction of the DNA damage DMSO cannot prevent.")
        .def_readwrite("half_level_concentration_mol_per_dm3", &DmsoModel::halfLevelConcentration,
                       "Concentration at which DMSO prevents half of the damage it can, mol/dm3.")
        .def(py::self == py::self);
}

// A name the module gave a quantity before it took the canonical one: it
// still works, with a DeprecationWarning.
void deprecatedName(const char* old, const char* canonical)
{
    const std::string message = std::string("'") + old + "' is now called '" + canonical + "'";
    if (PyErr_WarnEx(PyExc_DeprecationWarning, message.c_str(), 1) != 0) {
        throw py::error_already_set();
    }
}

void bindField(py::module_& module)
{
    py::class_<FieldComponent>(module, "FieldComponent", "A component of a radiation field.")
        .def_property_readonly(
            "particle", [](const FieldComponent& c) { return messageText(canonicalParticleName(c.name)); },
            "The particle's name as given, its element symbol in canonical case (\"p\", \"12C\").")
        .def_readonly("kinetic_energy_mev", &FieldComponent::kineticEnergy, "Kinetic energy of the whole particle, MeV.")
        .def_property_readonly(
            "energy_mev",
            [](const FieldComponent& c) {
                deprecatedName("energy_mev", "kinetic_energy_mev");
                return c.kineticEnergy;
            },
            "The old name of kinetic_energy_mev, deprecated.")
        .def_readonly("weight", &FieldComponent::weight, "Share of the absorbed dose, normalised.")
        .def("__repr__", [](const FieldComponent& c) {
            return "FieldComponent(" + py::repr(messageText(c.name)).cast<std::string>() + ", "
                   + py::repr(py::float_(c.kineticEnergy)).cast<std::string>() + ", "
                   + py::repr(py::float_(c.weight)).cast<std::string>() + ")";
        });
    py::class_<RadiationField>(module, "Field", fieldDoc)
        .def(py::init<>())
        .def(py::init(&fieldOf), "components"_a, "file_name"_a = "")
        .def_static(
            "particle", [](const std::string& name, double energy) { return RadiationField(name, energy); },
            "name"_a, "kinetic_energy_mev"_a, fieldParticleDoc)
        .def_static(
            "particle",
            [](const std::string& name, double energy) {
                deprecatedName("energy_mev", "kinetic_energy_mev");
                return RadiationField(name, energy);
            },
            "name"_a, py::kw_only(), "energy_mev"_a, "The same with the old name of kinetic_energy_mev, deprecated.")
        .def_property_readonly("components", &RadiationField::components,
                               "The field's components (FieldComponent), weights normalised to 1.")
        .def_property_readonly("single_particle", &RadiationField::singleParticle,
                               "True for a field of one particle at one energy.")
        .def_property_readonly(
            "file_name", [](const RadiationField& field) { return fileNameText(field.fileName()); },
            "The field file the field was read from, or None.")
        .def("__len__", &RadiationField::componentCount)
        .def("__repr__",
             [](const RadiationField& field) {
                 py::list rows;
                 for (const FieldComponent& c : field.components()) {
                     rows.append(py::make_tuple(messageText(c.name), c.kineticEnergy, c.weight));
                 }
                 return "Field(" + py::repr(rows).cast<std::string>() + ")";
             })
        .def(py::self == py::self);
}

void bindDiagnostics(py::module_& module)
{
    py::class_<Diagnostic>(module, "Diagnostic", "What the input reader said of a line of a file.")
        .def_property_readonly("file", [](const Diagnostic& d) { return fileNameText(d.file); },
                               "The file the diagnostic is about (input or field file).")
        .def_readonly("line", &Diagnostic::line, "The line, counted from 1; 0 for the whole file.")
        .def_property_readonly("severity", [](const Diagnostic& d) { return severityWord(d.severity); },
                               "How grave: \"warning\", \"result_warning\" or \"note\".")
        .def_readonly("block", &Diagnostic::block, "The block key (\"RADX:\"), empty when none.")
        .def_property_readonly("message", [](const Diagnostic& d) { return messageText(d.message); },
                               "What is wrong and what to do.")
        .def("__str__", [](const Diagnostic& d) { return messageText(formatDiagnostic(d)); })
        .def("__repr__", [](const Diagnostic& d) { return messageText("<Diagnostic " + formatDiagnostic(d) + ">"); });
}

// Settings read from a file keep the reader's diagnostics; those made in
// code get the same checks, with no file and no line.
std::vector<Diagnostic> diagnosticsOf(const PythonSettings& settings)
{
    return settings.inputFile ? settings.diagnostics : checkSettings(settings.run);
}

constexpr const char* settingsDoc = R"(Everything that defines one run, as the input file's blocks give it.

Settings read from a file (kesp.read_input) also name the input file, its SHA-256, the
switches it was read with and the reader's diagnostics. Once a setting other than threads
is changed in code, they no longer name the file, its SHA-256 or the switches (the
diagnostics of the reading stay).

Parameters
----------
field : kesp.Field
    The radiation (kesp.particle, kesp.mixed_field ...; a 1 MeV electron by default).
cells : int
    Cells to simulate, at least 1 (SIMCON: NOCS=).
seed : int
    Random number seed; 0 takes one from the clock (SIMCON: SEED=).
oxygen_percent : float
    pO2, percent O2 within [0, 100] (EVO2: PO2=).
oxygen_model : kesp.OxygenModel
    The oxygen model (EVO2: M0= K= Q= R=).
dmso : kesp.DmsoModel
    The DMSO model, its concentration in mol dm^-3 (DMSO: CONC= FNSD= CHMX=).
dna_content_gbp : float
    DNA content of the cell, Gbp (CELL: DNA=).
nucleus_diameter_um : float
    Diameter of the cell nucleus, um (CELL: NDIA=).
unrepairable_base_fraction : float
    Fraction Bl/Bd of base damages never repaired (CELL: FBL=).
oxygen_effect : bool
    False switches the oxygen effect off (kesp's /no2).
zeb_dependent_oxygen : bool
    False makes the oxygen factor M0 itself (kesp's /nq).
masses_2006 : bool
    The older set of mass constants (kesp's /2006 without its oxygen switches).
threads : int
    Threads for the cells; 0 takes the CPUs the process may use; results are the same on
    any number.

Examples
--------
>>> settings = kesp.Settings(kesp.particle("p", 10.0), cells=200, oxygen_percent=21.0)
>>> settings.cells
200)";

void bindSettingsClass(py::module_& module)
{
    py::class_<PythonSettings>(module, "Settings", settingsDoc)
        .def(py::init([](const RadiationField& field, std::int32_t cells, std::int32_t seed, double oxygenPercent,
                         const OxygenModel& oxygenModel, const DmsoModel& dmso, double dna, double diameter,
                         double blFraction, bool oxygenEffect, bool zebDependent, bool masses2006,
                         unsigned threads) {
                 PythonSettings settings;
                 RunSettings& run = settings.run;
                 run.field = field;
                 run.cells = cells;
                 run.seed = seed;
                 run.oxygenPercent = oxygenPercent;
                 run.oxygenModel = oxygenModel;
                 run.oxygenModel.enabled = oxygenModel.enabled && oxygenEffect;
                 run.oxygenModel.zebDependent = oxygenModel.zebDependent && zebDependent;
                 run.dmso = dmso;
                 run.dnaContent = dna;
                 run.nucleusDiameter = diameter;
                 run.unrepairableBaseFraction = blFraction;
                 run.masses2006 = masses2006;
                 run.threads = threads;
                 return settings;
             }),
             "field"_a = RadiationField(), py::kw_only(), "cells"_a = 1, "seed"_a = defaultSeed,
             "oxygen_percent"_a = 100.0, py::arg_v("oxygen_model", OxygenModel(), "OxygenModel()"),
             py::arg_v("dmso", DmsoModel(), "DmsoModel()"),
             "dna_content_gbp"_a = 6.0, "nucleus_diameter_um"_a = 5.0, "unrepairable_base_fraction"_a = 0.0,
             "oxygen_effect"_a = true, "zeb_dependent_oxygen"_a = true, "masses_2006"_a = false, "threads"_a = 0u)
        .def_property(
            "field", [](const PythonSettings& s) { return s.run.field; },
            [](PythonSettings& s, const RadiationField& f) { changeInCode(s, [&](RunSettings& r) { r.field = f; }); },
            "The radiation field: one particle or a mixed field (RADX:, or a field file).")
        .def_property(
            "cells", [](const PythonSettings& s) { return s.run.cells; },
            [](PythonSettings& s, std::int32_t v) { changeInCode(s, [&](RunSettings& r) { r.cells = v; }); },
            "Cells to simulate (SIMCON: NOCS=).")
        .def_property(
            "seed", [](const PythonSettings& s) { return s.run.seed; },
            [](PythonSettings& s, std::int32_t v) { changeInCode(s, [&](RunSettings& r) { r.seed = v; }); },
            "Random number seed (SIMCON: SEED=); 0 asks for a seed from the clock.")
        .def_property(
            "oxygen_percent", [](const PythonSettings& s) { return s.run.oxygenPercent; },
            [](PythonSettings& s, double v) { changeInCode(s, [&](RunSettings& r) { r.oxygenPercent = v; }); },
            "Oxygen concentration, percent O2 (EVO2: PO2=, or MMHG= converted).")
        .def_property(
            "oxygen_model", [](const PythonSettings& s) { return s.run.oxygenModel; },
            [](PythonSettings& s, const OxygenModel& v) { changeInCode(s, [&](RunSettings& r) { r.oxygenModel = v; }); },
            "The oxygen model (an OxygenModel).")
        .def_property(
            "dmso", [](const PythonSettings& s) { return s.run.dmso; },
            [](PythonSettings& s, const DmsoModel& v) { changeInCode(s, [&](RunSettings& r) { r.dmso = v; }); },
            "The DMSO model (a DmsoModel).")
        .def_property(
            "dna_content_gbp", [](const PythonSettings& s) { return s.run.dnaContent; },
            [](PythonSettings& s, double v) { changeInCode(s, [&](RunSettings& r) { r.dnaContent = v; }); },
            "DNA content of the cell, Gbp (CELL: DNA=).")
        .def_property(
            "nucleus_diameter_um", [](const PythonSettings& s) { return s.run.nucleusDiameter; },
            [](PythonSettings& s, double v) { changeInCode(s, [&](RunSettings& r) { r.nucleusDiameter = v; }); },
            "Diameter of the cell nucleus, um (CELL: NDIA=).")
        .def_property(
            "unrepairable_base_fraction", [](const PythonSettings& s) { return s.run.unrepairableBaseFraction; },
            [](PythonSettings& s, double v) { changeInCode(s, [&](RunSettings& r) { r.unrepairableBaseFraction = v; }); },
            "Fraction Bl/Bd of base damages never repaired, dimensionless (KESP: FBL=).")
        .def_property(
            "masses_2006", [](const PythonSettings& s) { return s.run.masses2006; },
            [](PythonSettings& s, bool v) { changeInCode(s, [&](RunSettings& r) { r.masses2006 = v; }); },
            "The older set of mass constants (the switch /2006).")
        .def_property(
            "threads", [](const PythonSettings& s) { return s.run.threads; },
            [](PythonSettings& s, unsigned v) { s.run.threads = v; },
            "Threads a run uses; 0 for one per CPU this process may run on.")
        .def_property_readonly(
            "input_file", [](const PythonSettings& s) { return fileNameText(s.inputFile); },
            "The input file read, or None (also once the settings are changed in code).")
        .def_property_readonly("diagnostics", &diagnosticsOf,
                               "What the reader said of the input file, or for settings made in code what an "
                               "input file of the same values would draw.")
        .def_readonly("switches", &PythonSettings::switches,
                      "The switch words applied in reading (none once the settings are changed in code).")
        .def_readwrite("input_sha256", &PythonSettings::inputSha256,
                       "SHA-256 of the input file's bytes as read (lower-case hex), or None.")
        .def("__copy__", [](const PythonSettings& s) { return s; })
        .def("__deepcopy__", [](const PythonSettings& s, py::dict) { return s; })
        .def("__eq__", [](const PythonSettings& a, const PythonSettings& b) { return a.run == b.run; });
}

}  // namespace

void bindSettings(py::module_& module)
{
    bindModels(module);
    bindField(module);
    bindDiagnostics(module);
    bindSettingsClass(module);
    module.def("read_input", &readInputWith, "path"_a, "switches"_a);
    module.def("read_field_file", &readFieldFile, "path"_a, "masses_2006"_a);
    module.def("mass_number", &massNumber, "name"_a, "masses_2006"_a);
    // Hundreds of components take minutes: Ctrl-C stops the work between components.
    module.def(
        "dose_per_fluence",
        [](const std::vector<std::pair<std::string, double>>& particles, double nucleusDiameter, bool masses2006,
           unsigned threads) {
            return runInterruptibly([&](const StopFlag& stop) {
                return dosePerFluence(particles, nucleusDiameter, masses2006, threads, stop);
            });
        },
        "particles"_a, "nucleus_diameter_um"_a, "masses_2006"_a, "threads"_a);
}

}  // namespace kesp::python
