// A run's results as plain Python values (tuples, dicts, lists) for the
// package's Results class to name, and the report text and JSON document
// the program writes for them.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "kesp/engine/namedResults.h"
#include "python/src/pythonResults.h"
#include "python/src/pythonText.h"
#include "python/src/runParts.h"
#include "kesp/report/banner.h"
#include "kesp/report/jsonDocument.h"
#include "kesp/report/reportText.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

// The revision of the source the module was built from.
#ifdef KESP_GIT_REVISION
constexpr const char* revisionText = KESP_GIT_REVISION;
#else
constexpr const char* revisionText = "unknown";
#endif

using OptionalNumber = std::optional<double>;
// (table number, table key, unit, row, category, mean, sem)
using TableEntry = std::tuple<int, std::string, std::string, std::string, std::string, OptionalNumber, OptionalNumber>;

py::dict quantitiesDict(const ParticleQuantities& q)
{
    return py::dict("kinetic_energy_mev"_a = q.kineticEnergyMeV,
                    "kinetic_energy_per_nucleon_mev"_a = q.kineticEnergyPerNucleonMeV,
                    "let_kev_per_um"_a = q.letKeVPerUm, "electronic_stopping_kev_per_um"_a = q.electronicStoppingKeVPerUm,
                    "nuclear_stopping_kev_per_um"_a = q.nuclearStoppingKeVPerUm,
                    "radiative_stopping_kev_per_um"_a = q.radiativeStoppingKeVPerUm, "csda_range_cm"_a = q.csdaRangeCm,
                    "zeff_over_beta_squared"_a = q.zeffOverBetaSquared,
                    "dose_per_fluence_ngy_cm2"_a = q.dosePerFluenceNGyCm2, "yf_kev_per_um"_a = q.yFKeVPerUm,
                    "zf_gy"_a = q.zFGy);
}

py::dict componentDict(const ComponentResult& c)
{
    py::dict row("particle"_a = messageText(c.particle), "weight"_a = c.weight,
                 "dsb_hypoxia_reduction_factor"_a = c.dsbHypoxiaReductionFactor,
                 "cells_simulated"_a = c.cellsSimulated);
    for (const auto& item : quantitiesDict(c.physics)) {
        row[item.first] = item.second;
    }
    return row;
}

std::optional<std::tuple<double, OptionalNumber, double, OptionalNumber>> clusters(const RunResults& r,
                                                                                     int category)
{
    const std::optional<ClusterYield> yield = r.clusters(static_cast<ClusterCategory>(category));
    if (!yield) {
        return std::nullopt;
    }
    return std::tuple{yield->perCellPerGy.mean, yield->perCellPerGy.sem, yield->perGyPerGbp.mean,
                      yield->perGyPerGbp.sem};
}

// TABLES 2 to 6, one entry per row and category, in the report's order.
std::vector<TableEntry> tableEntries(const RunResults& r)
{
    std::vector<TableEntry> entries;
    for (const ClusterTable table : clusterTables) {
        for (int n = 1; n <= ClusterRow::largestCluster + 1; ++n) {
            const ClusterRow row = n <= ClusterRow::largestCluster ? ClusterRow::lesions(n) : ClusterRow::all();
            const std::string rowName = n <= ClusterRow::largestCluster ? std::to_string(n) : "all";
            for (const ClusterCategory category : clusterCategories) {
                const std::optional<Estimate> entry = r.entry(table, row, category);
                entries.emplace_back(static_cast<int>(table), std::string(key(table)), std::string(unit(table)),
                                     rowName, std::string(key(category)),
                                     entry ? OptionalNumber(entry->mean) : std::nullopt,
                                     entry ? entry->sem : std::nullopt);
            }
        }
    }
    return entries;
}

// TABLE 1: (key, label as the report prints it, percent).
std::vector<std::tuple<std::string, std::string, double>> complexity(const RunResults& r)
{
    std::vector<std::tuple<std::string, std::string, double>> classes;
    for (const ComplexityClass c : complexityClasses) {
        classes.emplace_back(std::string(key(c)), std::string(label(c)), r.percent(c));
    }
    return classes;
}

std::string json(const PythonResults& r)
{
    const RunProvenance provenance{std::string(programTitle), revisionText, r.settings.inputFile.value_or(""),
                                   r.settings.inputSha256.value_or(""), r.settings.switches};
    return jsonDocument(r.settings.run, r.run, provenance, r.survival ? &*r.survival : nullptr);
}

}  // namespace

void bindResults(py::module_& module)
{
    module.attr("program_title") = std::string(programTitle);
    module.attr("revision") = revisionText;
    py::class_<PythonResults>(module, "RunResults", "The results of a run, as the engine returns them.")
        .def_readonly("settings", &PythonResults::settings)
        .def_readonly("running_minutes", &PythonResults::runningMinutes)
        .def_property_readonly("single_particle", [](const PythonResults& r) { return r.run.singleParticle; })
        .def_property_readonly("cells_simulated", [](const PythonResults& r) { return r.run.cellsSimulated; })
        .def_property_readonly("cells_requested", [](const PythonResults& r) { return r.run.cellsRequested; })
        .def_property_readonly("interrupted", [](const PythonResults& r) { return r.run.interrupted; })
        .def_property_readonly("seed", [](const PythonResults& r) { return r.run.seed; })
        .def("clusters", [](const PythonResults& r, int category) { return clusters(r.run, category); })
        .def("table_entries", [](const PythonResults& r) { return tableEntries(r.run); })
        .def("complexity", [](const PythonResults& r) { return complexity(r.run); })
        .def("particle_quantities", [](const PythonResults& r) { return quantitiesDict(r.run.particleQuantities()); })
        .def("components",
             [](const PythonResults& r) {
                 py::list rows;
                 for (const ComponentResult& c : r.run.componentResults()) {
                     rows.append(componentDict(c));
                 }
                 return rows;
             })
        .def("field_average", [](const PythonResults& r) { return componentDict(r.run.fieldAverageResult()); })
        .def("report_text",
             [](const PythonResults& r) { return messageText(reportText(r.settings.run, r.run, r.runningMinutes)); })
        .def("json_document", &json)
        .def("cell_survival", [](const PythonResults& r) {
            if (r.survivalError) {
                throw *r.survivalError;
            }
            return r.survival;
        });
}

}  // namespace kesp::python
