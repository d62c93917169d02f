#include "TypeSampling.h"

#include <cmath>

namespace pelkano::test {

const NumberTables& tables()
{
    static const NumberTables t = NumberTables::load();
    return t;
}

ScriptedRun runScripted(int type, const std::vector<int>& values)
{
    ScriptedRandom random(values);
    CollectingReporter reporter;
    RuleContext ctx{random, tables(), reporter};
    ScriptedRun run;
    run.problem = runRule(type, ctx);
    run.asked = random.asked();
    run.allUsed = random.exhausted();
    return run;
}

ProblemCounts sampleType(int type, long long draws, std::uint64_t seed, long long budgetPerProblem)
{
    SeededRandom seeded(seed);
    BudgetedRandom random(seeded, budgetPerProblem);
    CollectingReporter reporter;
    RuleContext ctx{random, tables(), reporter};
    ProblemCounts counts;
    for (long long i = 0; i < draws; ++i) {
        random.reset(budgetPerProblem);
        const DivisionProblem p = runRule(type, ctx);
        ++counts[{p.dividend, p.divisor}];
    }
    return counts;
}

bool shareMatches(long long hits, long long total, double p, double sigmas)
{
    if (total <= 0)
        return false;
    const double expected = p * static_cast<double>(total);
    const double sd = std::sqrt(static_cast<double>(total) * p * (1.0 - p));
    return std::abs(static_cast<double>(hits) - expected) <= sigmas * sd + 1e-9;
}

}  // namespace pelkano::test

#include <QtTest>

namespace pelkano::test {

void addScriptedColumns()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("script");
    QTest::addColumn<QList<int>>("asked");
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
}

void verifyScriptedRow()
{
    QFETCH(int, type);
    QFETCH(QList<int>, script);
    QFETCH(QList<int>, asked);
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    ScriptedRun run;
    try {
        run = runScripted(type, std::vector<int>(script.begin(), script.end()));
    } catch (const RandomScriptError& e) {
        QFAIL(e.what());  // the rule asked for more draws, or another bound, than scripted
    }
    QCOMPARE(QList<int>(run.asked.begin(), run.asked.end()), asked);
    QVERIFY2(run.allUsed, "the rule stopped before the script ran out");
    QCOMPARE(run.problem.dividend, dividend);
    QCOMPARE(run.problem.divisor, divisor);
}

}  // namespace pelkano::test
