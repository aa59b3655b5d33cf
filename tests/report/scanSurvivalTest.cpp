// The survival columns of a scan built in code, as the web page builds it:
// each row's fields are what kesp::cellSurvival says of the row's run, with
// the cell's parameters from the reference run at the highest oxygen level
// and the RBE against the reference run at the row's own; the reference
// radiation itself has an RBE of 1 and, where alpha and beta were measured,
// their measured values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/scanPairing.h"
#include "kesp/report/scanPlan.h"
#include "kesp/report/scanSurvival.h"
#include "kesp/report/scanText.h"
#include "kesp/report/scanTable.h"
#include "kesp/support/runError.h"
#include "kesp/survival/dsbSources.h"

namespace {

using namespace kesp;

ScanSetting setting(const char* item, const char* value)
{
    return ScanSetting{findScanItem(item), ScanValue{value, 0, {}}};
}

ScanAxis axis(const char* item, std::vector<std::string> values)
{
    ScanAxis result{findScanItem(item), 0, {}};
    for (std::string& value : values) {
        result.values.push_back(ScanValue{std::move(value), 0, {}});
    }
    return result;
}

ScanSurvival survivalBlock()
{
    ScanSurvival survival;
    survival.alphaPerGy = 0.2;
    survival.betaPerGy2 = 0.02;
    survival.questions = SurvivalQuestions{{2.0, 0.5}, {0.1, 0.01}};
    return survival;
}

// Electrons of the reference's energy and protons, aerobic and hypoxic, the
// oxygen level varying slowest (so that a row's partner is not next to it).
ScanDefinition survivalScan()
{
    ScanDefinition scan;
    scan.path = "survival.yaml";
    scan.vary = {axis("PO2", {"0.5", "21"}), axis("PAR", {"e", "p"})};
    scan.fixed = {setting("NOCS", "12"), setting("SEED", "5"), setting("KE", "1")};
    scan.reference = {setting("PAR", "e"), setting("KE", "1")};
    scan.survival = survivalBlock();
    return scan;
}

RunResults runOf(const ScanPlan& plan, const ScanRun& run)
{
    NoProgress quiet;
    return simulate(settingsOf(plan, run), quiet);
}

PendingRow rowOf(const ScanPlan& plan, const ScanRun& run, const RunResults& results)
{
    return pendingRowOf(rowValues(plan.scan, run.configuration, settingsOf(plan, run), results, ScanMode::simulation));
}

// The survival fields at the end of a row's paired fields.
std::vector<std::string> survivalPart(const ScanPlan& plan, const std::vector<std::string>& paired)
{
    const std::size_t count = survivalColumns(*plan.scan.survival, true).size();
    return std::vector<std::string>(paired.end() - static_cast<std::ptrdiff_t>(count), paired.end());
}

void expectNumber(const std::string& field, double expected, double tolerance, const std::string& what)
{
    ASSERT_FALSE(field.empty()) << what;
    EXPECT_NEAR(std::stod(field), expected, tolerance) << what;
}

class ScanSurvivalFieldsTest : public testing::Test {
protected:
    void SetUp() override
    {
        plan_ = planScan(survivalScan(), Leniency::lenient);
        for (std::size_t k = 0; k < plan_.configurations; ++k) {
            results_.push_back(runOf(plan_, plan_.row(k)));
            rows_.push_back(rowOf(plan_, plan_.row(k), results_.back()));
        }
        for (std::size_t k = 0; k < plan_.references.size(); ++k) {
            referenceResults_.push_back(runOf(plan_, plan_.referenceRun(k)));
            references_.push_back(rowOf(plan_, plan_.referenceRun(k), referenceResults_.back()));
        }
    }

    std::vector<std::string> fieldsOf(std::size_t configuration) const
    {
        const RowPairing pairing = rowPairing(plan_, configuration, ScanMode::simulation);
        const PendingRow* partner = pairing.oxygenPartner ? &rows_[*pairing.oxygenPartner] : nullptr;
        return pairedFields(plan_.scan, pairing, rows_[configuration],
                            PairedRuns{&references_[pairing.reference], partner, &references_[pairing.cellReference]});
    }

