#pragma once
// The vocabulary of KESP's outputs: every quantity a run or a scan reports,
// with its unit, under one canonical name, and the name it goes by in each
// output that shows it. The results document, kesp-scan's table, the Python
// module and the web page's types are checked against this table by the
// tests, and the documentation's table of quantities is written from it.
//
// Where an output had a name of its own before the table existed (kesp-scan's
// `let_kev_um`, the document's `bl_fraction_of_bd`), it keeps it: stored
// files and scripts rely on it. The table says which name is which.

#include <ostream>
#include <span>
#include <string_view>

namespace kesp {

/// Which part of the outputs a quantity belongs to (the documentation's sections).
enum class QuantityGroup {
    radiation,    ///< the particle or field that was run
    physics,      ///< the particle's physics at the entry into the nucleus
    damageModel,  ///< the damage model's yields and factors
    yields,       ///< cluster yields per Gy (TABLE 2's all-clusters row)
    complexity,   ///< TABLE 1: percent of clusters by complexity class
    scan,         ///< ratios kesp-scan works out between its rows
    survival,     ///< cell survival: the model's coefficients, RBE and OER for cell killing
    run,          ///< how the run went
    settings,     ///< the settings of the run
};

/// One quantity and its names. A place that shows it under more than one
/// name (the document both in its settings and in its physics) lists them
/// separated by blanks; an empty place does not show the quantity.
struct Quantity {
    std::string_view name;         ///< canonical name: snake_case with the unit in it
    std::string_view unit;         ///< as the documents write it; empty when dimensionless or a count
    std::string_view description;  ///< what it is, in words
    QuantityGroup group;
    /// Key paths in the document of `kesp /json` ("physics.particle.let_kev_per_um";
    /// "[]" stands for every element of an array). A particle's physics
    /// (physics.particle) stands for every block of it: a mixed field's
    /// components' (physics.components[].physics) and average's
    /// (physics.field_average.physics) too.
    std::string_view jsonPaths;
    std::string_view csvColumn;    ///< column of kesp-scan's table
    /// Where the Python module shows it, from a kesp.Results: attributes and
    /// dictionary keys or DataFrame columns, dotted ("physics.let_kev_per_um").
    std::string_view pythonPaths;
    /// The web page's TypeScript types that hold it, as Type.field.field
    /// ("ResultsDocument.physics.particle.let_kev_per_um").
    std::string_view typescriptPaths;
};

/// Every quantity, grouped in the order of QuantityGroup.
std::span<const Quantity> quantities();

/// The quantity of a canonical name, or null.
const Quantity* findQuantity(std::string_view name);

/// The section title of a group in the documentation ("Physics of the particle").
std::string_view groupTitle(QuantityGroup group);

/// The table as a JSON array of objects, one per quantity, with the keys
/// name, unit, description, group, json, csv, python and typescript (the
/// places as arrays of names), for tests and tools that read it.
void writeQuantitiesJson(std::ostream& out);

/// The table as Markdown (docs/quantities.md): a section per group.
void writeQuantitiesMarkdown(std::ostream& out);

/// The README's table: the canonical name, unit and names in the document,
/// kesp-scan's table and Python of each quantity of a particle's physics and
/// of each that kesp-scan's table shows.
void writeQuantitiesSummary(std::ostream& out);

/// A TypeScript module for the web page that fails the page's type check
/// when a type it names lacks a field of the table, or when the page's
/// Quantities type has a field the table does not know.
void writeQuantitiesTypeScript(std::ostream& out);

}  // namespace kesp
