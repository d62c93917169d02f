// Division types 54 to 78: the order of the draws and which loop redraws what (scripted source),
// the sets of problems each type can give (seeded samples, or every accepted value where a
// sample cannot reach them all), the shares that depend on the kind of loop, and the written
// working of the long types.
#include "LongDivision.h"
#include "Sheet.h"
#include "TypeSampling.h"

#include <QtTest>

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

using namespace pelkano;

namespace {

using ProblemSet = std::set<std::pair<int, int>>;  // (dividend, divisor)

// The values of the table segment that a table type draws from.
ProblemSet segmentValues(int segment)
{
    const NumberTables& t = test::tables();
    SilentReporter quiet;
    int first = 0;
    for (int i = 0; i < segment; ++i)
        first += t.counts5053[static_cast<std::size_t>(i)];
    ProblemSet set;
    for (int k = 0; k < t.counts5053[static_cast<std::size_t>(segment)]; ++k) {
        const std::string& line = t.d5053[static_cast<std::size_t>(first + k)];
        const int d = CommaField(line, 1, quiet);
        const int count = CommaField(line, 2, quiet);
        for (int m = 1; m <= count; ++m)
            set.insert({CommaField(line, m + 2, quiet), d});
    }
    return set;
}

// Every problem a type can hand back, by walking each value its steps accept. Used where the
// set is too large for a quick sample to reach every member.
ProblemSet acceptedProblems(int type)
{
    ProblemSet set;
    switch (type) {
    case 54:
    case 55:
        return segmentValues(type - 54);
    case 62:
        for (int d = 11; d <= 49; ++d)
            for (int L = d; L <= 99; ++L)
                if (L % d < 10 && L % d >= L / 10)
                    for (int x = 0; x < 10; ++x)
                        if (10 * (L % d) + x >= d)
                            set.insert({10 * L + x, d});
        break;
    case 63:
        for (int d = 11; d <= 79; ++d)
            for (int L = d + 20; L <= 99; ++L)
                if (L % d >= 10)
                    for (int x = 0; x < 10; ++x)
                        set.insert({10 * L + x, d});
        break;
    case 66:
    case 67:
        for (int d = 11; d <= 79; ++d)
            for (int L = d + 20; L <= 99; ++L) {
                if (L % d < 20)
                    continue;
                for (int x = 0; x < 10; ++x) {
                    const int r2 = (10 * (L % d) + x) % d;
                    for (int y = 0; y < 10; ++y) {
                        const bool ok = type == 66 ? r2 >= 10 : (r2 >= 1 && r2 <= 9 && 10 * r2 + y < d);
                        if (ok)
                            set.insert({100 * L + 10 * x + y, d});
                    }
                }
            }
        break;
    case 68:
        for (int d = 11; d <= 98; ++d)
            for (int L = d + 1; L <= 99; ++L) {
                const int r1 = L % d;
                if (r1 == 0 || r1 > d / 10)
                    continue;
                for (int x = 0; x < 10 && 10 * r1 + x < d; ++x)
                    for (int y = 1; y <= 9; ++y)
                        if ((100 * r1 + 10 * x + y) / d * d >= 100)
                            set.insert({100 * L + 10 * x + y, d});
            }
        break;
    case 69:
    case 70:
        for (int d = 11; d <= 99; ++d)
            for (int L = d; L <= 99; L += d)
                for (int x = type == 69 ? 1 : 0; x <= 9; ++x)
                    for (int y = type == 69 ? 1 : 0; y <= 9; ++y)
                        if (type == 69 ? 10 * x + y > d : 10 * x + y < d)
                            set.insert({100 * L + 10 * x + y, d});
        break;
    case 72:  // kind 1 accepts every pair that kind 0 accepts
        for (int d = 11; d <= 99; ++d)
            for (int L = 100; L <= 999; ++L)
                if (L / d < 10 && L % d != 0)
                    for (int x = 0; 10 * (L % d) + x < d && x < 10; ++x)
                        set.insert({10 * L + x, d});
        break;
    default:
        break;
    }
    return set;
}

ProblemSet keysOf(const test::ProblemCounts& counts)
{
    ProblemSet set;
    for (const auto& [p, n] : counts)
        set.insert(p);
    return set;
}

// What is wrong with the written working of a problem of one of the long types; empty if it
// has the type's shape. Digits of the dividend are counted from 0 at the left.
QString shapeFault(int type, const LongDivision& w)
{
    const auto& s = w.steps;
    const int d = w.divisor;
    auto digits = [](int v) { return digitCount(v); };
    auto noZeroDigit = [&] {
        return std::all_of(s.begin(), s.end(), [](const DivisionStep& st) { return st.quotientDigit != 0; });
    };
    switch (type) {
    case 71:
        if (digits(w.dividend) != 4 || s.size() != 2 || s[0].lastDigit != 2 || !noZeroDigit())
            return "not two non-zero quotient digits over the last two of four";
        if (w.dividend / 1000 >= d / 10 || s[0].remainder < 21)
            return "first digit not below the divisor's tens digit, or first remainder below 21";
        break;
    case 73:
        if (digits(w.dividend) != 5 || s.size() != 4 || s[0].lastDigit != 1 || !noZeroDigit())
            return "not four non-zero quotient digits";
        if (digits(s[0].remainder) != 2)
            return "first remainder not two digits";
        for (std::size_t i = 1; i < 4; ++i)
            if (digits(s[i].partialDividend) != 3 || digits(s[i].product) != 3)
                return QString("partial dividend or product %1 not three digits").arg(i + 1);
        if (digits(s[1].remainder) != 2 || digits(s[2].remainder) != 2)
            return "second or third remainder not two digits";
        break;
    case 74:
        if (digits(w.dividend) != 3 || s.size() != 1 || w.quotient < 1 || w.remainder > 99)
            return "not a one-digit quotient with a remainder of at most two digits";
        break;
    case 75:
        if (digits(w.dividend) != 4 || s.size() != 1 || s[0].lastDigit != 3 || digits(s[0].product) != 4 ||
            w.quotient < 1)
            return "not one quotient digit over the units digit with a four-digit product";
        break;
    case 76:
        if (digits(w.dividend) != 4 || s.size() != 2 || s[0].lastDigit != 2 || !noZeroDigit())
            return "not two non-zero quotient digits over the last two of four";
        if (s[0].remainder < 10)
            return "first remainder below 10";
        break;
    case 77:
        if (digits(w.dividend) != 5 || s.size() != 2 || s[0].lastDigit != 3)
            return "not two quotient digits over the last two of five";
        if (digits(s[0].remainder) != 3 || digits(s[0].product) != 4 || digits(s[1].product) != 4)
            return "first remainder not three digits, or a product not four";
        break;
    case 78:
        if (digits(w.dividend) != 5 || s.size() != 3 || s[0].lastDigit != 2)
            return "not three quotient digits over the last three of five";
        if (digits(s[0].remainder) != 2 || s[1].quotientDigit != 0 || s[0].quotientDigit == 0 ||
            digits(s[2].product) != 4)
            return "first remainder not two digits, tens digit not 0, or third product not four digits";
        break;
    default:
        return "no shape for this type";
    }
    return {};
}

}  // namespace

