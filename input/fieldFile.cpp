#include "kesp/input/fieldFile.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "kesp/input/particleNames.h"
#include "kesp/input/plausibleRanges.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/support/numberReader.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// One record of the file as read: the name cut to particleNameLength
// characters and blank-padded, the values as written.
struct Record {
    std::string name = std::string(particleNameLength, ' ');
    double kineticEnergy = 0.0;  // MeV
    double weight = 0.0;
};

// Values of a field file in free format, read record by record.
struct FreeFormatScanner {
    std::istream& file;
    std::string line;
    std::size_t column = 0;   // next character to look at, counted from 0
    int lineNumber = 0;       // of the line in `line`, counted from 1
    bool afterValue = false;  // a comma now separates two values instead of leaving one out
};

enum class ScanResult { value, leftOut, endOfRecord, endOfFile };

// The next line without the carriage return of a CR LF line end.
bool readLine(std::istream& file, std::string& line)
{
    if (!std::getline(file, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool nextLine(FreeFormatScanner& scanner, std::string& line)
{
    if (!readLine(scanner.file, line)) {
        return false;
    }
    ++scanner.lineNumber;
    return true;
}

// A record starts on a new line.
bool startRecord(FreeFormatScanner& scanner)
{
    scanner.column = 0;
    scanner.afterValue = false;
    return nextLine(scanner, scanner.line);
}

// A value in apostrophes or quotation marks; a doubled mark stands for itself.
std::string quotedText(FreeFormatScanner& scanner)
{
    const std::string& line = scanner.line;
    const char mark = line[scanner.column++];
    std::string text;
    while (scanner.column < line.size()) {
        const char c = line[scanner.column++];
        if (c != mark) {
            text += c;
        } else if (scanner.column < line.size() && line[scanner.column] == mark) {
            text += mark;
            ++scanner.column;
        } else {
            break;
        }
    }
    return text;
}

// A value without quotes ends at a blank, a comma, a slash or the line end.
std::string plainText(FreeFormatScanner& scanner)
{
    const std::string& line = scanner.line;
    const std::size_t start = scanner.column;
    while (scanner.column < line.size() && !isBlankOrControl(line[scanner.column]) &&
           line[scanner.column] != ',' && line[scanner.column] != '/') {
        ++scanner.column;
    }
    return line.substr(start, scanner.column - start);
}

ScanResult nextValue(FreeFormatScanner& scanner, std::string& text)
{
    for (;;) {
        while (scanner.column < scanner.line.size() && isBlankOrControl(scanner.line[scanner.column])) {
            ++scanner.column;
        }
        if (scanner.column >= scanner.line.size()) {
            if (!nextLine(scanner, scanner.line)) {
                return ScanResult::endOfFile;
            }
            scanner.column = 0;
            continue;
        }
        const char c = scanner.line[scanner.column];
        if (c == '/') {
            return ScanResult::endOfRecord;
        }
        if (c == ',') {
            ++scanner.column;
            if (scanner.afterValue) {
                scanner.afterValue = false;
                continue;
            }
            return ScanResult::leftOut;
        }
        text = (c == '\'' || c == '"') ? quotedText(scanner) : plainText(scanner);
        scanner.afterValue = true;
        return ScanResult::value;
    }
}

std::string formatNumber(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

[[noreturn]] void stopAtComponent(std::string_view fileName, int index, std::string_view problem)
{
    std::ostringstream message;
    message << "Field file " << fileName << ", component " << index << ": " << problem;
    stopRun(ErrorKind::input, message.str());
}

[[noreturn]] void stopEndedEarly(std::string_view fileName, int index, int count)
{
    std::ostringstream message;
    message << "Field file " << fileName << " ends before component " << index
            << " is complete; it must hold " << count
            << " records of name, kinetic energy (MeV) and weight.";
    stopRun(ErrorKind::input, message.str());
}

bool isWholeNumberText(std::string_view text)
{
    const std::size_t start = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    return text.size() > start && text.find_first_not_of("0123456789", start) == std::string_view::npos;
}

// The number of components after the title line; stops when there is none.
double readComponentCount(FreeFormatScanner& scanner, std::string_view fileName)
{
    std::string title;
    std::string text;
    if (!nextLine(scanner, title) || !startRecord(scanner) ||
        nextValue(scanner, text) != ScanResult::value) {
        stopRun(ErrorKind::input, "Field file " + std::string(fileName) +
                " ends before the number of components; it must follow the title line.");
    }
    double count = 0.0;
    if (!isWholeNumberText(text) || readReal(text, count) != 0) {
        stopRun(ErrorKind::input, "Field file " + std::string(fileName) + ": the number of components \"" + text +
                "\" is not a whole number.");
    }
    return count;
}

void storeValue(std::string_view fileName, int index, int valueNumber, const std::string& text,
                Record& component)
{
    if (valueNumber == 0) {
        component.name = makeField(text, particleNameLength);
        return;
    }
    const char* what = valueNumber == 1 ? "kinetic energy" : "weight";
    double& target = valueNumber == 1 ? component.kineticEnergy : component.weight;
    if (readReal(text, target) != 0) {
        stopAtComponent(fileName, index, std::string("the ") + what + " \"" + text + "\" is not a number.");
    }
}

// Where a record starts and the particle name as the file writes it (empty
// when the record leaves the name out).
struct RecordSource {
    int line = 0;
    std::string writtenName;
};

// Reads one record of name, kinetic energy and weight; a value left out keeps
// what the component already holds.
RecordSource readRecord(FreeFormatScanner& scanner, std::string_view fileName, int index, int count,
                        Record& component)
{
    if (!startRecord(scanner)) {
        stopEndedEarly(fileName, index, count);
    }
    RecordSource source{scanner.lineNumber, {}};
    for (int valueNumber = 0; valueNumber < 3; ++valueNumber) {
        std::string text;
        const ScanResult result = nextValue(scanner, text);
        if (result == ScanResult::endOfFile) {
            stopEndedEarly(fileName, index, count);
        }
        if (result == ScanResult::endOfRecord) {
            break;
        }
        if (result == ScanResult::value) {
            storeValue(fileName, index, valueNumber, text, component);
            source.writtenName = valueNumber == 0 ? text : source.writtenName;
        }
    }
    return source;
}

// Names the program reads otherwise than written (an unknown name stops the
// run with its own message).
void checkComponentNames(const std::string& fileName, const std::vector<Record>& records,
                         const std::vector<RecordSource>& sources, const MassConstants& masses,
                         InputDiagnostics& diagnostics)
{
    for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
        const RecordSource& source = sources[static_cast<std::size_t>(i - 1)];
        const Record& component = records[static_cast<std::size_t>(i - 1)];
        if (!source.writtenName.empty() && identifyParticle(component.name, masses).status >= 0) {
            checkParticleName(source.writtenName, component.name, masses,
                              DiagnosticPlace{diagnostics, fileName, source.line, ""}, "");
        }
    }
}

// Energies above those the model is made for, at the record's line.
void checkComponentEnergies(const std::string& fileName, const std::vector<Record>& records,
                            const std::vector<RecordSource>& sources, const MassConstants& masses,
                            InputDiagnostics& diagnostics)
{
    for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
        const Record& component = records[static_cast<std::size_t>(i - 1)];
        if (std::optional<std::string> why =
                energyAboveRange(component.name, component.kineticEnergy, "", component.kineticEnergy, masses)) {
            diagnostics.warnIn(fileName, sources[static_cast<std::size_t>(i - 1)].line, "",
                               "component " + std::to_string(i) + ": " + *why);
        }
    }
}

// Kinetic energies must be positive and weights non-negative with a positive
// finite sum (values that are not finite never convert).
void checkComponents(std::string_view fileName, const std::vector<Record>& records)
{
    double sum = 0.0;
    for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
        const Record& component = records[static_cast<std::size_t>(i - 1)];
        if (!(component.kineticEnergy > 0.0 && std::isfinite(component.kineticEnergy))) {
            stopAtComponent(fileName, i,
                            "kinetic energy " + formatNumber(component.kineticEnergy) +
                                " is not a positive number; kinetic energies must be > 0 MeV.");
        }
        if (component.weight < 0.0) {
            stopAtComponent(fileName, i,
                            "weight " + formatNumber(component.weight) + " is negative; weights must be >= 0.");
        }
        sum += component.weight;
    }
    if (!(sum > 0.0 && std::isfinite(sum))) {
        stopRun(ErrorKind::input, "Field file " + std::string(fileName) + ": the weights add up to "
                                      + formatNumber(sum) + "; they must add up to a positive finite number.");
    }
}

// A component whose particle cannot be set up would be simulated with the
// data of the component before it, so the run stops instead.
[[noreturn]] void stopNotUsable(std::string_view fileName, int index, const Record& component,
                                const MassConstants& masses)
{
    const std::string name(trimmed(component.name));
    if (identifyParticle(component.name, masses).status < 0) {
        stopAtComponent(fileName, index,
                        "the particle name \"" + name +
                            "\" is unknown; give e, p or a mass number and an element symbol such as 4He.");
    }
    stopAtComponent(fileName, index,
                    "kinetic energy " + formatNumber(component.kineticEnergy) + " MeV is too small to give " +
                        name + " a speed.");
}

// Weights so small that their sum is a subnormal number cannot be
// normalised: 1 over that sum is not finite.
void requireNormalisableWeights(std::string_view fileName, const std::vector<Record>& records)
{
    double sum = 0.0;
    for (const Record& record : records) {
        sum += record.weight;
    }
    if (!std::isfinite(1.0 / sum)) {
        stopRun(ErrorKind::input, "Field file " + std::string(fileName)
                + ": the weights are too small to be normalised (their sum is below 2.2E-308); give "
                  "them as shares or percentages.");
    }
}

void requireUsableComponents(std::string_view fileName, const std::vector<Record>& records,
                             const MassConstants& masses)
{
    for (int i = 1; i <= static_cast<int>(records.size()); ++i) {
        const Record& component = records[static_cast<std::size_t>(i - 1)];
        if (describeParticle(component.name, component.kineticEnergy, masses).status
            == ParticleStatus::notUsable) {
            stopNotUsable(fileName, i, component, masses);
        }
    }
}

// Only a regular file is read: a directory cannot be, a device such as
// /dev/zero would never end its first line, and opening a pipe (or
// /dev/stdin) with no writer, or reading one whose writer never ends it,
// would wait for ever.
bool openFieldFile(const std::string& fileName, std::ifstream& file)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    if (!std::filesystem::is_regular_file(status)) {
        return false;
    }
    file.open(fileName);
    return file.is_open();
}

}  // namespace

