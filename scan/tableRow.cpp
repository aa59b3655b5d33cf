#include "scan/tableRow.h"

#include <algorithm>
#include <iterator>

#include "kesp/report/scanConfiguration.h"

namespace kesp {

namespace {

// A quoted field from its opening quote: its text, and where it ends.
std::optional<std::string> quotedField(std::string_view line, std::size_t& at, std::string& problem)
{
    std::string field;
    for (++at; at < line.size(); ++at) {
        if (line[at] != '"') {
            field += line[at];
        } else if (at + 1 < line.size() && line[at + 1] == '"') {
            field += '"';
            ++at;
        } else {
            ++at;
            if (at < line.size() && line[at] != ',') {
                problem = "text follows a closing quote";
                return std::nullopt;
            }
            return field;
        }
    }
    problem = "a quote is not closed";
    return std::nullopt;
}

std::string fieldCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " field" : " fields");
}

}  // namespace

std::string_view withoutLineEnd(std::string_view line)
{
    return line.ends_with('\n') ? line.substr(0, line.size() - 1) : line;
}

bool namesNonRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

std::optional<std::vector<std::string>> csvFields(std::string_view line, std::string& problem)
{
    if (line.find('\r') != std::string_view::npos) {
        problem = "it holds a carriage return (a line end of another system)";
        return std::nullopt;
    }
    std::vector<std::string> fields;
    for (std::size_t at = 0;; ++at) {
        if (at < line.size() && line[at] == '"') {
            std::optional<std::string> field = quotedField(line, at, problem);
            if (!field) {
                return std::nullopt;
            }
            fields.push_back(std::move(*field));
        } else {
            const std::size_t end = std::min(line.find(',', at), line.size());
            const std::string_view field = line.substr(at, end - at);
            if (field.find('"') != std::string_view::npos) {
                problem = "a quote inside a field that does not start with one";
                return std::nullopt;
            }
            fields.emplace_back(field);
            at = end;
        }
        if (at >= line.size()) {
            return fields;
        }
    }
}

std::string configurationText(const std::vector<std::string>& leading)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < leading.size(); ++i) {
        text += (i == 0 ? "" : ", ") + leading[i];
    }
    const std::string& switches = leading.back();
    return text + (text.empty() ? "" : " ") + "(switches: " + (switches.empty() ? "none" : switches) + ")";
}

std::optional<std::vector<std::string>> rowFields(std::string_view line, std::size_t count, std::string& problem)
{
    std::optional<std::vector<std::string>> fields = csvFields(line, problem);
    if (fields && fields->size() != count) {
        problem = "it holds " + fieldCount(fields->size()) + ", not " + std::to_string(count);
        return std::nullopt;
    }
    return fields;
}

std::string rowProblem(std::string_view line, const RowLayout& layout, std::size_t position, RowForm form)
{
    std::string problem;
    const std::size_t wanted = layout.fields - (form == RowForm::withoutPaired ? layout.pairedFields : 0);
    const std::optional<std::vector<std::string>> fields = rowFields(line, wanted, problem);
    if (!fields) {
        return problem;
    }
    const std::vector<std::string> leading = layout.leadingFields(position);
    const std::vector<std::string> found(fields->begin(), fields->begin() + std::ssize(leading));
    if (found != leading) {
        return "it holds the row of " + configurationText(found) + " where the row of " + configurationText(leading)
               + " belongs (a row out of place, repeated or edited)";
    }
    return {};
}

RowLayout tableRowLayout(const ScanDefinition& scan, ScanMode mode, std::vector<std::size_t> configurations)
{
    return RowLayout{tableColumns(scan, mode).size(), pairedFieldCount(scan, mode),
                     [&scan, configurations = std::move(configurations)](std::size_t position) {
                         std::vector<std::string> fields = configurationAt(scan, configurations.at(position)).varied;
                         fields.push_back(switchText(scan));
                         return fields;
                     },
                     scan.survival.has_value() && mode == ScanMode::simulation};
}

}  // namespace kesp
