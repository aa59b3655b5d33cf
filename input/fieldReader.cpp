#include "input/fieldReader.h"

#include <optional>
#include <string>

#include "input/blockLine.h"
#include "input/fieldFile.h"
#include "support/lineReader.h"
#include "support/text.h"

namespace kesp {

namespace {

// The first line that begins with "RADX:" in any case and with any blanks.
std::optional<std::string> findRadiationLine(std::istream& input)
{
    if (!rewindInput(input)) {
        return std::nullopt;
    }
    std::string line(inputLineLength, ' ');
    while (readFixedLine(input, line)) {
        std::string squeezed = line;
        squeezeBlanks(squeezed);
        toUpper(squeezed, trimmedLength(squeezed));
        if (squeezed.starts_with("RADX:")) {
            return line;
        }
    }
    return std::nullopt;
}

// Tries the field files named by "FN=" items in turn; the file name keeps its case.
std::optional<BlockStatus> loadNamedFieldFiles(const std::vector<ItemCandidate>& items,
                                               RadiationField& field, const MassConstants& masses)
{
    for (const ItemCandidate& item : items) {
        std::string keyword = item.token.substr(0, item.equalsColumn);
        toUpper(keyword, keyword.size());
        squeezeBlanks(keyword);
        if (trimmed(keyword) != "FN=") {
            continue;
        }
        switch (loadFieldFile(trimmed(std::string_view(item.token).substr(item.equalsColumn)), field,
                              masses)) {
            case FieldFileOutcome::mixedField:
                return BlockStatus::read;
            case FieldFileOutcome::singleComponent:
                return BlockStatus::absent;
            case FieldFileOutcome::notOpened:
            case FieldFileOutcome::noComponents:
                break;
        }
    }
    return std::nullopt;
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

// A single particle type from the "PAR=", "KE=" and "MEV/A=" items. The
// energy per nucleon is multiplied by the mass number of the last particle
// named before the end of the line (0 when none was).
void readSingleParticle(const std::vector<ItemCandidate>& items, RadiationField& field,
                        const MassConstants& masses)
{
    FieldComponent& first = field.components[1];
    double perNucleon = -1.0;
    std::int32_t massNumber = 0;
    for (const ItemCandidate& candidate : items) {
        const SqueezedItem item = squeezeItem(candidate);
        if (item.keyword == "PAR=") {
            first.name = particleName(item.value);
            massNumber = identifyParticle(first.name, masses).A;
        } else if (item.keyword == "KE=") {
            // A value that does not convert leaves the energy as it was.
            static_cast<void>(readItemReal(item.value, first.kineticEnergy));
        } else if (item.keyword == "MEV/A=" && readItemReal(item.value, perNucleon)) {
            first.kineticEnergy = perNucleon;
        }
    }
    if (perNucleon > 0.0) {
        first.kineticEnergy = perNucleon * massNumber;
    }
}

}  // namespace

RadiationBlock readRadiationBlock(std::istream& input, const MassConstants& masses)
{
    RadiationBlock block{RadiationField{}, BlockStatus::absent};
    std::optional<std::string> line = findRadiationLine(input);
    if (!line) {
        return block;
    }
    blankComment(*line);
    const std::vector<ItemCandidate> items = itemCandidates(*line);
    if (const std::optional<BlockStatus> loaded = loadNamedFieldFiles(items, block.field, masses)) {
        block.status = *loaded;
        return block;
    }
    readSingleParticle(items, block.field, masses);
    block.status = BlockStatus::read;
    return block;
}

}  // namespace kesp
