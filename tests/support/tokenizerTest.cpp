#include "kesp/support/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kesp/support/text.h"

namespace kesp {
namespace {

struct Step {
    int status;
    std::string token;  // trimmed
    int position;       // after the call
};

std::vector<Step> allTokens(CaseMatch mode, std::string_view delimiters, std::string_view text,
                            std::size_t tokenLength = 20)
{
    std::vector<Step> steps;
    int position = 1;
    for (int call = 0; call < 10; ++call) {
        std::string token(tokenLength, '#');
        const int status = nextToken(mode, delimiters, text, position, token);
        EXPECT_EQ(token.size(), tokenLength);
        steps.push_back({status, std::string(trimmed(token)), position});
        if (status != 0) {
            break;
        }
    }
    return steps;
}

void expectSteps(const std::vector<Step>& actual, const std::vector<Step>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].status, expected[i].status) << "call " << i;
        EXPECT_EQ(actual[i].token, expected[i].token) << "call " << i;
        EXPECT_EQ(actual[i].position, expected[i].position) << "call " << i;
    }
}

TEST(TokenizerTest, blockLineSplitsIntoItems)
{
    // ",, NOCS=5;SEED=7 ": the semicolon is column 10, the trailing blank column 17.
    expectSteps(allTokens(CaseMatch::exact, ", :;", ",, NOCS=5;SEED=7 "),
                {{0, "NOCS=5", 10}, {0, "SEED=7", 17}, {-1, "", 1}});
}

TEST(TokenizerTest, tokenAtTheLastColumnIsReturnedWhole)
{
    expectSteps(allTokens(CaseMatch::exact, ", :;", "A,BC"), {{0, "A", 2}, {0, "BC", 5}, {-1, "", 1}});
    expectSteps(allTokens(CaseMatch::exact, ", :;", "Q"), {{0, "Q", 2}, {-1, "", 1}});
    expectSteps(allTokens(CaseMatch::exact, ", :;", ";"), {{-1, "", 1}});
    expectSteps(allTokens(CaseMatch::exact, ", :;", ""), {{-1, "", 1}});
}

TEST(TokenizerTest, delimiterSetEndsAtItsTrimmedLength)
{
    // A single blank is the blank alone; the blanks after "," are padding.
    expectSteps(allTokens(CaseMatch::exact, " ", "a,b c"), {{0, "a,b", 4}, {0, "c", 6}, {-1, "", 1}});
    expectSteps(allTokens(CaseMatch::exact, ",   ", "a b,c"), {{0, "a b", 4}, {0, "c", 6}, {-1, "", 1}});
}

TEST(TokenizerTest, eitherCaseLetsBothCasesDelimit)
{
    expectSteps(allTokens(CaseMatch::eitherCase, "x", "1x2X3"),
                {{0, "1", 2}, {0, "2", 4}, {0, "3", 6}, {-1, "", 1}});
    expectSteps(allTokens(CaseMatch::exact, "x", "1x2X3"), {{0, "1", 2}, {0, "2X3", 6}, {-1, "", 1}});
}

TEST(TokenizerTest, tokenIsCutToItsLengthAndPositionIsClamped)
{
    expectSteps(allTokens(CaseMatch::exact, ",", "abcdef,g", 3), {{0, "abc", 7}, {0, "g", 9}, {-1, "", 1}});
    std::string token(5, ' ');
    int position = -3;
    EXPECT_EQ(nextToken(CaseMatch::exact, ",", "ab,c", position, token), 0);
    EXPECT_EQ(token, "ab   ");
    position = 99;
    EXPECT_EQ(nextToken(CaseMatch::exact, ",", "ab,c", position, token), -1);
    EXPECT_EQ(position, 1);
}

TEST(TokenizerTest, nextRunTakesCharactersOfTheSet)
{
    // Particle names such as "C12" split into letters and digits.
    std::string run(4, ' ');
    int position = 1;
    EXPECT_EQ(nextRun(CaseMatch::eitherCase, "abcdefghijklmnopqrstuvwxyz", " c12 ", position, run), 0);
    EXPECT_EQ(run, "c   ");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(nextRun(CaseMatch::exact, "0123456789", " c12 ", position, run), 0);
    EXPECT_EQ(run, "12  ");
    EXPECT_EQ(position, 5);
    EXPECT_EQ(nextRun(CaseMatch::exact, "0123456789", " c12 ", position, run), -1);
    EXPECT_EQ(position, 1);
}

}  // namespace
}  // namespace kesp
