#pragma once
// Running type rules in tests: under a scripted source (to check the order of draws and which
// loop redraws what), and many times under a seeded source (to check the output set and the
// distribution). Every run has a draw budget, so a wrong loop fails instead of hanging.
#include "NumberTable.h"
#include "Random.h"
#include "TypeRules.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pelkano::test {

// The tables, loaded once for the whole test executable.
const NumberTables& tables();

// Warnings collected from the generator.
class CollectingReporter final : public Reporter {
public:
    void warn(const std::string& text) override { warnings.push_back(text); }
    std::vector<std::string> warnings;
};

struct ScriptedRun {
    DivisionProblem problem;
    std::vector<int> asked;  // the n of every R(n), in order
    bool allUsed = false;    // every scripted value was consumed
};

// Runs the rule of `type` once over the scripted values. Throws RandomScriptError when the
// script runs dry or a value does not fit its R(n).
ScriptedRun runScripted(int type, const std::vector<int>& values);

using ProblemCounts = std::map<std::pair<int, int>, long long>;  // (dividend, divisor) -> count

// `draws` problems of one type from a seeded source; each problem may take at most
// `budgetPerProblem` draws of R.
ProblemCounts sampleType(int type, long long draws, std::uint64_t seed, long long budgetPerProblem = 200000);

// Share of `hits` in `total` lies within `sigmas` binomial standard deviations of p.
bool shareMatches(long long hits, long long total, double p, double sigmas = 5.0);

}  // namespace pelkano::test

namespace pelkano::test {

// A data-driven table of scripted runs: columns type, script, asked (the n of every R(n) in
// order), dividend and divisor. Call addScriptedColumns() in the _data() function and
// verifyScriptedRow() in the test function: the rule must ask exactly for `asked`, use up the
// whole script and hand back the problem.
void addScriptedColumns();
void verifyScriptedRow();

}  // namespace pelkano::test
