// Division types 1 to 26: the order of draws and the kind of every loop (scripted source), the
// set and the distribution of the problems each type gives (seeded samples), and the shape of
// the written division of every sampled problem.
#include "LongDivision.h"
#include "TypeSampling.h"

#include <QtTest>

#include <map>
#include <set>

using namespace pelkano;
using test::ProblemCounts;

namespace {

// Enough draws to meet every problem of a type many times over (the rarest of type 12 comes
// about 22 times in 40,000; the rarest of type 24, 1/11,664, about 17 times in 200,000) and to
// tell the divisor shares of the right loop from those of the wrong kind of loop.
long long sampleSize(int type)
{
    return type == 24 ? 200000 : 40000;
}

// One seeded sample per type, shared by every test of this executable. A rule that overruns its
// draw budget (a loop that cannot end for some divisor) leaves an empty sample and a message.
struct Sample {
    ProblemCounts counts;
    QString error;
};

const Sample& sampleOf(int type)
{
    static std::map<int, Sample> cache;
    auto it = cache.find(type);
    if (it == cache.end()) {
        Sample s;
        try {
            s.counts = test::sampleType(type, sampleSize(type), 9000 + static_cast<std::uint64_t>(type), 100000);
        } catch (const RandomScriptError& e) {
            s.error = QString("type %1: %2").arg(type).arg(e.what());
        }
        it = cache.emplace(type, std::move(s)).first;
    }
    return it->second;
}

std::set<std::pair<int, int>> support(const ProblemCounts& counts)
{
    std::set<std::pair<int, int>> s;
    for (const auto& [problem, count] : counts)
        s.insert(problem);
    return s;
}

int tensDigit(int n)
{
    return n / 10 % 10;
}

// The third step of a three-digit problem brings the ones digit down onto the second remainder.
bool oneDigitThirdProduct(int dividend, int divisor)
{
    const LongDivision w = LongDivision::of(dividend, divisor);
    return w.steps.size() == 3 && w.steps[2].product < 10;
}

}  // namespace

class TestTypes01to26 : public QObject {
    Q_OBJECT
private slots:
    // ---- order of draws and kind of loop ----