class TestTypes54to78 : public QObject {
    Q_OBJECT
private slots:
    // One row per path through a rule: the scripted values, the n of every R(n) asked for, and
    // the problem handed back. A value drawn again alone asks for the same n again; starting
    // again asks for the first n of the step it starts from.
    void drawOrder_data()
    {
        test::addScriptedColumns();
        using L = QList<int>;
        auto row = [](const char* name, int type, L script, L asked, int dividend, int divisor) {
            QTest::addRow("%d: %s", type, name) << type << script << asked << dividend << divisor;
        };
        // Line first, then a value of that line.
        row("first line, first value", 54, {0, 0}, {74, 99}, 101, 20);
        row("last line, last value", 54, {73, 402}, {74, 403}, 899, 99);
        row("first line of its segment", 55, {0, 0}, {72, 34}, 101, 21);
        row("last line of its segment", 55, {71, 395}, {72, 396}, 890, 99);
        row("last line, two values", 56, {22, 1}, {23, 2}, 631, 79);
        row("divisor 26", 57, {0, 1}, {5, 2}, 181, 26);
        row("last line of the table", 57, {4, 2}, {5, 3}, 272, 39);

        row("smallest", 58, {0, 0}, {89, 10}, 100, 11);
        row("largest", 58, {88, 97}, {89, 98}, 989, 99);
        row("hundreds digit, then remainder 0, start again", 59, {0, 0, 2, 0, 1, 4}, {89, 11, 89, 13, 89, 12}, 100, 12);
        row("hundreds digit, start again", 60, {0, 0, 2, 9}, {89, 11, 89, 13}, 100, 13);
        row("divisor 29 kept only by a new run", 61, {18, 0, 18, 28}, {89, 29, 89, 29}, 202, 29);

        row("L twice drawn again, x once", 62, {0, 0, 87, 1, 0, 1}, {39, 89, 89, 89, 10, 10}, 121, 11);
        row("largest", 62, {4, 84, 9}, {39, 85, 10}, 999, 15);
        row("L drawn again", 63, {0, 0, 1, 0}, {69, 69, 69, 10}, 320, 11);
        row("largest", 63, {6, 62, 9}, {69, 63, 10}, 999, 17);
        row("start again at step 2, divisor kept", 64, {11, 0, 6, 2, 4, 4}, {39, 59, 59, 10, 59, 10}, 444, 22);
        row("smallest", 64, {0, 4, 0}, {39, 70, 10}, 330, 11);
        row("smallest", 65, {0, 0, 0}, {39, 8, 10}, 220, 11);
        row("largest", 65, {0, 7, 9}, {39, 8, 10}, 999, 11);
        row("divisor 49, twice the divisor", 65, {38, 0, 5}, {39, 1, 10}, 985, 49);

        row("r1 and r2 too small, start again at step 1", 66, {0, 0, 14, 0, 0, 10, 0, 0, 0},
            {69, 69, 69, 55, 10, 69, 59, 10, 10}, 4100, 21);
        row("largest", 66, {14, 54, 9, 9}, {69, 55, 10, 10}, 9999, 25);
        row("r2 0, r2 two digits, y too large: each starts again", 67, {14, 0, 0, 10, 0, 0, 11, 0, 0, 2, 11, 0, 0, 0},
            {69, 55, 10, 69, 59, 10, 69, 58, 10, 10, 69, 58, 10, 10}, 4200, 22);
        row("d 99 drawn again, then four ways to start again", 68,
            {88, 1, 11, 1, 1, 1, 0, 2, 1, 0, 0, 0, 1, 0, 0, 7},
            {89, 89, 87, 89, 87, 89, 87, 10, 89, 87, 10, 9, 89, 87, 10, 9}, 1308, 12);
        row("11 not above d, start again", 69, {0, 0, 0, 0, 0, 0, 0, 1}, {89, 9, 9, 9, 89, 9, 9, 9}, 1112, 11);
        row("largest", 69, {0, 8, 8, 8}, {89, 9, 9, 9}, 9999, 11);
        row("divisor 50, one multiple", 69, {39, 0, 4, 0}, {89, 1, 9, 9}, 5051, 50);
        row("kind 0 fails, kind 1 drawn anew", 70, {0, 0, 0, 1, 1, 1, 0, 0, 0, 0}, {4, 89, 9, 10, 10, 4, 39, 9, 10, 10},
            1100, 11);
        row("kind 2", 70, {2, 28, 1, 3, 8}, {4, 29, 2, 10, 10}, 7838, 39);
        row("kind 3", 70, {3, 18, 2, 0, 5}, {4, 19, 3, 10, 10}, 8705, 29);
        row("largest, kind 0", 70, {0, 88, 0, 9, 8}, {4, 89, 1, 10, 10}, 9998, 99);

        row("smallest", 71, {5, 0, 0}, {79, 100, 10}, 1000, 26);
        row("r1 16, then largest", 71, {0, 0, 69, 799, 9}, {79, 100, 79, 800, 10}, 8999, 90);
        row("r1 exactly 20 starts again", 71, {19, 0, 5, 0, 0}, {79, 300, 79, 100, 10}, 1000, 26);

        // The pair is drawn again as a pair; a failed x starts again at step 1 with a new kind.
        row("kind 0 rejects a three-digit product, x fails, kind 1", 72, {0, 9, 1, 0, 0, 1, 1, 9, 1, 0},
            {2, 89, 900, 89, 900, 10, 2, 89, 900, 10}, 1010, 20);
        row("kind 1: quotient 10, remainder 0, accepted", 72, {1, 0, 10, 9, 0, 9, 1, 9},
            {2, 89, 900, 89, 900, 89, 900, 10}, 1019, 20);
        row("largest, kind 1", 72, {1, 88, 800, 8}, {2, 89, 900, 10}, 9008, 99);
        row("same pair rejected by kind 0", 72, {0, 88, 800, 0, 0, 0}, {2, 89, 900, 89, 900, 10}, 1000, 11);

        row("each of the four tests starts again", 73, {1, 0, 1, 10, 0, 1, 10, 9, 0, 1, 10, 9, 8, 0, 1, 10, 9, 8, 8},
            {79, 87, 79, 87, 10, 79, 87, 10, 10, 79, 87, 10, 10, 10, 79, 87, 10, 10, 10}, 23988, 12);
        row("largest", 73, {9, 78, 9, 9, 9}, {79, 79, 10, 10, 10}, 99999, 20);

        // The kind is drawn once; only the pair is drawn again.
        row("kind 1 takes quotient 1", 74, {1, 0, 0}, {2, 400, 899}, 101, 100);
        row("kind 0 refuses quotient 1, kind kept", 74, {0, 0, 0, 0, 99}, {2, 400, 899, 400, 899}, 200, 100);
        row("kind 1: remainder 101 refused", 74, {1, 50, 100, 399, 499}, {2, 400, 849, 400, 500}, 999, 499);
        row("kind 0: remainder 101, then quotient 1 refused", 74, {0, 50, 100, 0, 0, 399, 499},
            {2, 400, 849, 400, 899, 400, 500}, 999, 499);

        row("product too short, quotient too large", 75, {0, 0, 0, 8000, 13, 0}, {888, 9000, 888, 9000, 888, 9000}, 1000,
            125);
        row("largest", 75, {887, 8989}, {888, 9000}, 9989, 999);

        row("r1 9, then second digit 0: each starts again", 76, {0, 8, 100, 9, 0, 0, 9, 0},
            {890, 899, 890, 799, 10, 890, 899, 10}, 1100, 100);
        row("largest", 76, {0, 898, 9}, {890, 899, 10}, 9999, 100);

        row("divisor 100 draws R(0), then every test starts again", 77, {0, 0, 0, 12, 0, 0, 200, 30, 0, 0, 25, 10, 0, 0},
            {900, 0, 10, 900, 12, 10, 900, 200, 10, 10, 900, 25, 10, 10}, 11000, 125);
        row("largest", 77, {899, 898, 9, 9}, {900, 899, 10, 10}, 99899, 999);

        row("each of the five tests starts again", 78, {12, 0, 12, 99, 12, 10, 2, 12, 9, 0, 7, 12, 9, 0, 8},
            {890, 887, 890, 887, 890, 887, 10, 890, 887, 10, 10, 890, 887, 10, 10}, 12208, 112);
        row("largest", 78, {880, 18, 9, 9}, {890, 19, 10, 10}, 99999, 980);
    }
    void drawOrder() { test::verifyScriptedRow(); }

