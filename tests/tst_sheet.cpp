// Building a worksheet: distinct problems, the draw limit per slot and what a short sheet keeps,
// the problem count of each layout, and how MakeData shares the draws among the ticked types.
#include "Sheet.h"
#include "TypeSampling.h"

#include <QtTest>

#include <map>
#include <set>

using namespace pelkano;

namespace {

SelectedTypes ticked(const QList<int>& types)
{
    SelectedTypes selected;
    for (int t : types)
        selected.tick(t, true);
    return selected;
}

std::set<std::pair<std::string, std::string>> problemsOn(const ProblemSheet& sheet)
{
    std::set<std::pair<std::string, std::string>> s;
    for (int i = 0; i < sheet.count; ++i)
        s.insert({sheet.dividends[static_cast<std::size_t>(i)], sheet.divisors[static_cast<std::size_t>(i)]});
    return s;
}

// A seeded source under a draw budget, as the type tests run their rules: a rule that loops
// fails the test instead of hanging it.
class BudgetedSeeded final : public RandomSource {
public:
    explicit BudgetedSeeded(std::uint64_t seed) : seeded_(seed), budgeted_(seeded_, 20'000'000) {}
    int R(int n) override { return budgeted_.R(n); }

private:
    SeededRandom seeded_;
    BudgetedRandom budgeted_;
};

// Draws of a slot under a scripted source: k picks the entry, then the rule's own draws.
void append(std::vector<int>& script, std::initializer_list<int> draws, int times = 1)
{
    for (int i = 0; i < times; ++i)
        script.insert(script.end(), draws);
}

}  // namespace