    void scriptedDraws_data()
    {
        test::addScriptedColumns();

        // clang-format off
        QTest::addRow("1: n redrawn below the divisor") << 1 << QList<int>{4, 1, 5} << QList<int>{9, 8, 8} << 7 << 5;
        QTest::addRow("1: divisor 9 waits for n = 9") << 1 << QList<int>{8, 6, 7} << QList<int>{9, 8, 8} << 9 << 9;
        QTest::addRow("2: n redrawn until below d") << 2 << QList<int>{2, 5, 3, 2} << QList<int>{8, 8, 8, 8} << 3 << 4;
        QTest::addRow("3: divisor then quotient") << 3 << QList<int>{6, 8} << QList<int>{9, 9} << 63 << 7;
        QTest::addRow("3: one-digit dividend") << 3 << QList<int>{0, 4} << QList<int>{9, 9} << 5 << 1;
        QTest::addRow("4: remainder from R(d - 1)") << 4 << QList<int>{5, 2, 5} << QList<int>{8, 9, 6} << 27 << 7;
        QTest::addRow("4: divisor 2 asks R(1)") << 4 << QList<int>{0, 8, 0} << QList<int>{8, 9, 1} << 19 << 2;
        // t redrawn alone, u redrawn alone, then an exact N starts again from the divisor
        QTest::addRow("5: exact N starts again") << 5 << QList<int>{1, 2, 0, 0, 2, 0, 0, 5}
                                                   << QList<int>{7, 6, 6, 10, 10, 7, 7, 10} << 35 << 2;
        QTest::addRow("6: inexact N starts again") << 6 << QList<int>{0, 0, 5, 1, 0, 0, 2}
                                                     << QList<int>{7, 7, 10, 7, 6, 10, 10} << 42 << 3;
        // u is drawn once: an exact N, then a two-digit product, each start again
        QTest::addRow("7: every miss starts again") << 7 << QList<int>{0, 0, 0, 1, 0, 5, 1, 2, 0, 1}
                                                      << QList<int>{7, 7, 10, 7, 6, 10, 7, 6, 6, 10} << 41 << 3;
        QTest::addRow("8: divisor 9 draws R(0)") << 8 << QList<int>{8, 0, 0, 2, 1, 3, 4}
                                                   << QList<int>{9, 0, 0, 9, 6, 6, 6} << 67 << 3;
        QTest::addRow("8: divisor 1 starts again") << 8 << QList<int>{0, 4, 2, 1, 0, 1} << QList<int>{9, 8, 8, 9, 7, 7} << 23 << 2;
        QTest::addRow("9: divisor 9 draws R(0) twice") << 9 << QList<int>{8, 0, 0} << QList<int>{9, 0, 0} << 99 << 9;
        QTest::addRow("9: u redrawn until a multiple") << 9 << QList<int>{2, 0, 5, 1, 3} << QList<int>{9, 6, 6, 6, 6} << 36 << 3;
        QTest::addRow("10: divisor 9 draws R(0)") << 10 << QList<int>{7, 0, 7} << QList<int>{8, 0, 8} << 98 << 9;
        QTest::addRow("10: t redrawn until a multiple") << 10 << QList<int>{2, 1, 4, 2} << QList<int>{8, 5, 5, 3} << 83 << 4;
        QTest::addRow("11: divisor 9 draws R(0)") << 11 << QList<int>{7, 0} << QList<int>{8, 0} << 90 << 9;
        QTest::addRow("11: t stops at 8") << 11 << QList<int>{1, 5, 3} << QList<int>{8, 6, 6} << 60 << 3;
        QTest::addRow("12: h, t and u each redrawn alone") << 12 << QList<int>{1, 2, 1, 0, 2, 0, 4}
                                                             << QList<int>{7, 6, 6, 9, 9, 9, 9} << 535 << 3;
        QTest::addRow("13: u redrawn until exact") << 13 << QList<int>{1, 1, 2, 4, 0} << QList<int>{7, 6, 9, 9, 9} << 531 << 3;
        // u from R(8) once; a two-digit third product starts again, t is still redrawn alone
        QTest::addRow("14: third product miss starts again") << 14 << QList<int>{1, 1, 2, 0, 2, 0, 5, 2, 1}
                                                               << QList<int>{7, 6, 9, 8, 7, 5, 9, 9, 8} << 531 << 4;
        // t once (a miss starts again); u redrawn from R(8) while r2 stays
        QTest::addRow("15: t starts again, u redrawn") << 15 << QList<int>{1, 1, 2, 1, 0, 0, 1, 3}
                                                         << QList<int>{7, 6, 9, 7, 6, 9, 8, 8} << 413 << 3;
        QTest::addRow("16: t starts again, u redrawn") << 16 << QList<int>{4, 0, 8, 1, 0, 0, 0, 1}
                                                         << QList<int>{7, 3, 9, 7, 6, 9, 8, 8} << 411 << 3;
        QTest::addRow("17: 701") << 17 << QList<int>{1, 1} << QList<int>{2, 2} << 701 << 3;
        QTest::addRow("17: 400") << 17 << QList<int>{0, 0} << QList<int>{2, 2} << 400 << 3;
        QTest::addRow("18: t until exact, u larger, no multiple") << 18 << QList<int>{4, 2, 5, 6, 3, 6, 8}
                                                                    << QList<int>{7, 3, 10, 10, 10, 10, 10} << 968 << 6;
        QTest::addRow("19: u a multiple from d up") << 19 << QList<int>{4, 2, 6, 7, 0, 6} << QList<int>{7, 3, 10, 10, 10, 10} << 966 << 6;
        QTest::addRow("20: h, t, u each redrawn alone") << 20 << QList<int>{1, 1, 3, 0, 4, 2, 0}
                                                          << QList<int>{7, 7, 7, 7, 7, 10, 10} << 670 << 3;
        QTest::addRow("21: u redrawn until exact") << 21 << QList<int>{1, 3, 4, 0, 5} << QList<int>{7, 7, 7, 10, 10} << 675 << 3;
        QTest::addRow("22: third product misses start again") << 22 << QList<int>{1, 3, 4, 5, 0, 0, 1, 1, 1, 3, 4, 0}
                                                                << QList<int>{7, 7, 7, 10, 7, 8, 8, 10, 7, 7, 7, 10} << 670 << 3;
        QTest::addRow("23: coin 1, divisor 2 to 4") << 23 << QList<int>{1, 2, 1, 4, 0, 8, 2, 9}
                                                      << QList<int>{2, 3, 6, 6, 6, 10, 10, 10} << 849 << 4;
        QTest::addRow("23: coin 0, divisor 2 to 8") << 23 << QList<int>{0, 6, 1, 0, 0, 9} << QList<int>{2, 7, 2, 2, 2, 10} << 889 << 8;
        QTest::addRow("24: coin 0, divisor 1") << 24 << QList<int>{0, 0, 4, 6, 0, 3} << QList<int>{2, 8, 9, 9, 10, 10} << 573 << 1;
        QTest::addRow("24: coin 1, t redrawn") << 24 << QList<int>{1, 1, 6, 1, 3, 9} << QList<int>{2, 3, 7, 7, 7, 10} << 969 << 3;
        QTest::addRow("25: t until exact, u below d") << 25 << QList<int>{3, 3, 0, 4, 5, 2} << QList<int>{7, 4, 9, 9, 9, 9} << 953 << 5;
        QTest::addRow("26: no draw for the ones digit") << 26 << QList<int>{3, 3, 4} << QList<int>{7, 4, 9} << 950 << 5;
        // clang-format on
    }
    void scriptedDraws() { test::verifyScriptedRow(); }