    ScanPlan plan_;
    std::vector<RunResults> results_;
    std::vector<PendingRow> rows_;
    std::vector<RunResults> referenceResults_;
    std::vector<PendingRow> references_;
};

// Configurations: 0 e hypoxic, 1 p hypoxic, 2 e aerobic, 3 p aerobic.
TEST_F(ScanSurvivalFieldsTest, theCellParametersComeFromTheReferenceAtTheHighestOxygenLevel)
{
    ASSERT_EQ(plan_.references.size(), 2U);
    for (std::size_t k = 0; k < plan_.configurations; ++k) {
        const RowPairing pairing = rowPairing(plan_, k, ScanMode::simulation);
        EXPECT_TRUE(pairing.survivalColumns);
        EXPECT_EQ(pairing.cellReference, plan_.referenceOfRow[2 + k % 2]) << k;
        EXPECT_EQ(pairing.reference, plan_.referenceOfRow[k]) << k;
    }
    EXPECT_FALSE(rowPairing(plan_, 0, ScanMode::physicsOnly).survivalColumns);
    const std::vector<std::string> columns = tableColumns(plan_.scan, ScanMode::simulation);
    const std::vector<std::string> survival = survivalColumns(*plan_.scan.survival, true);
    EXPECT_TRUE(std::equal(survival.rbegin(), survival.rend(), columns.rbegin()));
    EXPECT_EQ(columns.at(columns.size() - survival.size() - 1), "oer_dsb_sem");
    EXPECT_EQ(pairedFieldCount(plan_.scan, ScanMode::simulation), 4 + survival.size());
    // A physics-only table has no column formed from other runs.
    ScanDefinition withoutBlock = plan_.scan;
    withoutBlock.survival.reset();
    EXPECT_EQ(tableColumns(plan_.scan, ScanMode::physicsOnly), tableColumns(withoutBlock, ScanMode::physicsOnly));
    EXPECT_EQ(pairedFieldCount(plan_.scan, ScanMode::physicsOnly), 0U);
}

TEST_F(ScanSurvivalFieldsTest, theReferenceRadiationHasAnRbeOfOneAndItsMeasuredCoefficientsInAir)
{
    for (const std::size_t electrons : {0U, 2U}) {
        const std::vector<std::string> fields = survivalPart(plan_, fieldsOf(electrons));
        const std::vector<std::string> columns = survivalColumns(*plan_.scan.survival, true);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].starts_with("rbe_") && !columns[i].ends_with("_sem")) {
                expectNumber(fields[i], 1.0, 1e-12, columns[i] + " of configuration " + std::to_string(electrons));
            }
        }
        if (electrons == 2) {
            expectNumber(fields[0], 0.2, 1e-12, "alpha_per_gy in air");
            expectNumber(fields[2], 0.02, 1e-12, "beta_per_gy2 in air");
        }
    }
}

// Every field is what the survival layer says of the row's own run, for the
// RBE against the reference under the row's conditions and for the OER
// against its partner, whichever row of the pair asks.
TEST_F(ScanSurvivalFieldsTest, theFieldsAreThoseOfCellSurvivalOnTheRowsRun)
{
    const MeasuredReference measured{0.2, 0.02};
    const SurvivalQuestions questions = plan_.scan.survival->questions;
    for (std::size_t k = 0; k < plan_.configurations; ++k) {
        const RowPairing pairing = rowPairing(plan_, k, ScanMode::simulation);
        const RunResults& atMeasurement = referenceResults_[pairing.cellReference];
        const bool inAir = pairing.reference == pairing.cellReference;
        const SurvivalModel model = survivalModel(measured, atMeasurement,
                                                  inAir ? nullptr : &referenceResults_[pairing.reference], questions);
        const CellSurvival survival = cellSurvival(model, results_[k]);
        std::vector<double> expected{survival.coefficients.alphaPerGy, survival.coefficients.alphaSem,
                                     survival.coefficients.betaPerGy2, survival.coefficients.betaSem,
                                     survival.rbeLowDose->value,       survival.rbeLowDose->sem,
                                     survival.rbeHighDose->value,      survival.rbeHighDose->sem};
        for (const RbeAtReferenceDose& rbe : survival.rbeAtReferenceDose) {
            expected.insert(expected.end(), {rbe.rbe.value, rbe.rbe.sem});
        }
        for (const RbeAtSurvival& rbe : survival.rbeAtSurvival) {
            expected.insert(expected.end(), {rbe.rbe.value, rbe.rbe.sem});
        }
        const LinearQuadratic partner = linearQuadratic(model.cell, dsbSources(results_[*pairing.oxygenPartner]));
        const LinearQuadratic& aerobic = pairing.highOxygen ? survival.coefficients : partner;
        const LinearQuadratic& hypoxic = pairing.highOxygen ? partner : survival.coefficients;
        for (const RatioEstimate& oer : {oerLowDose(hypoxic, aerobic), oerHighDose(hypoxic, aerobic),
                                         oerAtSurvival(hypoxic, aerobic, 0.1), oerAtSurvival(hypoxic, aerobic, 0.01)}) {
            expected.insert(expected.end(), {oer.value, oer.sem});
        }
        std::vector<std::string> texts;
        for (const double value : expected) {
            texts.push_back(shortestText(value));
        }
        EXPECT_EQ(survivalPart(plan_, fieldsOf(k)), texts) << "configuration " << k + 1;
    }
    // The pair's OER is the same on both its rows.
    const std::vector<std::string> hypoxicProtons = survivalPart(plan_, fieldsOf(1));
    const std::vector<std::string> aerobicProtons = survivalPart(plan_, fieldsOf(3));
    EXPECT_TRUE(std::equal(hypoxicProtons.end() - 8, hypoxicProtons.end(), aerobicProtons.end() - 8));
}

