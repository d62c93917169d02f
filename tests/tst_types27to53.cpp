// Division types 27 to 53: the order of draws and the loops of each rule under a scripted
// source, then the problems, odds and working shapes of many seeded draws.
#include "LongDivision.h"
#include "TypeSampling.h"

#include <QtTest>

#include <map>
#include <set>

using namespace pelkano;

namespace {

// Draws per type: enough that the least likely problem of the type is expected at least about
// 30 times (type 36's rarest has odds 1/5184, type 46's 1/7120), and never fewer than 20,000
// so that the shares are measured closely.
long long drawsFor(int type)
{
    switch (type) {
    case 33: return 90000;
    case 36: return 160000;
    case 37: return 30000;
    case 44: return 21000;
    case 46: return 215000;
    case 47: return 61000;
    case 52: return 131000;
    case 53: return 27000;
    case 28: return 40000;
    default: return 20000;
    }
}

// One seeded sample per type, shared by the tests below.
const test::ProblemCounts& sample(int type)
{
    static std::map<int, test::ProblemCounts> cache;
    auto it = cache.find(type);
    if (it == cache.end())
        it = cache.emplace(type, test::sampleType(type, drawsFor(type), 2700 + static_cast<unsigned>(type))).first;
    return it->second;
}

long long total(const test::ProblemCounts& counts)
{
    long long n = 0;
    for (const auto& [problem, hits] : counts)
        n += hits;
    return n;
}

std::map<int, long long> byDivisor(const test::ProblemCounts& counts)
{
    std::map<int, long long> hits;
    for (const auto& [problem, n] : counts)
        hits[problem.second] += n;
    return hits;
}

QString name(const std::pair<int, int>& p)
{
    return QString("%1 / %2").arg(p.first).arg(p.second);
}

// The shape of a written division, one token per quotient digit. First character, the product:
// 0 (quotient digit 0), 1 (one digit), 2 (two digits), x (two digits, above 10), * (any).
// Second, the remainder: e (exact), r (not 0), 1 (exactly 1), * (any).
QString shapeMismatch(const LongDivision& w, const QString& shape)
{
    const QStringList tokens = shape.split(' ');
    if (tokens.size() != static_cast<qsizetype>(w.steps.size()))
        return QString("%1 quotient digits").arg(w.steps.size());
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const DivisionStep& s = w.steps[static_cast<std::size_t>(i)];
        const QChar product = tokens[i][0];
        const QChar rest = tokens[i][1];
        const bool productOk = product == '*' || (product == '0' && s.quotientDigit == 0)
                               || (product == '1' && s.quotientDigit > 0 && s.product < 10)
                               || (product == '2' && s.product >= 10 && s.product < 100)
                               || (product == 'x' && s.product > 10 && s.product < 100);
        const bool restOk = rest == '*' || (rest == 'e' && s.remainder == 0) || (rest == 'r' && s.remainder != 0)
                            || (rest == '1' && s.remainder == 1);
        if (!productOk || !restOk)
            return QString("step %1: %2 - %3 = %4").arg(i + 1).arg(s.partialDividend).arg(s.product).arg(s.remainder);
    }
    return {};
}

using Pairs = QList<std::pair<int, int>>;

QStringList names(const std::set<std::pair<int, int>>& problems)
{
    QStringList out;
    for (const auto& p : problems)
        out << name(p);
    return out;
}

}  // namespace

