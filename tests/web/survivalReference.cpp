// The cell survival of a run as the native library gives it, for the web
// engine's test to compare with: the reference radiation run under the
// input's settings, the cell from it and the input's run with the model.
//
//     kespWebSurvivalReference run.inp alpha_R beta_R particle kineticEnergyMeV
//
// prints {"survival": the results document's section, "dose_gy": [...],
// "survival_fraction": [...], "reference_survival_fraction": [...]}.

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "kesp/kesp.h"
#include "kesp/report/survivalJson.h"

namespace {

std::string textOf(const char* path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

nlohmann::ordered_json survivalOf(const char* inputPath, double alpha, double beta, const kesp::RadiationField& reference)
{
    kesp::RunRequest request;
    request.source = kesp::InputText{textOf(inputPath), "run.inp"};
    request.threads = 1;
    const kesp::RunOutcome checked = kesp::checkRequest(request);
    if (!checked.mayRun()) {
        throw std::runtime_error("the input cannot be run");
    }
    kesp::RunSettings referenceSettings = kesp::referenceRunSettings(*checked.settings, reference);
    referenceSettings.threads = 1;
    kesp::NoProgress quiet;
    const kesp::RunResults referenceRun = kesp::simulate(referenceSettings, quiet);
    request.survival = kesp::survivalModel({alpha, beta}, referenceRun);
    const kesp::RunOutcome outcome = kesp::runRequest(request, quiet);
    if (!outcome.survival) {
        throw std::runtime_error("the run gave no cell survival");
    }
    nlohmann::ordered_json answer{{"survival", kesp::survivalJson(*outcome.survival)}};
    const kesp::LinearQuadratic& particle = outcome.survival->coefficients;
    const kesp::LinearQuadratic& measured = *outcome.survival->reference;
    for (int i = 0; i <= 40; ++i) {
        const double dose = 0.25 * i;
        answer["dose_gy"].push_back(dose);
        answer["survival_fraction"].push_back(kesp::survivalFraction(particle.alphaPerGy, particle.betaPerGy2, dose));
        answer["reference_survival_fraction"].push_back(
            kesp::survivalFraction(measured.alphaPerGy, measured.betaPerGy2, dose));
    }
    return answer;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: kespWebSurvivalReference run.inp alpha_R beta_R particle kineticEnergyMeV\n";
        return 2;
    }
    try {
        std::cout << survivalOf(argv[1], std::stod(argv[2]), std::stod(argv[3]),
                                kesp::singleParticleField(argv[4], std::stod(argv[5])))
                         .dump()
                  << "\n";
    } catch (const std::exception& error) {
        std::cerr << "kespWebSurvivalReference: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
