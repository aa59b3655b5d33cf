#include "kesp/input/particleNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "kesp/input/radiationField.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Names that mean what they say although the program reads only their
// first letter (or their first five characters).
constexpr std::array spelledOut{"e", "e-", "electron", "p", "proton"};

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string whyUnknown(const ParticleIdentity& identity, std::string_view name)
{
    switch (identity.status) {
        case particleBadNumber:
            return "its mass number cannot be read";
        case particleNoSymbol:
            return "the mass number must come before the element symbol, as in 20Ne";
        case particleUnknownElement:
            return inQuotes(trimmed(identity.symbol)) + " is no element symbol";
        default:
            break;
    }
    if (name.find_first_of("0123456789") == std::string_view::npos) {
        return "a name without a mass number is read by its first letter, and only e (electron) and p "
               "(proton) are known that way; give ions as mass number and symbol, as 12C";
    }
    return "the nuclide table holds no such nuclide (it covers hydrogen to barium, Z = 1 to 56)";
}

// Whether the name means what it says although the program reads only its
// first letter (or its first five characters). In code a single letter must
// be the lower-case "e" or "p": "P" could as well mean phosphorus.
bool isSpelledOut(const std::string& whole, NameSpelling spelling)
{
    const std::string lower = lowerCase(whole);
    if (std::find(spelledOut.begin(), spelledOut.end(), lower) == spelledOut.end()) {
        return false;
    }
    return spelling == NameSpelling::inputFile || whole.size() > 1 || whole == lower;
}

// "12Carbon": only the first two letters after the mass number are read.
std::optional<std::string> ignoredSymbolLetters(std::string_view name, const ParticleIdentity& identity)
{
    const std::size_t first = name.find_first_not_of("0123456789");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t last = first;
    while (last < name.size() && std::isalpha(static_cast<unsigned char>(name[last]))) {
        ++last;
    }
    if (last - first <= 2) {
        return std::nullopt;
    }
    return "particle " + inQuotes(name) + ": only the letters " + inQuotes(trimmed(identity.symbol)) + " of "
           + inQuotes(name.substr(first, last - first)) + " are read as the element symbol";
}

std::optional<std::string> untabulatedMassNumber(std::string_view name, const ParticleIdentity& identity)
{
    if (identity.Z < 2) {
        return std::nullopt;
    }
    const std::int32_t tabulated = tabulatedMassNumber(identity.Z, identity.A);
    if (tabulated == identity.A) {
        return std::nullopt;
    }
    const std::string symbol(trimmed(identity.symbol));
    return "particle " + inQuotes(name) + ": there is no tabulated " + std::to_string(identity.A) + symbol
           + "; the mass of " + std::to_string(tabulated) + symbol
           + ", the lightest tabulated isotope above it, is used";
}

}  // namespace

std::vector<NameFinding> readParticleName(std::string_view written, std::string_view used,
                                          const MassConstants& masses, std::string_view fallback,
                                          NameSpelling spelling)
{
    std::vector<NameFinding> findings;
    const std::string whole(trimmed(written));
    const bool spelled = isSpelledOut(whole, spelling);
    const std::string cut = makeField(used, particleNameLength);
    // The name as the later messages quote it: as written, cut like the program cuts it.
    const std::string name = whole.substr(0, std::min(whole.size(), particleNameLength));
    if (whole.size() > particleNameLength && !spelled) {
        findings.push_back({"particle name " + inQuotes(whole) + " is cut to five characters: " + inQuotes(name),
                            false});
    }
    const ParticleIdentity identity = identifyParticle(cut, masses);
    if (identity.status < 0) {
        findings.push_back({"particle " + inQuotes(spelled ? whole : name) + " is not known: "
                                + whyUnknown(identity, name) + (fallback.empty() ? "" : "; ")
                                + std::string(fallback),
                            true});
        return findings;
    }
    const bool hasDigits = name.find_first_of("0123456789") != std::string::npos;
    if (!hasDigits && !spelled) {
        findings.push_back({"particle " + inQuotes(name) + " has no mass number and is read by its first letter as the "
                                + (identity.Z == -1 ? std::string("electron") : std::string("proton"))
                                + "; give ions as mass number and symbol, as 208Pb",
                            true});
    }
    if (hasDigits) {
        if (std::optional<std::string> ignored = ignoredSymbolLetters(name, identity)) {
            findings.push_back({std::move(*ignored), true});
        }
        if (std::optional<std::string> untabulated = untabulatedMassNumber(name, identity)) {
            findings.push_back({std::move(*untabulated), false});
        }
    }
    return findings;
}

bool checkParticleName(std::string_view written, std::string_view used, const MassConstants& masses,
                       const DiagnosticPlace& place, std::string_view fallback)
{
    for (NameFinding& finding : readParticleName(written, used, masses, fallback, NameSpelling::inputFile)) {
        place.warn(std::move(finding.message));
    }
    return identifyParticle(makeField(used, particleNameLength), masses).status >= 0;
}

void requireNamedParticle(std::string_view name, std::string_view fallback, std::string_view prefix)
{
    for (const NameFinding& finding :
         readParticleName(name, name, defaultMassConstants, fallback, NameSpelling::code)) {
        if (finding.anotherParticle) {
            stopRun(ErrorKind::input, std::string(prefix) + finding.message);
        }
    }
}

std::string particleLabel(std::int32_t Z, std::int32_t A, std::string_view symbol)
{
    if (Z == -1) {
        return "e-";
    }
    if (Z == 1 && A == 1) {
        return "proton";
    }
    return std::to_string(A) + std::string(trimmed(symbol));
}

}  // namespace kesp