FieldFileOutcome loadFieldFile(std::string_view fileName, RadiationField& field,
                               const MassConstants& masses, InputDiagnostics* diagnostics)
{
    const std::string name(fileName);
    std::ifstream file;
    if (!openFieldFile(name, file)) {
        return FieldFileOutcome::notOpened;
    }
    FreeFormatScanner scanner{file, {}};
    const double declaredCount = readComponentCount(scanner, name);
    if (declaredCount <= 0.0) {
        return FieldFileOutcome::noComponents;
    }
    if (declaredCount > maxFieldComponents) {
        std::ostringstream message;
        message << "Field file " << name << " holds " << std::fixed << std::setprecision(0) << declaredCount
                << " components; at most " << maxFieldComponents << " are allowed.";
        stopRun(ErrorKind::input, message.str());
    }
    const int count = static_cast<int>(declaredCount);
    // A value left out keeps what the component held before: the particle
    // of the field so far (with weight 0) for the first, nothing for the
    // others.
    std::vector<Record> records(static_cast<std::size_t>(count));
    records[0].name = field.component(1).nameField();
    records[0].kineticEnergy = field.component(1).kineticEnergy;
    std::vector<RecordSource> sources;
    for (int i = 1; i <= count; ++i) {
        sources.push_back(readRecord(scanner, name, i, count, records[static_cast<std::size_t>(i - 1)]));
    }
    file.close();
    checkComponents(name, records);
    if (diagnostics != nullptr) {
        checkComponentNames(name, records, sources, masses, *diagnostics);
    }
    requireUsableComponents(name, records, masses);
    if (diagnostics != nullptr) {
        checkComponentEnergies(name, records, sources, masses, *diagnostics);
    }
    requireNormalisableWeights(name, records);
    std::vector<ComponentEntry> entries;
    entries.reserve(records.size());
    for (const Record& record : records) {
        entries.push_back(ComponentEntry{record.name, record.kineticEnergy, record.weight});
    }
    field = RadiationField(entries, name, ParticleNames::asRead);
    return count >= 2 ? FieldFileOutcome::mixedField : FieldFileOutcome::singleComponent;
}

}  // namespace kesp
