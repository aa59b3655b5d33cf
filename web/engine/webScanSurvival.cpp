#include "web/engine/webScanSurvival.h"

#include <cmath>
#include <limits>

#include "kesp/report/scanText.h"
#include "kesp/support/runError.h"

namespace kesp::web {

namespace {

using nlohmann::json;

// The source's numbers, in the order of DsbSource's members.
constexpr const char* sourceKeys[] = {"weight", "dsb_per_cell_per_gy", "dsb_per_cell_per_gy_sem", "zf_gy"};

std::optional<double> numberOf(const std::string& key, const json& value, std::vector<std::string>& problems)
{
    if (!value.is_number()) {
        problems.push_back("survival: " + key + ": " + value.dump() + " is not a number");
        return std::nullopt;
    }
    return value.get<double>();
}

std::vector<double> numbersOf(const std::string& key, const json& value, std::vector<std::string>& problems)
{
    if (!value.is_array()) {
        problems.push_back("survival: " + key + ": give a list of numbers, as [2] or [2, 6]");
        return {};
    }
    std::vector<double> numbers;
    for (const json& item : value) {
        if (const std::optional<double> number = numberOf(key, item, problems)) {
            numbers.push_back(*number);
        }
    }
    return numbers;
}

json numberJson(double value)
{
    return std::isfinite(value) ? json(value) : json(nullptr);
}

double numberIn(const json& source, const char* key)
{
    const json& value = source.at(key);
    if (value.is_null()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (!value.is_number()) {
        stopRun(ErrorKind::usage, std::string("A row's DSB source has a ") + key + " that is not a number");
    }
    return value.get<double>();
}

}  // namespace

std::optional<ScanSurvival> scanSurvivalOf(const json& plan, std::vector<std::string>& problems)
{
    if (!plan.contains("survival")) {
        return std::nullopt;
    }
    const json& given = plan["survival"];
    if (!given.is_object()) {
        problems.push_back("survival: give alpha_per_gy and beta_per_gy2 as an object");
        return std::nullopt;
    }
    ScanSurvival survival;
    bool withAlpha = false;
    for (const auto& [key, value] : given.items()) {
        if (key == "alpha_per_gy") {
            survival.alphaPerGy = numberOf(key, value, problems).value_or(0.0);
            withAlpha = true;
        } else if (key == "beta_per_gy2") {
            survival.betaPerGy2 = numberOf(key, value, problems);
        } else if (key == "reference_doses_gy") {
            survival.questions.referenceDosesGy = numbersOf(key, value, problems);
        } else if (key == "survival_levels") {
            survival.questions.survivalLevels = numbersOf(key, value, problems);
        } else {
            problems.push_back("survival: " + quotedText(key)
                               + " is not a part of it; give alpha_per_gy, beta_per_gy2, reference_doses_gy"
                                 " and survival_levels");
        }
    }
    if (!withAlpha) {
        problems.push_back("survival: give alpha_per_gy (Gy^-1), measured for the reference radiation");
    }
    return survival;
}

json sourcesJson(const RowSources& row)
{
    json sources = json::array();
    for (const DsbSource& s : row.sources) {
        const double numbers[] = {s.doseFraction, s.dsbPerCellPerGy, s.dsbPerCellPerGySem, s.zFGy};
        json source = json::object();
        for (std::size_t k = 0; k < 4; ++k) {
            source[sourceKeys[k]] = numberJson(numbers[k]);
        }
        sources.push_back(std::move(source));
    }
    return {{"withSem", row.withSem}, {"sources", std::move(sources)}};
}

RowSources sourcesIn(const json& row)
{
    if (!row.contains("dsbSources") || row["dsbSources"].is_null()) {
        return RowSources{{}, false};
    }
    const json& given = row["dsbSources"];
    if (!given.is_object() || !given.value("sources", json()).is_array() || !given.value("withSem", json()).is_boolean()) {
        stopRun(ErrorKind::usage, "A row's dsbSources must be an object of withSem and sources");
    }
    RowSources sources{{}, given["withSem"].get<bool>()};
    for (const json& source : given["sources"]) {
        if (!source.is_object()) {
            stopRun(ErrorKind::usage, "A row's DSB source must be an object");
        }
        DsbSource read;
        double* const numbers[] = {&read.doseFraction, &read.dsbPerCellPerGy, &read.dsbPerCellPerGySem, &read.zFGy};
        for (std::size_t k = 0; k < 4; ++k) {
            *numbers[k] = numberIn(source, sourceKeys[k]);
        }
        sources.sources.push_back(read);
    }
    return sources;
}

}  // namespace kesp::web