TEST_F(ScanSurvivalFieldsTest, fieldsAreEmptyWhereARunIsMissingOrTheValueUndefined)
{
    const std::size_t count = survivalColumns(*plan_.scan.survival, true).size();
    const RowPairing pairing = rowPairing(plan_, 3, ScanMode::simulation);
    const ScanSurvival& block = *plan_.scan.survival;
    const SurvivalRuns full{&rows_[3].dsbSources, &references_[pairing.cellReference].dsbSources, nullptr, true,
                            &rows_[1].dsbSources, true};
    // Without the cell's reference run nothing is known; without the
    // partner, the OER fields only.
    SurvivalRuns withoutCell = full;
    withoutCell.cellReference = nullptr;
    EXPECT_EQ(survivalFields(block, true, withoutCell), std::vector<std::string>(count));
    SurvivalRuns withoutPartner = full;
    withoutPartner.oxygenPartner = nullptr;
    const std::vector<std::string> fields = survivalFields(block, true, withoutPartner);
    EXPECT_EQ(std::count(fields.begin(), fields.end(), std::string()), 8);
    // A run of 1 cell has no SEM, and so neither has what is formed from it.
    RowSources oneCell = rows_[3].dsbSources;
    oneCell.withSem = false;
    SurvivalRuns fewCells = full;
    fewCells.row = &oneCell;
    const std::vector<std::string> noSem = survivalFields(block, true, fewCells);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(noSem[i].empty(), i % 2 == 1) << i;
    }
    // A radiation that makes no DSB kills no cell: its alpha, beta and RBEs
    // are 0 (no dose of it reaches a survival level), and an OER over its
    // alpha of 0, or its dose, is no number: those fields are empty, not
    // "inf" or "nan".
    const RowSources noDsb{{DsbSource{1.0, 0.0, 0.0, 0.01}}, true};
    SurvivalRuns harmless = full;
    harmless.row = &noDsb;
    harmless.highOxygen = false;
    const std::vector<std::string> zero = survivalFields(block, true, harmless);
    const std::vector<std::string> columns = survivalColumns(block, true);
    for (std::size_t i = 0; i < count; ++i) {
        if (columns[i].starts_with("oer_")) {
            EXPECT_EQ(zero[i], "") << columns[i];
        } else if (i % 2 == 0) {
            EXPECT_EQ(zero[i], "0") << columns[i];
        }
        EXPECT_EQ(zero[i].find_first_of("ni"), std::string::npos) << columns[i] << " " << zero[i];
    }
}

TEST_F(ScanSurvivalFieldsTest, aReferenceThatGivesANegativeThetaIsAnErrorNamingTheValues)
{
    ScanSurvival block = *plan_.scan.survival;
    block.alphaPerGy = 1e-6;  // far below 2 beta_R zF_R
    const RowPairing pairing = rowPairing(plan_, 3, ScanMode::simulation);
    const SurvivalRuns runs{&rows_[3].dsbSources, &references_[pairing.cellReference].dsbSources, nullptr, true,
                            nullptr, true};
    try {
        static_cast<void>(survivalFields(block, true, runs));
        FAIL() << "a negative theta gave fields";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::input);
        EXPECT_NE(std::string(error.what()).find("theta"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("negative"), std::string::npos) << error.what();
    }
}