    // The same first draws give different problems when a rule starts again at step 2 (the
    // divisor stays) rather than at step 1: type 64 after L = 40 for d = 22 draws L again.
    void startAgainKeepsDivisorOnlyInType64()
    {
        const test::ScriptedRun run = test::runScripted(64, {11, 0, 4, 4});
        QCOMPARE(run.asked, (std::vector<int>{39, 59, 59, 10}));
        QCOMPARE(run.problem, (DivisionProblem{444, 22}));
        // type 66 starts again at step 1 after a first remainder below 20: the next value is a divisor
        const test::ScriptedRun again = test::runScripted(66, {0, 0, 10, 0, 0, 0});
        QCOMPARE(again.asked, (std::vector<int>{69, 69, 69, 59, 10, 10}));
    }

    // Output sets: the number of distinct problems, the smallest and largest dividend with one of
    // their divisors, and the ranges of divisor, quotient and remainder. Small sets are reached by
    // a seeded sample; larger ones are walked value by value and the sample must stay inside.
    void outputSet_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("walk");  // every accepted value walked instead of reached by sampling
        QTest::addColumn<int>("draws");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("smallest");  // dividend, divisor
        QTest::addColumn<QList<int>>("largest");
        QTest::addColumn<QList<int>>("ranges");  // divisor, quotient, remainder: low and high each
        using L = QList<int>;
        auto row = [](int type, bool walk, int draws, int count, L smallest, L largest, L ranges) {
            QTest::addRow("type %d", type) << type << walk << draws << count << smallest << largest << ranges;
        };
        row(54, true, 20000, 22520, {101, 20}, {899, 90}, {20, 99, 1, 9, 0, 89});
        row(55, true, 20000, 12433, {101, 21}, {890, 99}, {21, 99, 1, 8, 0, 98});
        row(56, false, 60000, 888, {101, 26}, {631, 79}, {23, 79, 3, 7, 0, 78});
        row(57, false, 6000, 79, {140, 29}, {272, 39}, {26, 39, 4, 6, 6, 38});
        row(58, false, 200000, 4806, {100, 11}, {989, 99}, {11, 99, 9, 9, 1, 98});
        row(59, false, 30000, 654, {100, 12}, {800, 89}, {12, 89, 8, 8, 1, 88});
        row(60, false, 8000, 188, {100, 13}, {311, 39}, {13, 39, 7, 7, 1, 38});
        row(61, false, 3000, 71, {100, 15}, {202, 29}, {15, 29, 6, 6, 1, 28});
        row(62, true, 20000, 5730, {121, 11}, {999, 15}, {11, 49, 11, 89, 0, 48});
        row(63, true, 20000, 15610, {320, 11}, {999, 17}, {11, 79, 12, 89, 0, 75});
        row(64, false, 60000, 2023, {330, 11}, {989, 14}, {11, 49, 20, 80, 0, 46});
        row(65, false, 60000, 980, {220, 11}, {999, 11}, {11, 49, 20, 90, 0, 9});
        row(66, true, 20000, 82100, {4100, 21}, {9999, 25}, {21, 79, 125, 399, 0, 78});
        row(67, true, 20000, 7665, {4200, 22}, {9999, 71}, {22, 76, 130, 390, 10, 75});
        row(68, true, 20000, 39304, {1308, 12}, {9999, 48}, {12, 98, 102, 809, 0, 95});
        row(69, true, 20000, 10344, {1112, 11}, {9999, 11}, {11, 98, 101, 909, 0, 49});
        row(70, true, 20000, 7116, {1100, 11}, {9998, 99}, {11, 99, 100, 900, 0, 98});
        row(72, true, 2000, 31265, {1000, 11}, {9008, 99}, {11, 99, 10, 90, 10, 98});
    }
    void outputSet()
    {
        QFETCH(int, type);
        QFETCH(bool, walk);
        QFETCH(int, draws);
        QFETCH(int, count);
        QFETCH(QList<int>, smallest);
        QFETCH(QList<int>, largest);
        QFETCH(QList<int>, ranges);
        const ProblemSet sampled = keysOf(test::sampleType(type, draws, 54 + static_cast<unsigned>(type)));
        const ProblemSet set = walk ? acceptedProblems(type) : sampled;
        if (walk)
            QVERIFY(std::includes(set.begin(), set.end(), sampled.begin(), sampled.end()));
        QCOMPARE(static_cast<int>(set.size()), count);

        QCOMPARE(set.begin()->first, smallest[0]);
        QCOMPARE(set.rbegin()->first, largest[0]);
        QVERIFY(set.count({smallest[0], smallest[1]}));
        QVERIFY(set.count({largest[0], largest[1]}));

        QList<int> lows{1000, 100000, 1000}, highs{0, 0, -1};
        for (const auto& [n, d] : set) {
            const int values[3] = {d, n / d, n % d};
            for (int i = 0; i < 3; ++i) {
                lows[i] = std::min(lows[i], values[i]);
                highs[i] = std::max(highs[i], values[i]);
            }
        }
        QCOMPARE((QList<int>{lows[0], highs[0], lows[1], highs[1], lows[2], highs[2]}), ranges);
    }

    // Divisors a type never keeps, and types that never leave the remainder 0.
    void neverGiven_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("divisors");
        QTest::addColumn<bool>("remainderZero");
        QTest::addRow("58") << 58 << QList<int>{} << false;
        QTest::addRow("59") << 59 << QList<int>{11, 20, 21, 22, 90, 99} << false;
        QTest::addRow("60") << 60 << QList<int>{11, 12, 20, 25, 30, 37} << false;
        QTest::addRow("61") << 61 << QList<int>{11, 14, 20, 28, 39} << false;
        QTest::addRow("67") << 67 << QList<int>{11, 21, 77, 79} << false;
        QTest::addRow("68") << 68 << QList<int>{11, 99} << true;
        QTest::addRow("69") << 69 << QList<int>{99} << true;
        QTest::addRow("72") << 72 << QList<int>{} << false;
    }
    void neverGiven()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, divisors);
        QFETCH(bool, remainderZero);
        const ProblemSet walked = acceptedProblems(type);
        const ProblemSet set = walked.empty() ? keysOf(test::sampleType(type, 30000, 7)) : walked;
        bool zero = false;
        for (const auto& [n, d] : set) {
            QVERIFY2(!divisors.contains(d), qPrintable(QString("%1 / %2").arg(n).arg(d)));
            zero = zero || n % d == 0;
        }
        QCOMPARE(zero, remainderZero);
    }

    // The line is drawn before the value: in type 57 each of the two dividends of divisor 26 has
    // 1/10, each of the 39 dividends of divisor 29 has 1/195.
    void type57LineBeforeValue()
    {
        const long long draws = 40000;
        const test::ProblemCounts counts = test::sampleType(57, draws, 57);
        for (int n : {180, 181})
            QVERIFY2(test::shareMatches(counts.count({n, 26}) ? counts.at({n, 26}) : 0, draws, 1.0 / 10),
                     qPrintable(QString::number(n)));
        long long of29 = 0;
        int dividends29 = 0;
        for (const auto& [p, c] : counts)
            if (p.second == 29) {
                QVERIFY2(test::shareMatches(c, draws, 1.0 / 195), qPrintable(QString::number(p.first)));
                of29 += c;
                ++dividends29;
            }
        QCOMPARE(dividends29, 39);
        QVERIFY(test::shareMatches(of29, draws, 1.0 / 5));
    }

    // Type 74 draws its kind once, so each kind makes half of the problems whatever its pairs'
    // acceptance. Quotient 1 comes only from kind 1: its share is half of kind 1's share.
    void type74KindShares()
    {
        // A pair is a divisor, then a dividend among the 999 - d above it; the redraw keeps the
        // accepted pairs in those proportions.
        double kind1 = 0, kind1Quotient1 = 0;
        for (int d = 100; d <= 499; ++d)
            for (int n = d + 1; n <= 999; ++n)
                if (n % d < 100) {
                    const double weight = 1.0 / (999 - d);
                    kind1 += weight;
                    if (n / d == 1)
                        kind1Quotient1 += weight;
                }
        const double expected = 0.5 * kind1Quotient1 / kind1;
        const long long draws = 20000;
        const test::ProblemCounts counts = test::sampleType(74, draws, 74);
        long long quotient1 = 0;
        for (const auto& [p, c] : counts)
            if (p.first / p.second == 1)
                quotient1 += c;
        QVERIFY2(test::shareMatches(quotient1, draws, expected),
                 qPrintable(QString("%1 of %2, expected share %3").arg(quotient1).arg(draws).arg(expected)));
    }

    // Type 72 draws its kind anew when the last digit fails, so a kind wins in proportion to how
    // often its runs get through. A first product of three digits comes only from kind 1.
    void type72KindDrawnAnew()
    {
        double pass[2] = {0, 0};  // chance that a run of each kind gets through
        double threeDigitProduct = 0;  // share of those among the accepted runs of kind 1
        for (int s = 0; s < 2; ++s) {
            long long pairs = 0, accepted = 0, big = 0;
            for (int d = 11; d <= 99; ++d)
                for (int L = 100; L <= 999; ++L) {
                    const int q = L / d;
                    if (q >= 10 || L % d == 0 || (s == 0 && q * d >= 100))
                        continue;
                    ++pairs;
                    for (int x = 0; x < 10; ++x)
                        if (10 * (L % d) + x < d) {
                            ++accepted;
                            big += q * d >= 100;
                        }
                }
            pass[s] = static_cast<double>(accepted) / static_cast<double>(10 * pairs);
            if (s == 1)
                threeDigitProduct = static_cast<double>(big) / static_cast<double>(accepted);
        }
        const double expected = pass[1] / (pass[0] + pass[1]) * threeDigitProduct;
        const long long draws = 3000;
        const test::ProblemCounts counts = test::sampleType(72, draws, 72);
        long long hits = 0;
        for (const auto& [p, c] : counts) {
            QVERIFY(p.first % p.second != 0);
            const int L = p.first / 10;
            if (L / p.second * p.second >= 100)
                hits += c;
        }
        QVERIFY2(test::shareMatches(hits, draws, expected),
                 qPrintable(QString("%1 of %2, expected share %3").arg(hits).arg(draws).arg(expected)));
    }

    // The long types: every sampled problem has the written working of its type.
    void workingHasTheTypesShape_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("draws");
        QTest::addColumn<QList<int>>("divisorRange");
        QTest::addColumn<QList<int>>("dividendRange");
        QTest::addColumn<QList<int>>("neverDivisors");  // first and last of a range never used
        QTest::addRow("71") << 71 << 20000 << QList<int>{22, 99} << QList<int>{1000, 8999} << QList<int>{21, 21};
        QTest::addRow("73") << 73 << 20000 << QList<int>{12, 81} << QList<int>{23988, 99999} << QList<int>{};
        QTest::addRow("74") << 74 << 20000 << QList<int>{100, 499} << QList<int>{101, 999} << QList<int>{};
        QTest::addRow("75") << 75 << 20000 << QList<int>{112, 999} << QList<int>{1000, 9989} << QList<int>{100, 111};
        QTest::addRow("76") << 76 << 20000 << QList<int>{100, 909} << QList<int>{1100, 9999} << QList<int>{910, 989};
        QTest::addRow("77") << 77 << 20000 << QList<int>{112, 999} << QList<int>{11000, 99899} << QList<int>{100, 111};
        QTest::addRow("78") << 78 << 20000 << QList<int>{112, 980} << QList<int>{12208, 99999} << QList<int>{981, 989};
    }
    void workingHasTheTypesShape()
    {
        QFETCH(int, type);
        QFETCH(int, draws);
        QFETCH(QList<int>, divisorRange);
        QFETCH(QList<int>, dividendRange);
        QFETCH(QList<int>, neverDivisors);
        const test::ProblemCounts counts = test::sampleType(type, draws, 100 + static_cast<unsigned>(type));
        int lowDivisor = 1000, highDivisor = 0;
        for (const auto& [p, c] : counts) {
            const auto [n, d] = p;
            const QString where = QString("%1 / %2: ").arg(n).arg(d);
            QVERIFY2(d >= divisorRange[0] && d <= divisorRange[1], qPrintable(where + "divisor out of range"));
            QVERIFY2(n >= dividendRange[0] && n <= dividendRange[1], qPrintable(where + "dividend out of range"));
            QVERIFY2(neverDivisors.isEmpty() || d < neverDivisors[0] || d > neverDivisors[1],
                     qPrintable(where + "divisor never used"));
            const QString fault = shapeFault(type, LongDivision::of(n, d));
            QVERIFY2(fault.isEmpty(), qPrintable(where + fault));
            lowDivisor = std::min(lowDivisor, d);
            highDivisor = std::max(highDivisor, d);
        }
        // The sample spreads over the divisors: the low end of the range is reached within a few.
        QVERIFY2(lowDivisor - divisorRange[0] <= 5, qPrintable(QString::number(lowDivisor)));
        QVERIFY2(divisorRange[1] - highDivisor <= 40, qPrintable(QString::number(highDivisor)));
    }

    // Every single type of this range fills a sheet of twelve distinct problems.
    void sheetOfTwelve_data()
    {
        QTest::addColumn<int>("type");
        for (int t = 54; t <= 78; ++t)
            QTest::addRow("type %d", t) << t;
    }
    void sheetOfTwelve()
    {
        QFETCH(int, type);
        SelectedTypes selected;
        selected.tick(type, true);
        SeededRandom random(static_cast<std::uint64_t>(type));
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        QVERIFY(buildSheet(sheet, LayoutPattern::R4C3, selected, ctx));
        QCOMPARE(sheet.count, 12);
        std::set<std::pair<std::string, std::string>> distinct;
        for (int i = 0; i < 12; ++i) {
            distinct.insert({sheet.dividends[static_cast<std::size_t>(i)], sheet.divisors[static_cast<std::size_t>(i)]});
            QCOMPARE(sheet.types[static_cast<std::size_t>(i)], type);
        }
        QCOMPARE(distinct.size(), std::size_t{12});
        QVERIFY(reporter.warnings.empty());
    }
};

QTEST_APPLESS_MAIN(TestTypes54to78)
#include "tst_types54to78.moc"
