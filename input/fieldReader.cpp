#include "kesp/input/fieldReader.h"

#include <array>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "kesp/input/blockItems.h"
#include "kesp/input/blockLine.h"
#include "kesp/input/fieldFile.h"
#include "kesp/input/particleNames.h"
#include "kesp/input/plausibleRanges.h"
#include "kesp/support/lineReader.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::string_view radiationKey = "RADX:";
constexpr std::array<std::string_view, 4> radiationKeywords{"PAR=", "KE=", "MEV/A=", "FN="};

struct RadiationLine {
    std::string text;
    int number = 0;
};

// The first line that begins with "RADX:" in any case and with any blanks.
std::optional<RadiationLine> findRadiationLine(std::istream& input)
{
    if (!rewindInput(input)) {
        return std::nullopt;
    }
    std::string line(inputLineLength, ' ');
    int number = 0;
    while (readFixedLine(input, line)) {
        ++number;
        std::string squeezed = line;
        squeezeBlanks(squeezed);
        toUpper(squeezed, trimmedLength(squeezed));
        if (squeezed.starts_with(radiationKey)) {
            return RadiationLine{line, number};
        }
    }
    return std::nullopt;
}

// What the reader of the block line knows and tells.
struct BlockContext {
    const MassConstants& masses;
    const std::filesystem::path& inputDirectory;
    InputDiagnostics* diagnostics;
    int lineNumber;

    void warn(std::string message) const
    {
        if (diagnostics != nullptr) {
            diagnostics->warn(lineNumber, radiationKey, std::move(message));
        }
    }
};


// The file a field-file name means: as given when it exists (or is
// absolute), else the one next to the input file when that exists.
std::string fieldFilePath(const std::string& name, const BlockContext& context)
{
    std::error_code error;
    const std::filesystem::path given(name);
    if (given.is_absolute() || context.inputDirectory.empty() || std::filesystem::exists(given, error)) {
        return name;
    }
    const std::filesystem::path beside = context.inputDirectory / given;
    if (!std::filesystem::exists(beside, error)) {
        return name;
    }
    if (context.diagnostics != nullptr) {
        context.diagnostics->note(context.lineNumber, radiationKey,
                                  "field file " + inQuotes(name)
                                      + " is not in the current directory; using " + inQuotes(beside.string())
                                      + " next to the input file");
    }
    return beside.string();
}

std::string whyNotLoaded(const std::string& path, FieldFileOutcome outcome)
{
    if (outcome == FieldFileOutcome::noComponents) {
        return "announces no components";
    }
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return "does not exist";
    }
    return std::filesystem::is_regular_file(path, error) ? "cannot be opened" : "is not a regular file";
}

struct LoadedFieldFile {
    std::optional<BlockStatus> status;  // set when a field file gave the field
    std::vector<std::string> skipped;   // the files tried in vain, and why
};

// Tries the field files named by "FN=" items in turn; the file name keeps its case.
LoadedFieldFile loadNamedFieldFiles(const std::vector<ItemCandidate>& items, RadiationField& field,
                                    const BlockContext& context)
{
    LoadedFieldFile loaded;
    for (const ItemCandidate& item : items) {
        std::string keyword = item.token.substr(0, item.equalsColumn);
        toUpper(keyword, keyword.size());
        squeezeBlanks(keyword);
        if (trimmed(keyword) != "FN=") {
            continue;
        }
        const std::string name(trimmed(std::string_view(item.token).substr(item.equalsColumn)));
        const std::string path = fieldFilePath(name, context);
        const FieldFileOutcome outcome = loadFieldFile(path, field, context.masses, context.diagnostics);
        switch (outcome) {
            case FieldFileOutcome::mixedField:
                loaded.status = BlockStatus::read;
                return loaded;
            case FieldFileOutcome::singleComponent:
                loaded.status = BlockStatus::absent;
                return loaded;
            case FieldFileOutcome::notOpened:
            case FieldFileOutcome::noComponents:
                loaded.skipped.push_back("field file " + inQuotes(name) + " " + whyNotLoaded(path, outcome));
                break;
        }
    }
    return loaded;
}

// The particle name of "PAR=": cut to 5 characters, its last character in
// lower case (4HE becomes 4He).
std::string particleName(std::string_view value)
{
    std::string name = makeField(trimmed(value), particleNameLength);
    const std::size_t length = trimmedLength(name);
    if (length > 0) {
        std::string last = name.substr(length - 1, 1);
        toLower(last, 1);
        name[length - 1] = last[0];
    }
    return name;
}