TEST(ScanSurvivalCheckTest, aSurvivalBlockBuiltInCodeIsCheckedAsPlanned)
{
    struct Case {
        const char* what;
        void (*change)(ScanDefinition&);
        const char* message;  // the refusal starts with it; empty: accepted
    };
    const Case cases[] = {
        {"as given", [](ScanDefinition&) {}, ""},
        {"alpha_beta instead of beta",
         [](ScanDefinition& s) {
             s.survival->betaPerGy2.reset();
             s.survival->alphaBetaGy = 10.0;
         },
         ""},
        {"no reference", [](ScanDefinition& s) { s.reference.clear(); }, "survival.yaml: survival: the RBE"},
        {"negative alpha", [](ScanDefinition& s) { s.survival->alphaPerGy = -0.1; },
         "survival.yaml: survival: alpha: -0.1 must be 0 or more"},
        {"beta 0", [](ScanDefinition& s) { s.survival->betaPerGy2 = 0.0; },
         "survival.yaml: survival: beta: 0 must be above 0"},
        {"both", [](ScanDefinition& s) { s.survival->alphaBetaGy = 10.0; },
         "survival.yaml: survival: alpha_beta: beta is given as well"},
        {"neither", [](ScanDefinition& s) { s.survival->betaPerGy2.reset(); },
         "survival.yaml: survival: give beta (Gy^-2) or alpha_beta (Gy)"},
        {"alpha 0 with alpha_beta",
         [](ScanDefinition& s) {
             s.survival->alphaPerGy = 0.0;
             s.survival->betaPerGy2.reset();
             s.survival->alphaBetaGy = 3.0;
         },
         "survival.yaml: survival: alpha_beta: 0 must be above 0 (Gy^-2, as beta = alpha / alpha_beta"},
        {"dose 0", [](ScanDefinition& s) { s.survival->questions.referenceDosesGy = {2.0, 0.0}; },
         "survival.yaml: survival: doses: Cell survival: a reference dose of 0 Gy must be above 0."},
        {"level 1", [](ScanDefinition& s) { s.survival->questions.survivalLevels = {1.0}; },
         "survival.yaml: survival: survival: Cell survival: a survival level of 1 lies outside (0, 1)."},
        {"a dose twice", [](ScanDefinition& s) { s.survival->questions.referenceDosesGy = {2.0, 2.0}; },
         "survival.yaml: survival: doses: 2 is given twice"},
    };
    for (const Case& c : cases) {
        ScanDefinition scan = survivalScan();
        c.change(scan);
        std::string refusal;
        try {
            static_cast<void>(planScan(scan, Leniency::lenient));
        } catch (const ScanRefused& error) {
            refusal = error.what();
        }
        EXPECT_TRUE(refusal.starts_with(c.message) && refusal.empty() == (*c.message == '\0'))
            << c.what << ": " << refusal;
    }
    ScanDefinition scan = survivalScan();
    scan.survival->betaPerGy2.reset();
    scan.survival->alphaBetaGy = 8.0;
    EXPECT_EQ(measuredReference(*scan.survival).betaPerGy2, 0.2 / 8.0);
}

TEST(ScanSurvivalColumnsTest, columnsNameDosesAndLevelsInTheirShortestForm)
{
    ScanSurvival block;
    block.questions = SurvivalQuestions{{2.0, 0.5}, {0.1}};
    EXPECT_EQ(survivalColumns(block, false),
              (std::vector<std::string>{"alpha_per_gy", "alpha_per_gy_sem", "beta_per_gy2", "beta_per_gy2_sem",
                                        "rbe_low_dose", "rbe_low_dose_sem", "rbe_high_dose", "rbe_high_dose_sem",
                                        "rbe_at_reference_dose_2gy", "rbe_at_reference_dose_2gy_sem",
                                        "rbe_at_reference_dose_0.5gy", "rbe_at_reference_dose_0.5gy_sem",
                                        "rbe_at_survival_0.1", "rbe_at_survival_0.1_sem"}));
    const std::vector<std::string> withOer = survivalColumns(block, true);
    EXPECT_EQ(std::vector<std::string>(withOer.end() - 6, withOer.end()),
              (std::vector<std::string>{"oer_low_dose", "oer_low_dose_sem", "oer_high_dose", "oer_high_dose_sem",
                                        "oer_at_survival_0.1", "oer_at_survival_0.1_sem"}));
}

}  // namespace