    // ---- the set of problems ----

    void problemSets_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("problems");
        QTest::addColumn<QList<int>>("divisors");
        const QList<int> oneToNine{1, 2, 3, 4, 5, 6, 7, 8, 9};
        const QList<int> twoToNine{2, 3, 4, 5, 6, 7, 8, 9};
        const QList<int> twoToEight{2, 3, 4, 5, 6, 7, 8};
        const QList<int> noTwoNoFive{3, 4, 6, 7, 8};
        const std::vector<std::tuple<int, int, QList<int>>> rows{
            {1, 44, oneToNine},     {2, 36, twoToNine},     {3, 81, oneToNine},     {4, 324, twoToNine},
            {5, 142, twoToEight},   {6, 58, twoToEight},    {7, 20, noTwoNoFive},   {8, 32, {2, 3, 4, 5, 6, 7}},
            {9, 93, oneToNine},     {10, 44, twoToNine},    {11, 13, twoToNine},    {12, 913, twoToEight},
            {13, 280, twoToEight},  {14, 70, noTwoNoFive},  {15, 85, noTwoNoFive},  {16, 19, noTwoNoFive},
            {17, 4, {3}},           {18, 218, twoToEight},  {19, 151, twoToEight},  {20, 309, twoToEight},
            {21, 151, twoToEight},  {22, 32, noTwoNoFive},  {23, 126, twoToEight},  {24, 832, {1, 2, 3, 4, 5, 6, 7, 8}},
            {25, 125, twoToEight},  {26, 48, twoToEight},
        };
        for (const auto& [type, problems, divisors] : rows)
            QTest::addRow("type %d", type) << type << problems << divisors;
    }
    void problemSets()
    {
        QFETCH(int, type);
        QFETCH(int, problems);
        QFETCH(QList<int>, divisors);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        std::set<int> seen;
        for (const auto& [problem, count] : counts)
            seen.insert(problem.second);
        QCOMPARE(static_cast<int>(counts.size()), problems);
        QCOMPARE(QList<int>(seen.begin(), seen.end()), divisors);
    }

    // Where a rule starts again the divisor is no longer uniform; where it only redraws a digit it
    // is. A loop of the wrong kind moves these shares by many standard deviations.
    void divisorShares_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("divisors");
        QTest::addColumn<QList<int>>("parts");
        auto uniform = [](int type, int from, int to) {
            QList<int> divisors, parts;
            for (int d = from; d <= to; ++d) {
                divisors << d;
                parts << 1;
            }
            QTest::addRow("type %d, uniform", type) << type << divisors << parts;
        };
        for (int type : {1, 3, 9})
            uniform(type, 1, 9);
        for (int type : {2, 4, 10, 11})
            uniform(type, 2, 9);
        for (int type : {12, 13, 18, 19, 20, 21, 25, 26})
            uniform(type, 2, 8);
        const QList<int> twoToEight{2, 3, 4, 5, 6, 7, 8};
        const QList<int> noTwoNoFive{3, 4, 6, 7, 8};
        QTest::addRow("type 5") << 5 << twoToEight << QList<int>{120, 159, 180, 192, 196, 196, 180};
        QTest::addRow("type 6") << 6 << twoToEight << QList<int>{120, 81, 60, 48, 44, 44, 60};
        QTest::addRow("type 7") << 7 << noTwoNoFive << QList<int>{3, 3, 2, 6, 18};
        QTest::addRow("type 8") << 8 << QList<int>{2, 3, 4, 5, 6, 7} << QList<int>{180, 280, 252, 315, 280, 210};
        QTest::addRow("type 14") << 14 << noTwoNoFive << QList<int>{1386, 870, 595, 1224, 2520};
        QTest::addRow("type 15") << 15 << noTwoNoFive << QList<int>{3, 3, 2, 9, 30};
        QTest::addRow("type 16") << 16 << noTwoNoFive << QList<int>{3, 3, 2, 9, 30};
        QTest::addRow("type 22") << 22 << noTwoNoFive << QList<int>{3, 3, 2, 6, 18};
        QTest::addRow("type 23") << 23 << twoToEight << QList<int>{10, 10, 10, 3, 3, 3, 3};
        QTest::addRow("type 24") << 24 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8} << QList<int>{3, 11, 11, 11, 3, 3, 3, 3};
    }
    void divisorShares()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, divisors);
        QFETCH(QList<int>, parts);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        std::map<int, long long> byDivisor;
        long long total = 0;
        for (const auto& [problem, count] : counts) {
            byDivisor[problem.second] += count;
            total += count;
        }
        long long whole = 0;
        for (int p : parts)
            whole += p;
        for (qsizetype i = 0; i < divisors.size(); ++i) {
            const double p = static_cast<double>(parts[i]) / static_cast<double>(whole);
            const long long hits = byDivisor[divisors[i]];
            QVERIFY2(test::shareMatches(hits, total, p),
                     qPrintable(QString("divisor %1: %2 of %3, expected share %4").arg(divisors[i]).arg(hits).arg(total).arg(p)));
        }
    }

    void featureShares_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("feature");
        QTest::addColumn<int>("numerator");
        QTest::addColumn<int>("denominator");
        QTest::addRow("type 1, remainder 0") << 1 << "remainder 0" << 1909 << 3780;
        QTest::addRow("type 3, one-digit dividend") << 3 << "one-digit dividend" << 23 << 81;
        QTest::addRow("type 4, one-digit dividend") << 4 << "one-digit dividend" << 247 << 1890;
        QTest::addRow("type 20, one-digit third product") << 20 << "one-digit third product" << 625 << 3528;
        QTest::addRow("type 17, 400") << 17 << "dividend 400" << 1 << 4;
        QTest::addRow("type 17, 401") << 17 << "dividend 401" << 1 << 4;
        QTest::addRow("type 17, 700") << 17 << "dividend 700" << 1 << 4;
        QTest::addRow("type 17, 701") << 17 << "dividend 701" << 1 << 4;
    }
    void featureShares()
    {
        QFETCH(int, type);
        QFETCH(QString, feature);
        QFETCH(int, numerator);
        QFETCH(int, denominator);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        auto has = [&](int dividend, int divisor) {
            if (feature == "remainder 0")
                return dividend % divisor == 0;
            if (feature == "one-digit dividend")
                return dividend < 10;
            if (feature == "one-digit third product")
                return oneDigitThirdProduct(dividend, divisor);
            if (feature.startsWith("dividend "))
                return dividend == feature.mid(9).toInt();
            qFatal("unknown feature");
        };
        long long hits = 0, total = 0;
        for (const auto& [problem, count] : counts) {
            total += count;
            if (has(problem.first, problem.second))
                hits += count;
        }
        const double p = static_cast<double>(numerator) / denominator;
        QVERIFY2(test::shareMatches(hits, total, p),
                 qPrintable(QString("%1 of %2, expected share %3").arg(hits).arg(total).arg(p)));
    }

    // The dividends that come with one divisor, in full.
    void dividendsForDivisor_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QList<int>>("dividends");
        QList<int> digitsOneToEight, noZeroDigit;
        for (int n = 11; n <= 88; ++n)
            if (n % 10 != 0 && n % 10 != 9)
                digitsOneToEight << n;
        for (int n = 111; n <= 999; ++n)
            if (n % 10 != 0 && tensDigit(n) != 0)
                noZeroDigit << n;
        QTest::addRow("type 9, divisor 3") << 9 << 3 << QList<int>{33, 36, 63, 66};
        QTest::addRow("type 9, divisor 1") << 9 << 1 << digitsOneToEight;
        QTest::addRow("type 9, divisor 9") << 9 << 9 << QList<int>{99};
        QTest::addRow("type 10, divisor 9") << 10 << 9 << QList<int>{91, 92, 93, 94, 95, 96, 97, 98};
        QTest::addRow("type 11, divisor 2") << 11 << 2 << QList<int>{20, 40, 60, 80};
        QTest::addRow("type 11, divisor 3") << 11 << 3 << QList<int>{30, 60};
        QTest::addRow("type 11, divisor 4") << 11 << 4 << QList<int>{40, 80};
        for (int d = 5; d <= 9; ++d)
            QTest::addRow("type 11, divisor %d", d) << 11 << d << QList<int>{10 * d};
        QTest::addRow("type 17, divisor 3") << 17 << 3 << QList<int>{400, 401, 700, 701};
        QTest::addRow("type 24, divisor 1") << 24 << 1 << noZeroDigit;
        QTest::addRow("type 24, divisor 8") << 24 << 8 << QList<int>{888};
    }
    void dividendsForDivisor()
    {
        QFETCH(int, type);
        QFETCH(int, divisor);
        QFETCH(QList<int>, dividends);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        QList<int> got;
        for (const auto& [problem, count] : counts)
            if (problem.second == divisor)
                got << problem.first;
        QCOMPARE(got, dividends);
    }

    // Digits that a rule never puts in a place (unless the divisor is `except`).
    void digitsNeverUsed_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QList<int>>("digits");
        QTest::addColumn<int>("except");
        for (int type : {8, 9, 10, 11})
            QTest::addRow("type %d, tens", type) << type << "tens" << QList<int>{9} << 9;
        QTest::addRow("type 9, ones") << 9 << "ones" << QList<int>{9} << 9;
        for (int type : {12, 13}) {
            QTest::addRow("type %d, tens", type) << type << "tens" << QList<int>{0} << 0;
            QTest::addRow("type %d, ones", type) << type << "ones" << QList<int>{0} << 0;
        }
        for (int type : {15, 16}) {
            QTest::addRow("type %d, tens", type) << type << "tens" << QList<int>{0} << 0;
            QTest::addRow("type %d, ones", type) << type << "ones" << QList<int>{8, 9} << 0;
        }
        for (int type : {25, 26})
            QTest::addRow("type %d, tens", type) << type << "tens" << QList<int>{0} << 0;
    }
    void digitsNeverUsed()
    {
        QFETCH(int, type);
        QFETCH(QString, place);
        QFETCH(QList<int>, digits);
        QFETCH(int, except);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        for (const auto& [problem, count] : counts) {
            const auto [dividend, divisor] = problem;
            if (divisor == except)
                continue;
            const int digit = place == "tens" ? tensDigit(dividend) : dividend % 10;
            QVERIFY2(!digits.contains(digit), qPrintable(QString("%1 / %2").arg(dividend).arg(divisor)));
        }
    }

    // Types 1 and 3 share the 22 exact one-digit problems, types 1 and 4 the 22 others, and every
    // problem of type 22 is one of type 20 with a one-digit third product. No other overlap.
    void sharedProblems()
    {
        std::map<std::pair<int, int>, int> overlaps;
        std::vector<std::set<std::pair<int, int>>> sets(27);
        for (int t = 1; t <= 26; ++t) {
            const Sample& sample = sampleOf(t);
            QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
            sets[static_cast<std::size_t>(t)] = support(sample.counts);
        }
        for (int a = 1; a <= 26; ++a)
            for (int b = a + 1; b <= 26; ++b) {
                int common = 0;
                for (const auto& p : sets[static_cast<std::size_t>(a)])
                    common += static_cast<int>(sets[static_cast<std::size_t>(b)].count(p));
                if (common)
                    overlaps[{a, b}] = common;
            }
        const std::map<std::pair<int, int>, int> expected{{{1, 3}, 22}, {{1, 4}, 22}, {{20, 22}, 32}};
        QCOMPARE(overlaps, expected);

        std::set<std::pair<int, int>> oneDigitThird;
        for (const auto& [dividend, divisor] : sets[20])
            if (oneDigitThirdProduct(dividend, divisor))
                oneDigitThird.insert({dividend, divisor});
        QCOMPARE(oneDigitThird, sets[22]);
    }

    // ---- the shape of the written division ----

    // One token per step: R leaves a remainder, E is exact, * either; then 0 (quotient digit 0),
    // 1 (a one-digit product, quotient digit not 0), 2 (a two-digit product) or * (not 0, either).
    void shapes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("fewestDigits");
        QTest::addColumn<int>("mostDigits");
        const std::vector<std::tuple<int, const char*, int, int>> rows{
            {1, "*1", 1, 1},          {2, "R0", 1, 1},          {3, "E*", 1, 2},          {4, "R*", 1, 2},
            {5, "R1 R2", 2, 2},       {6, "R1 E2", 2, 2},       {7, "R1 R1", 2, 2},       {8, "E1 R1", 2, 2},
            {9, "E1 E1", 2, 2},       {10, "E1 R0", 2, 2},      {11, "E1 E0", 2, 2},      {12, "R1 R2 R2", 3, 3},
            {13, "R1 R2 E2", 3, 3},   {14, "R1 R2 R1", 3, 3},   {15, "R1 R1 R2", 3, 3},   {16, "R1 R1 E2", 3, 3},
            {17, "R1 R1 R1", 3, 3},   {18, "R1 E2 R1", 3, 3},   {19, "R1 E2 E1", 3, 3},   {20, "E1 R1 R*", 3, 3},
            {21, "E1 R1 E*", 3, 3},   {22, "E1 R1 R1", 3, 3},   {23, "E1 E1 R1", 3, 3},   {24, "E1 E1 E1", 3, 3},
            {25, "R1 E2 R0", 3, 3},   {26, "R1 E2 E0", 3, 3},
        };
        for (const auto& [type, steps, fewest, most] : rows)
            QTest::addRow("type %d", type) << type << QString(steps) << fewest << most;
    }
    void shapes()
    {
        QFETCH(int, type);
        QFETCH(QString, steps);
        QFETCH(int, fewestDigits);
        QFETCH(int, mostDigits);
        const Sample& sample = sampleOf(type);
        QVERIFY2(sample.error.isEmpty(), qPrintable(sample.error));
        const ProblemCounts& counts = sample.counts;
        const QStringList tokens = steps.split(' ');
        for (const auto& [problem, count] : counts) {
            const auto [dividend, divisor] = problem;
            const QString where = QString("%1 / %2").arg(dividend).arg(divisor);
            QVERIFY2(divisor >= 1 && divisor <= 9, qPrintable(where));
            QVERIFY2(digitCount(dividend) >= fewestDigits && digitCount(dividend) <= mostDigits, qPrintable(where));
            const LongDivision w = LongDivision::of(dividend, divisor);
            QVERIFY2(w.steps.size() == static_cast<std::size_t>(tokens.size()), qPrintable(where));
            for (qsizetype i = 0; i < tokens.size(); ++i) {
                const DivisionStep& s = w.steps[static_cast<std::size_t>(i)];
                const QChar rest = tokens[i][0];
                const QChar product = tokens[i][1];
                const QString at = where + QString(", step %1").arg(i + 1);
                if (rest == 'R')
                    QVERIFY2(s.remainder != 0, qPrintable(at + " should leave a remainder"));
                if (rest == 'E')
                    QVERIFY2(s.remainder == 0, qPrintable(at + " should be exact"));
                if (product == '0')
                    QVERIFY2(s.quotientDigit == 0, qPrintable(at + " should have quotient digit 0"));
                else
                    QVERIFY2(s.quotientDigit != 0, qPrintable(at + " should not have quotient digit 0"));
                if (product == '1')
                    QVERIFY2(s.product < 10, qPrintable(at + " should have a one-digit product"));
                if (product == '2')
                    QVERIFY2(s.product >= 10, qPrintable(at + " should have a two-digit product"));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestTypes01to26)
#include "tst_types01to26.moc"