class TestTypes27to53 : public QObject {
    Q_OBJECT
private slots:
    // Every rule draws in the order of its steps, and every loop repeats only its own draw:
    // a rule that started again would ask for the divisor's bound once more.
    void scriptedDraws_data()
    {
        test::addScriptedColumns();
        auto row = [](const char* tag, int type, QList<int> script, QList<int> asked, int n, int d) {
            QTest::addRow("%d: %s", type, tag) << type << script << asked << n << d;
        };
        row("H 4, T 5 and U 5 drawn again", 27, {1, 1, 3, 2, 6, 4, 1}, {7, 7, 7, 7, 7, 9, 9}, 692, 3);
        row("s 0, divisor 1", 28, {0, 0, 8, 0}, {2, 8, 9, 9}, 910, 1);
        row("s 1, H 5 drawn again", 28, {1, 2, 1, 4, 0}, {2, 3, 6, 6, 6}, 840, 4);
        row("T 6, U 2 (product 10) and U 5 (exact) drawn again", 29, {3, 0, 5, 0, 2, 5, 6}, {8, 5, 9, 9, 10, 10, 10}, 516, 5);
        row("H 3, T 4, U 1 drawn again", 30, {0, 1, 0, 3, 0, 1, 2}, {8, 8, 8, 9, 9, 10, 10}, 212, 2);
        row("divisor 5, H 8, U 6 and U 4 drawn again", 31, {2, 4, 1, 0, 6, 4, 3}, {7, 7, 3, 3, 10, 10, 10}, 713, 7);
        row("U 4 and U 8 drawn again", 32, {2, 4, 0, 4, 3}, {7, 6, 6, 6, 6}, 807, 4);
        row("s 0, divisor 1", 33, {0, 0, 2, 4}, {4, 9, 9, 9}, 305, 1);
        row("s 3, H 5 and U 4 drawn again", 33, {3, 1, 2, 3, 1, 6}, {4, 8, 7, 7, 7, 7}, 609, 3);
        row("H 9 drawn again", 34, {6, 1, 0, 6}, {7, 2, 2, 7}, 807, 8);
        row("s 2", 35, {2, 7, 0}, {4, 8, 1}, 900, 9);
        row("s 0, H 9 drawn again", 35, {0, 4, 4, 0}, {4, 9, 5, 5}, 500, 5);
        row("H 9 and 7, T 2 and U 5 drawn again", 36, {5, 8, 6, 3, 2, 5, 5, 0}, {8, 9, 9, 9, 10, 10, 10, 10}, 450, 7);
        row("one-digit products and exact steps drawn again", 36, {7, 0, 3, 8, 9, 0, 8, 9}, {8, 9, 10, 10, 10, 10, 10, 10}, 199, 9);
        row("H 2, T 0 and U 1 drawn again", 37, {0, 1, 0, 0, 3, 1, 4}, {8, 9, 9, 10, 10, 10, 10}, 134, 2);
        row("T 0, U 3 and U 2 drawn again", 38, {0, 1, 0, 2, 3, 2, 1}, {7, 9, 10, 10, 10, 10, 10}, 221, 3);
        row("divisor 5, H 6, T 1, U 2 and 7 drawn again", 38, {2, 3, 5, 4, 1, 5, 2, 7, 0}, {7, 7, 9, 9, 10, 10, 10, 10, 10}, 550, 6);
        row("divisor 5, T 2 and 3, U 1 drawn again", 39, {2, 0, 2, 3, 1, 1, 0}, {7, 7, 10, 10, 10, 10, 10}, 110, 3);
        row("T 7, 2 and 4, U 0 drawn again", 40, {3, 7, 2, 4, 1, 0, 4}, {7, 10, 10, 10, 10, 10, 10}, 114, 6);
        row("divisor 9", 41, {1, 7}, {2, 8}, 107, 9);
        row("divisor 3, U 2 and 5 drawn again", 41, {0, 2, 5, 3}, {2, 8, 8, 8}, 103, 3);
        row("H 5 and T 3 drawn again", 42, {3, 4, 2, 3, 5, 3}, {7, 9, 9, 10, 10, 4}, 359, 5);
        row("divisor 8, U from R(1)", 42, {6, 0, 0, 6, 0}, {7, 9, 10, 10, 1}, 169, 8);
        row("T 0 and U 5 drawn again", 43, {2, 2, 0, 2, 1, 4}, {7, 9, 10, 10, 6, 6}, 328, 4);
        row("H 6 drawn again", 44, {4, 5, 1, 4, 4}, {7, 9, 9, 10, 5}, 245, 6);
        row("T 7 drawn again, no draw for U", 45, {0, 0, 7, 8}, {7, 9, 10, 10}, 180, 2);
        row("last value of the first line", 46, {0, 44}, {89, 45}, 99, 11);
        row("last line", 46, {88, 0}, {89, 1}, 99, 99);
        row("first line", 47, {0, 2}, {36, 44}, 30, 11);
        row("last line", 48, {10, 6}, {11, 7}, 86, 29);
        row("first line", 49, {0, 0}, {7, 1}, 90, 13);
        row("first line", 50, {0, 5}, {4, 6}, 95, 16);
        row("the one line", 51, {0, 2}, {1, 5}, 92, 19);
        row("divisor 11 gives 10", 52, {0, 4}, {89, 5}, 10, 11);
        row("divisor 12", 52, {1, 0}, {89, 6}, 11, 12);
        row("divisor 99", 52, {88, 48}, {89, 49}, 50, 99);
        row("dividend 0", 53, {0, 0}, {89, 10}, 0, 11);
        row("dividend 9", 53, {88, 9}, {89, 10}, 9, 99);
    }
    void scriptedDraws() { test::verifyScriptedRow(); }