// The value of an item as written (its case kept).
std::string writtenValue(const ItemCandidate& candidate)
{
    std::string value = candidate.token.substr(candidate.equalsColumn);
    squeezeBlanks(value);
    return std::string(trimmed(value));
}

// Converts an energy item into target; false, with target unchanged and a
// warning naming the energy in use, when it does not convert.
bool readEnergy(const ItemCandidate& candidate, const SqueezedItem& item, double& target,
                double energyInUse, const BlockContext& context)
{
    if (readItemReal(item.value, target)) {
        return true;
    }
    context.warn(inQuotes(trimmed(candidate.token)) + ": " + inQuotes(writtenValue(candidate))
                 + " is not a number; the kinetic energy stays " + formatValue(energyInUse) + " MeV");
    return false;
}

// A single particle type from the "PAR=", "KE=" and "MEV/A=" items. The
// energy per nucleon is multiplied by the mass number of the last particle
// named before the end of the line (0 when none was).
void readSingleParticle(const std::vector<ItemCandidate>& items, RadiationField& field,
                        const BlockContext& context)
{
    // The name as a 5-character field while the items are read.
    FieldComponent first{field.component(1).nameField(), field.component(1).kineticEnergy};
    double perNucleon = -1.0;
    std::int32_t massNumber = 0;
    for (const ItemCandidate& candidate : items) {
        const SqueezedItem item = squeezeItem(candidate);
        if (item.keyword == "PAR=") {
            first.name = particleName(item.value);
            massNumber = identifyParticle(first.name, context.masses).A;
            if (context.diagnostics != nullptr) {
                checkParticleName(writtenValue(candidate), first.name, context.masses,
                                  DiagnosticPlace{*context.diagnostics, context.diagnostics->inputFileName(),
                                                  context.lineNumber, radiationKey},
                                  "using the 1 MeV electron");
            }
        } else if (item.keyword == "KE=") {
            static_cast<void>(readEnergy(candidate, item, first.kineticEnergy, first.kineticEnergy, context));
        } else if (item.keyword == "MEV/A="
                   && readEnergy(candidate, item, perNucleon, first.kineticEnergy, context)) {
            first.kineticEnergy = perNucleon;
        }
    }
    if (perNucleon > 0.0) {
        first.kineticEnergy = perNucleon * massNumber;
        if (massNumber == 0) {
            context.warn("MEV/A= needs a particle with a mass number (PAR=, as 12C); the kinetic energy is 0 MeV");
        }
    }
    if (context.diagnostics != nullptr) {
        const bool perNucleonGiven = perNucleon > 0.0;
        if (std::optional<std::string> why =
                energyAboveRange(first.name, first.kineticEnergy, perNucleonGiven ? "MEV/A=" : "KE=",
                                 perNucleonGiven ? perNucleon : first.kineticEnergy, context.masses)) {
            context.warn(std::move(*why));
        }
    }
    field = RadiationField(first.name, first.kineticEnergy, ParticleNames::asRead);
}

// What the run uses in place of the field files that did not load.
void reportSkippedFiles(const LoadedFieldFile& loaded, const RadiationField& field, const BlockContext& context)
{
    const std::string instead = loaded.status
                                    ? "using field file " + inQuotes(field.fileName())
                                    : "using the particle of this line";
    for (const std::string& skipped : loaded.skipped) {
        context.warn(skipped + "; " + instead);
    }
}

}  // namespace

RadiationBlock readRadiationBlock(std::istream& input, const MassConstants& masses,
                                  const std::filesystem::path& inputDirectory, InputDiagnostics* diagnostics)
{
    RadiationBlock block{RadiationField{}, BlockStatus::absent};
    std::optional<RadiationLine> line = findRadiationLine(input);
    if (!line) {
        return block;
    }
    const BlockContext context{masses, inputDirectory, diagnostics, line->number};
    blankComment(line->text);
    if (diagnostics != nullptr) {
        diagnostics->blockTaken(radiationKey, line->number);
        checkLineTokens(line->text, radiationKeywords, radiationKey, line->number, *diagnostics);
    }
    const std::vector<ItemCandidate> items = itemCandidates(line->text);
    const LoadedFieldFile loaded = loadNamedFieldFiles(items, block.field, context);
    reportSkippedFiles(loaded, block.field, context);
    if (loaded.status) {
        block.status = *loaded.status;
        return block;
    }
    readSingleParticle(items, block.field, context);
    block.status = BlockStatus::read;
    return block;
}

}  // namespace kesp