class TestSheet : public QObject {
    Q_OBJECT
private slots:
    void slotsAreDistinct_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("layout");
        QTest::addRow("type 11 alone, 12 of its 13") << QList<int>{11} << 5;
        QTest::addRow("types 1 and 3 share 22 problems") << QList<int>{1, 3} << 5;
        QTest::addRow("type 22 inside type 20") << QList<int>{20, 22} << 5;
        QTest::addRow("type 16 alone, 9 of its 19") << QList<int>{16} << 4;
        QTest::addRow("types 17 and 11") << QList<int>{17, 11} << 5;
    }
    void slotsAreDistinct()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, layout);
        const SelectedTypes selected = ticked(types);
        const auto pattern = static_cast<LayoutPattern>(layout);
        BudgetedSeeded random(31);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        for (int n = 0; n < 200; ++n) {
            ProblemSheet sheet;
            QVERIFY(buildSheet(sheet, pattern, selected, ctx));
            QCOMPARE(sheet.count, problemCount(pattern));
            QCOMPARE(static_cast<int>(problemsOn(sheet).size()), sheet.count);
            for (int i = 0; i < sheet.count; ++i)
                QVERIFY(types.contains(sheet.types[static_cast<std::size_t>(i)]));
        }
        QVERIFY(reporter.warnings.empty());
    }

    // Type 17 has four problems: a larger sheet stops after them and says so; the slots beyond
    // keep their old text.
    void shortSheet_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("complete");
        QTest::addRow("4 slots") << 0 << true;
        QTest::addRow("6 slots") << 1 << false;
        QTest::addRow("12 slots") << 5 << false;
    }
    void shortSheet()
    {
        QFETCH(int, layout);
        QFETCH(bool, complete);
        BudgetedSeeded random(5);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        sheet.dividends.fill("old");
        sheet.divisors.fill("old");
        QCOMPARE(buildSheet(sheet, static_cast<LayoutPattern>(layout), ticked({17}), ctx), complete);
        QCOMPARE(sheet.count, 4);
        const std::set<std::pair<std::string, std::string>> all{{"400", "3"}, {"401", "3"}, {"700", "3"}, {"701", "3"}};
        QCOMPARE(problemsOn(sheet), all);
        for (std::size_t i = 4; i < sheet.dividends.size(); ++i) {
            QCOMPARE(sheet.dividends[i], std::string("old"));
            QCOMPARE(sheet.divisors[i], std::string("old"));
        }
    }

    // Slot 5 after the four problems of type 17: duplicates, then a new problem of type 3 on the
    // given draw. The 1,000th draw may still place it; the 1,001st ends the sheet and is dropped.
    void drawLimitPerSlot_data()
    {
        QTest::addColumn<int>("newOnDraw");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("count");
        QTest::addRow("new on draw 1") << 1 << true << 6;
        QTest::addRow("new on draw 1000") << 1000 << true << 6;
        QTest::addRow("new on draw 1001") << 1001 << false << 4;
    }
    void drawLimitPerSlot()
    {
        QFETCH(int, newOnDraw);
        QFETCH(bool, complete);
        QFETCH(int, count);
        std::vector<int> script;
        append(script, {0, 0, 0});  // type 17: 400 / 3
        append(script, {0, 0, 1});  // 401 / 3
        append(script, {0, 1, 0});  // 700 / 3
        append(script, {0, 1, 1});  // 701 / 3
        append(script, {0, 1, 1}, newOnDraw - 1);
        append(script, {1, 1, 2});  // type 3: 6 / 2
        if (complete)
            append(script, {1, 1, 3});  // 8 / 2
        ScriptedRandom random(script);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        sheet.dividends.fill("old");
        try {
            QCOMPARE(buildSheet(sheet, LayoutPattern::R3C2, ticked({17, 3}), ctx), complete);
        } catch (const RandomScriptError& e) {
            QFAIL(e.what());
        }
        QVERIFY2(random.exhausted(), "the sheet stopped drawing too early");
        QCOMPARE(sheet.count, count);
        QCOMPARE(sheet.dividends[4], std::string(complete ? "6" : "old"));
        QCOMPARE(sheet.dividends[5], std::string(complete ? "8" : "old"));
    }

    // 6 / 3 from type 1 and again from type 3 is the same problem.
    void sameProblemFromTwoTypesIsADuplicate()
    {
        std::vector<int> script;
        append(script, {0, 2, 4});  // type 1: d 3, n 6
        append(script, {1, 2, 1});  // type 3: d 3, q 2, 6 / 3 again
        append(script, {1, 2, 2});  // 9 / 3
        append(script, {1, 2, 3});  // 12 / 3
        append(script, {1, 2, 4});  // 15 / 3
        ScriptedRandom random(script);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        QVERIFY(buildSheet(sheet, LayoutPattern::R2C2, ticked({1, 3}), ctx));
        QVERIFY(random.exhausted());
        QCOMPARE(sheet.count, 4);
        const std::array<std::string, 4> dividends{"6", "9", "12", "15"};
        const std::array<int, 4> types{1, 3, 3, 3};
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(sheet.dividends[i], dividends[i]);
            QCOMPARE(sheet.divisors[i], std::string("3"));
            QCOMPARE(sheet.types[i], types[i]);
        }
    }

    void layoutCounts_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addRow("2段2列") << 0 << 4 << 2;
        QTest::addRow("3段2列") << 1 << 6 << 2;
        QTest::addRow("4段2列") << 2 << 8 << 2;
        QTest::addRow("2段3列") << 3 << 6 << 3;
        QTest::addRow("3段3列") << 4 << 9 << 3;
        QTest::addRow("4段3列") << 5 << 12 << 3;
    }
    void layoutCounts()
    {
        QFETCH(int, layout);
        QFETCH(int, count);
        QFETCH(int, columns);
        const auto pattern = static_cast<LayoutPattern>(layout);
        QCOMPARE(problemCount(pattern), count);
        QCOMPARE(columnCount(pattern), columns);
        BudgetedSeeded random(static_cast<std::uint64_t>(layout));
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        QVERIFY(buildSheet(sheet, pattern, ticked({12}), ctx));
        QCOMPARE(sheet.count, count);
    }

    // A smaller sheet after a larger one rewrites only its own slots.
    void laterSlotsKeepTheirText()
    {
        BudgetedSeeded random(11);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        QVERIFY(buildSheet(sheet, LayoutPattern::R4C3, ticked({12}), ctx));
        const ProblemSheet before = sheet;
        QVERIFY(buildSheet(sheet, LayoutPattern::R2C2, ticked({24}), ctx));
        QCOMPARE(sheet.count, 4);
        for (std::size_t i = 0; i < 4; ++i)
            QVERIFY(sheet.dividends[i] != before.dividends[i] || sheet.divisors[i] != before.divisors[i]);
        for (std::size_t i = 4; i < 12; ++i) {
            QCOMPARE(sheet.dividends[i], before.dividends[i]);
            QCOMPARE(sheet.divisors[i], before.divisors[i]);
        }
    }

    // MakeData draws k = R(entries) first and runs the rule of entry k, in ticking order.
    void makeDataPicksEntry_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addRow("17, 3: entry 0") << QList<int>{17, 3} << QList<int>{0, 1, 0} << QList<int>{2, 2, 2} << 17 << 700 << 3;
        QTest::addRow("17, 3: entry 1") << QList<int>{17, 3} << QList<int>{1, 4, 5} << QList<int>{2, 9, 9} << 3 << 30 << 5;
        QTest::addRow("3, 17: entry 0") << QList<int>{3, 17} << QList<int>{0, 4, 5} << QList<int>{2, 9, 9} << 3 << 30 << 5;
        QTest::addRow("3, 17: entry 1") << QList<int>{3, 17} << QList<int>{1, 1, 0} << QList<int>{2, 2, 2} << 17 << 700 << 3;
        QTest::addRow("one type: R(1)") << QList<int>{26} << QList<int>{0, 3, 3, 4} << QList<int>{1, 7, 4, 9} << 26 << 950 << 5;
    }
    void makeDataPicksEntry()
    {
        QFETCH(QList<int>, types);
        QFETCH(QList<int>, script);
        QFETCH(QList<int>, asked);
        QFETCH(int, type);
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        ScriptedRandom random(std::vector<int>(script.begin(), script.end()));
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        const GeneratedProblem g = MakeDataTyped(ticked(types), ctx);
        QCOMPARE(QList<int>(random.asked().begin(), random.asked().end()), asked);
        QCOMPARE(g.type, type);
        QCOMPARE(g.problem, (DivisionProblem{dividend, divisor}));
    }

    // Every ticked type is equally likely, whatever the order of ticking, on raw draws and on
    // sheets alike (types with many problems, so that duplicates hardly matter).
    void typeShares_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<bool>("onSheets");
        QTest::addRow("draws: 4, 12, 24") << QList<int>{4, 12, 24} << false;
        QTest::addRow("draws: 24, 4, 12") << QList<int>{24, 4, 12} << false;
        QTest::addRow("draws: 3 and 20") << QList<int>{3, 20} << false;
        QTest::addRow("sheets: 4, 12, 24") << QList<int>{4, 12, 24} << true;
        QTest::addRow("sheets: 12, 24, 4, 20") << QList<int>{12, 24, 4, 20} << true;
    }
    void typeShares()
    {
        QFETCH(QList<int>, types);
        QFETCH(bool, onSheets);
        const SelectedTypes selected = ticked(types);
        BudgetedSeeded random(77);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        std::map<int, long long> byType;
        long long total = 0;
        if (onSheets) {
            ProblemSheet sheet;
            for (int n = 0; n < 2500; ++n) {
                QVERIFY(buildSheet(sheet, LayoutPattern::R4C3, selected, ctx));
                for (int i = 0; i < sheet.count; ++i)
                    ++byType[sheet.types[static_cast<std::size_t>(i)]];
                total += sheet.count;
            }
        } else {
            for (; total < 30000; ++total)
                ++byType[MakeDataTyped(selected, ctx).type];
        }
        const double p = 1.0 / static_cast<double>(types.size());
        for (int t : types)
            QVERIFY2(test::shareMatches(byType[t], total, p),
                     qPrintable(QString("type %1: %2 of %3").arg(t).arg(byType[t]).arg(total)));
    }

    // The type is drawn again on every attempt: a slot whose type has run out of new problems
    // still fills from the other ticked type, and type 17 never exceeds its four problems.
    void typeDrawnOnEveryAttempt()
    {
        BudgetedSeeded random(3);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        ProblemSheet sheet;
        for (int n = 0; n < 300; ++n) {
            QVERIFY(buildSheet(sheet, LayoutPattern::R4C3, ticked({17, 12}), ctx));
            int fromSeventeen = 0;
            for (int i = 0; i < sheet.count; ++i)
                fromSeventeen += sheet.types[static_cast<std::size_t>(i)] == 17;
            QVERIFY(fromSeventeen <= 4);
        }
    }
};

QTEST_APPLESS_MAIN(TestSheet)
#include "tst_sheet.moc"
