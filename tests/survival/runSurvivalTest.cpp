#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "driver/jsonReportCheck.h"
#include "kesp/engine/engine.h"
#include "kesp/report/runRequest.h"
#include "kesp/support/runError.h"
#include "kesp/survival/cellSurvival.h"
#include "kesp/survival/dsbSources.h"

namespace kesp {
namespace {

using jsontest::Json;
using jsontest::schemaComplaint;
namespace fs = std::filesystem;

RunSettings settingsOf(RadiationField field, double oxygenPercent = 21.0, int cells = 120)
{
    RunSettings settings;
    settings.cells = cells;
    settings.seed = 24680;
    settings.oxygenPercent = oxygenPercent;
    settings.threads = 1;
    settings.field = std::move(field);
    return settings;
}

RunResults run(const RunSettings& settings)
{
    NoProgress quiet;
    return simulate(settings, quiet);
}

const MeasuredReference measured{0.2, 0.02};

// The reference radiation judged against itself: its measured coefficients
// and an RBE of 1 at every dose and survival level. (Its SEMs are those of
// a second, independent run of it: a run is taken as independent of the
// reference run.)
TEST(RunSurvivalTest, theReferenceRadiationIsItsOwnMeasurementWithAnRbeOfOne)
{
    const RunResults reference = run(settingsOf(defaultReferenceRadiation()));
    SurvivalQuestions questions{{0.5, 2.0, 8.0}, {0.5, 0.1, 0.01}};
    const CellSurvival survival = cellSurvival(survivalModel(measured, reference, nullptr, questions), reference);
    EXPECT_NEAR(survival.coefficients.alphaPerGy, 0.2, 1e-14);
    EXPECT_NEAR(survival.coefficients.betaPerGy2, 0.02, 1e-15);
    EXPECT_NEAR(survival.rbeLowDose->value, 1.0, 1e-12);
    EXPECT_NEAR(survival.rbeHighDose->value, 1.0, 1e-12);
    ASSERT_EQ(survival.rbeAtReferenceDose.size(), 3U);
    ASSERT_EQ(survival.rbeAtSurvival.size(), 3U);
    for (const RbeAtReferenceDose& r : survival.rbeAtReferenceDose) {
        EXPECT_NEAR(r.rbe.value, 1.0, 1e-12) << r.referenceDoseGy;
        EXPECT_GT(r.rbe.sem, 0.0) << r.referenceDoseGy;
    }
    for (const RbeAtSurvival& r : survival.rbeAtSurvival) {
        EXPECT_NEAR(r.rbe.value, 1.0, 1e-12) << r.survival;
        EXPECT_NEAR(r.doseGy, r.referenceDoseGy, 1e-12 * r.doseGy) << r.survival;
    }
}

// Each component of a mixed field keeps the DSB yield of its own cells: the
// field's yield is their cell-weighted mean, a component stands for itself,
// and the field's alpha and beta mix the components' as the model mixes.
TEST(RunSurvivalTest, aMixedFieldsComponentsKeepTheirOwnYieldsAndMixByDoseFraction)
{
    const RunResults field = run(settingsOf(mixedField({{"p", 5.0, 0.4}, {"12C", 120.0, 0.6}}), 21.0, 150));
    const std::vector<ComponentResult> components = field.componentResults();
    ASSERT_EQ(components.size(), 2U);
    double cellWeighted = 0.0;
    for (const ComponentResult& c : components) {
        ASSERT_TRUE(c.dsbPerCellPerGy && c.dsbPerCellPerGy->sem) << c.particle;
        cellWeighted += c.cellsSimulated * c.dsbPerCellPerGy->mean;
    }
    const Estimate fieldDsb = field.clusters(ClusterCategory::dsb)->perCellPerGy;
    EXPECT_NEAR(cellWeighted / field.cellsSimulated, fieldDsb.mean, 1e-12 * fieldDsb.mean);
    EXPECT_EQ(field.fieldAverageResult().dsbPerCellPerGy, fieldDsb);
    EXPECT_GT(components[1].dsbPerCellPerGy->mean, components[0].dsbPerCellPerGy->mean);

    const RunResults reference = run(settingsOf(defaultReferenceRadiation()));
    const SurvivalModel model = survivalModel(measured, reference);
    const CellSurvival mixed = cellSurvival(model, field);
    double meanSigma = 0.0;
    double meanZfSigma2 = 0.0;
    for (const ComponentResult& c : components) {
        const double sigma = c.dsbPerCellPerGy->mean;
        meanSigma += c.weight * sigma;
        meanZfSigma2 += c.weight * c.physics.zFGy * sigma * sigma;
    }
    EXPECT_NEAR(mixed.coefficients.alphaPerGy, mixed.theta * meanSigma + mixed.kappa * meanZfSigma2,
                1e-12 * mixed.coefficients.alphaPerGy);
    EXPECT_NEAR(mixed.coefficients.betaPerGy2, mixed.kappa / 2.0 * meanSigma * meanSigma,
                1e-12 * mixed.coefficients.betaPerGy2);
    EXPECT_GT(mixed.rbeLowDose->value, mixed.rbeHighDose->value);
}

// Under hypoxia the cell keeps the parameters of the measurement; the
// reference run under hypoxia gives the reference's coefficients there.
TEST(RunSurvivalTest, aHypoxicRunIsJudgedAgainstTheReferenceUnderHypoxiaWithTheAerobicCellParameters)
{
    const RunResults aerobicReference = run(settingsOf(defaultReferenceRadiation(), 21.0));
    const RunResults hypoxicReference = run(settingsOf(defaultReferenceRadiation(), 0.1));
    const SurvivalModel model = survivalModel(measured, aerobicReference, &hypoxicReference);
    const SurvivalModel aerobicModel = survivalModel(measured, aerobicReference);
    EXPECT_EQ(model.cell.theta(), aerobicModel.cell.theta());
    EXPECT_LT(model.reference->alphaPerGy, measured.alphaPerGy);
    const CellSurvival itself = cellSurvival(model, hypoxicReference);
    EXPECT_NEAR(itself.rbeAtReferenceDose.front().rbe.value, 1.0, 1e-12);
    EXPECT_GT(itself.rbeAtReferenceDose.front().rbe.sem, 0.0);  // two independent runs
}

TEST(RunSurvivalTest, aRunWithoutTheYieldsTheModelNeedsIsRefused)
{
    RunResults none;
    EXPECT_THROW(static_cast<void>(dsbSources(none)), RunError);
    EXPECT_THROW(static_cast<void>(survivalModel(1.0, 0.1, SurvivalQuestions{{0.0}, {0.1}})), RunError);
    EXPECT_THROW(static_cast<void>(survivalModel(1.0, 0.1, SurvivalQuestions{{2.0}, {1.0}})), RunError);
}

// A request with a survival model adds a "survival" section to the
// document, valid against the schema, and changes nothing else; without one
// the document is as before.
TEST(RunSurvivalTest, theDocumentGainsASurvivalSectionOnlyWhenAModelIsGiven)
{
    const RunSettings settings = settingsOf(singleParticleField("p", 10.0), 21.0, 40);
    RunRequest request;
    request.source = CodeSettings{settings, std::nullopt};
    request.provenance = RunProvenance{"KESP test", "none", "", std::string(64, '0'), {}};
    request.wording = OutcomeWording::library;
    NoProgress quiet;
    const RunOutcome plain = runRequest(request, quiet);
    request.survival = survivalModel(measured, run(settingsOf(defaultReferenceRadiation(), 21.0, 40)));
    const RunOutcome withSurvival = runRequest(request, quiet);
    ASSERT_TRUE(plain.json && withSurvival.json && withSurvival.survival);
    EXPECT_FALSE(plain.survival);

    Json document = Json::parse(*withSurvival.json);
    const Json section = document["survival"];
    EXPECT_EQ(section["alpha_per_gy"]["mean"].get<double>(), withSurvival.survival->coefficients.alphaPerGy);
    EXPECT_EQ(section["rbe_at_reference_dose"][0]["reference_dose_gy"].get<double>(), 2.0);
    document.erase("survival");
    EXPECT_EQ(document, Json::parse(*plain.json));

    const fs::path folder = fs::temp_directory_path() / "kespRunSurvivalTest";
    fs::create_directories(folder);
    std::ofstream(folder / "run.json") << *withSurvival.json;
    EXPECT_EQ(schemaComplaint(folder / "run.json"), "");
    request.survival = survivalModel(0.05, 0.001);
    const RunOutcome given = runRequest(request, quiet);
    std::ofstream(folder / "given.json") << *given.json;
    EXPECT_EQ(schemaComplaint(folder / "given.json"), "");
    EXPECT_TRUE(Json::parse(*given.json)["survival"]["reference"].is_null());
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kesp