    // The set of problems each type reaches: its size and its first and last problem in the
    // order of dividend, then divisor.
    void outputSet_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("distinct");
        QTest::addColumn<Pairs>("firstAndLast");
        auto row = [](int type, int distinct, std::pair<int, int> first, std::pair<int, int> last) {
            QTest::addRow("%d", type) << type << distinct << Pairs{first, last};
        };
        row(27, 68, {221, 2}, {992, 3});
        row(28, 114, {110, 1}, {990, 3});
        row(29, 330, {213, 2}, {989, 9});
        row(30, 92, {210, 2}, {981, 9});
        row(31, 30, {310, 3}, {917, 9});
        row(32, 46, {203, 2}, {908, 3});
        row(33, 115, {101, 1}, {909, 9});
        row(34, 38, {201, 2}, {902, 3});
        row(35, 23, {100, 1}, {900, 9});
        row(36, 2164, {111, 2}, {899, 9});
        row(37, 430, {110, 2}, {891, 9});
        row(38, 186, {130, 3}, {827, 9});
        row(39, 196, {100, 6}, {179, 9});
        row(40, 34, {100, 4}, {171, 9});
        row(41, 14, {100, 3}, {107, 9});
        row(42, 186, {103, 2}, {729, 8});
        row(43, 84, {102, 2}, {728, 8});
        row(44, 214, {101, 2}, {727, 8});
        row(45, 50, {100, 2}, {720, 8});
        row(46, 2729, {11, 11}, {99, 99});
        row(47, 856, {20, 11}, {99, 39});
        row(48, 218, {30, 16}, {99, 14});
        row(49, 133, {50, 17}, {99, 16});
        row(50, 64, {70, 18}, {99, 19});
        row(51, 5, {90, 19}, {94, 19});
        row(52, 2405, {10, 11}, {98, 99});
        row(53, 890, {0, 11}, {9, 99});
    }
    void outputSet()
    {
        QFETCH(int, type);
        QFETCH(int, distinct);
        QFETCH(Pairs, firstAndLast);
        const test::ProblemCounts& counts = sample(type);
        QCOMPARE(static_cast<int>(counts.size()), distinct);
        QCOMPARE(name(counts.begin()->first), name(firstAndLast[0]));
        QCOMPARE(name(counts.rbegin()->first), name(firstAndLast[1]));
    }

    void exactSets_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Pairs>("problems");
        Pairs type41;
        for (int n : {100, 101, 103, 104, 106, 107})
            type41 << std::pair{n, 3};
        for (int n = 100; n <= 107; ++n)
            type41 << std::pair{n, 9};
        QTest::addRow("41") << 41 << type41;
        QTest::addRow("51") << 51 << Pairs{{90, 19}, {91, 19}, {92, 19}, {93, 19}, {94, 19}};
    }
    void exactSets()
    {
        QFETCH(int, type);
        QFETCH(Pairs, problems);
        std::set<std::pair<int, int>> got;
        for (const auto& [problem, hits] : sample(type))
            got.insert(problem);
        QCOMPARE(names(got), names({problems.begin(), problems.end()}));
    }

    // Single problems the rules promise or rule out.
    void particularProblems_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("possible");
        QTest::addRow("29: 212 / 2 is exact") << 29 << 212 << 2 << false;
        QTest::addRow("29: 512 / 5 has the last product 10") << 29 << 512 << 5 << false;
        QTest::addRow("29: 515 / 5 is exact") << 29 << 515 << 5 << false;
        QTest::addRow("29: 516 / 5") << 29 << 516 << 5 << true;
        QTest::addRow("30: 212 / 2") << 30 << 212 << 2 << true;
        QTest::addRow("28: 990 / 1") << 28 << 990 << 1 << true;
        QTest::addRow("33: 101 / 1") << 33 << 101 << 1 << true;
        QTest::addRow("35: 100 / 1") << 35 << 100 << 1 << true;
        QTest::addRow("41: 103 / 3") << 41 << 103 << 3 << true;
        QTest::addRow("42: 104 / 2, remainder 0") << 42 << 104 << 2 << true;
        QTest::addRow("53: 0 / 11") << 53 << 0 << 11 << true;
        QTest::addRow("53: 0 / 99") << 53 << 0 << 99 << true;
    }
    void particularProblems()
    {
        QFETCH(int, type);
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(bool, possible);
        QCOMPARE(sample(type).count({dividend, divisor}) == 1, possible);
    }

    // The working of every problem drawn has the type's shape.
    void workingShape_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("shape");
        const std::pair<int, const char*> shapes[] = {
            {27, "1e 1e 0r"}, {28, "1e 1e 0e"}, {29, "1e 0r xr"}, {30, "1e 0r 2e"}, {31, "1e 0r 1r"},
            {32, "1e 0e 1r"}, {33, "1e 0e 1e"}, {34, "1e 0e 0r"}, {35, "1e 0e 0e"}, {36, "2r 2r"},
            {37, "2r 2e"},    {38, "21 1r"},    {39, "1r 2r"},    {40, "1r 2e"},    {41, "1r *r"},
            {42, "2e 1*"},    {43, "2e 1e"},    {44, "2e 0r"},    {45, "2e 0e"},    {46, "2*"},
            {47, "2*"},       {48, "2*"},       {49, "2*"},       {50, "2*"},       {51, "2*"},
            {52, "0*"},       {53, "0*"},
        };
        for (const auto& [type, shape] : shapes)
            QTest::addRow("%d: %s", type, shape) << type << QString(shape);
    }
    void workingShape()
    {
        QFETCH(int, type);
        QFETCH(QString, shape);
        for (const auto& [problem, hits] : sample(type)) {
            const QString mismatch = shapeMismatch(LongDivision::of(problem.first, problem.second), shape);
            QVERIFY2(mismatch.isEmpty(), qPrintable(name(problem) + ": " + mismatch));
        }
    }

    // The digit types draw the divisor once, so its odds are those of its first step whatever
    // the later loops reject.
    void divisorShares_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("divisors");
        QTest::addColumn<QList<double>>("odds");
        auto uniform = [](int type, QList<int> divisors) {
            QList<double> odds(divisors.size(), 1.0 / static_cast<double>(divisors.size()));
            QTest::addRow("%d", type) << type << divisors << odds;
        };
        const QList<int> two8{2, 3, 4, 5, 6, 7, 8};
        const QList<int> two9{2, 3, 4, 5, 6, 7, 8, 9};
        const QList<int> no5{3, 4, 6, 7, 8, 9};
        const QList<int> one9{1, 2, 3, 4, 5, 6, 7, 8, 9};
        QList<int> twoDigit;
        for (int d = 11; d <= 99; ++d)
            twoDigit << d;
        for (int type : {27, 32, 34, 42, 43, 44, 45})
            uniform(type, two8);
        for (int type : {29, 30, 36, 37})
            uniform(type, two9);
        for (int type : {31, 38, 39, 40})
            uniform(type, no5);
        uniform(41, {3, 9});
        uniform(52, twoDigit);
        uniform(53, twoDigit);
        const double a = 1.0 / 16, b = 11.0 / 48;
        QTest::addRow("28") << 28 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8} << QList<double>{a, b, b, b, a, a, a, a};
        const double one = 1.0 / 36, other = 35.0 / 288;
        const QList<double> odds33{one, other, other, other, other, other, other, other, other};
        QTest::addRow("33") << 33 << one9 << odds33;
        QTest::addRow("35") << 35 << one9 << odds33;
    }
    void divisorShares()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, divisors);
        QFETCH(QList<double>, odds);
        const test::ProblemCounts& counts = sample(type);
        const long long n = total(counts);
        const std::map<int, long long> hits = byDivisor(counts);
        QCOMPARE(static_cast<qsizetype>(hits.size()), divisors.size());
        for (qsizetype i = 0; i < divisors.size(); ++i) {
            const long long h = hits.count(divisors[i]) ? hits.at(divisors[i]) : 0;
            QVERIFY2(test::shareMatches(h, n, odds[i]),
                     qPrintable(QString("divisor %1: %2 of %3").arg(divisors[i]).arg(h).arg(n)));
        }
    }

    // The table types take a line of their segment first, uniformly, and then one of its
    // values, uniformly; every pair of the segment is reached, and nothing else, and each
    // needs exactly (type - 46) corrections of the tentative quotient.
    void tableTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("lineCount");
        const int rows[][3] = {{46, 0, 89}, {47, 89, 36}, {48, 125, 11}, {49, 136, 7}, {50, 143, 4}, {51, 147, 1}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << r[1] << r[2];
    }
    void tableTypes()
    {
        QFETCH(int, type);
        QFETCH(int, firstLine);
        QFETCH(int, lineCount);
        const test::ProblemCounts& counts = sample(type);
        const long long n = total(counts);
        SilentReporter quiet;
        std::set<std::pair<int, int>> segment;
        for (int i = firstLine; i < firstLine + lineCount; ++i) {
            const std::string& line = test::tables().d4247[static_cast<std::size_t>(i)];
            const int divisor = CommaField(line, 1, quiet);
            const int values = CommaField(line, 2, quiet);
            long long lineHits = 0;
            for (int m = 1; m <= values; ++m) {
                const std::pair<int, int> problem{CommaField(line, m + 2, quiet), divisor};
                segment.insert(problem);
                const long long h = counts.count(problem) ? counts.at(problem) : 0;
                lineHits += h;
                QVERIFY2(test::shareMatches(h, n, 1.0 / lineCount / values), qPrintable(name(problem)));
                QCOMPARE((problem.first / 10) / (divisor / 10) - problem.first / divisor, type - 46);
            }
            QVERIFY2(test::shareMatches(lineHits, n, 1.0 / lineCount), qPrintable(QString::fromStdString(line)));
        }
        std::set<std::pair<int, int>> got;
        for (const auto& [problem, hits] : counts)
            got.insert(problem);
        QCOMPARE(names(got), names(segment));
    }

    // Line first, value second: the lone pair 99 / 99 comes as often as all 80 dividends of the
    // divisor 20 together, each divisor 1/89.
    void type46FavoursShortLines()
    {
        const test::ProblemCounts& counts = sample(46);
        const long long n = total(counts);
        const std::map<int, long long> hits = byDivisor(counts);
        int dividendsOf20 = 0;
        for (const auto& [problem, h] : counts)
            dividendsOf20 += problem.second == 20;
        QCOMPARE(dividendsOf20, 80);
        QVERIFY(test::shareMatches(counts.at({99, 99}), n, 1.0 / 89));
        QVERIFY(test::shareMatches(hits.at(20), n, 1.0 / 89));
        QVERIFY(test::shareMatches(counts.at({20, 20}), n, 1.0 / 89 / 80));
        for (const auto& [divisor, h] : hits)
            QVERIFY2(test::shareMatches(h, n, 1.0 / 89), qPrintable(QString::number(divisor)));
    }

    // Type 52's dividend lies from half the divisor to one below it, and is at least 10.
    void type52StaysAboveHalfTheDivisor()
    {
        std::map<int, std::set<int>> dividends;
        for (const auto& [problem, hits] : sample(52)) {
            const auto [n, d] = problem;
            QVERIFY2(n >= 10 && n < d && 2 * n >= d, qPrintable(name(problem)));
            dividends[d].insert(n);
        }
        QCOMPARE(dividends[11], (std::set<int>{10}));
        QCOMPARE(dividends[12], (std::set<int>{10, 11}));
        std::set<int> of99;
        for (int n = 50; n <= 98; ++n)
            of99.insert(n);
        QCOMPARE(dividends[99], of99);
    }
};

QTEST_APPLESS_MAIN(TestTypes27to53)
#include "tst_types27to53.moc"
