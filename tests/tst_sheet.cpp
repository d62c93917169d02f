// Building a worksheet: distinct problems, the draw limit per slot and what a short sheet keeps,
// the problem count of each layout, and how MakeData shares the draws among the ticked types;
// sets of sheets with the same mix of types on every sheet and few problems again.
#include "Sheet.h"
#include "TypeSampling.h"

#include <QtTest>

#include <algorithm>
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

struct BuiltSet {
    std::vector<ProblemSheet> sheets;
    std::vector<bool> complete;
};

// Sheets 0 .. count - 1 of the set of these types and layout, from a seeded source.
BuiltSet setOf(const QList<int>& types, LayoutPattern pattern, int count, bool sameMix, std::uint64_t seed,
               bool balanced = false, bool easyOrder = false)
{
    const SetRecipe recipe{seed, std::vector<int>(types.begin(), types.end()), pattern, sameMix, balanced, easyOrder};
    BudgetedSeeded random(seed);
    test::CollectingReporter reporter;
    RuleContext ctx{random, test::tables(), reporter};
    BuiltSet set;
    buildSheets(recipe, 0, count, 1, ctx, [&](long long, const ProblemSheet& sheet, bool complete) {
        set.sheets.push_back(sheet);
        set.complete.push_back(complete);
        return true;
    });
    return set;
}

std::vector<int> typesOn(const ProblemSheet& sheet)
{
    return {sheet.types.begin(), sheet.types.begin() + std::clamp(sheet.count, 0, kSheetCapacity)};
}

// "dividend/divisor" of every slot, in order.
QStringList slotsOf(const ProblemSheet& sheet)
{
    QStringList out;
    for (int i = 0; i < sheet.count; ++i)
        out << QString::fromStdString(sheet.dividends[static_cast<std::size_t>(i)] + '/' +
                                      sheet.divisors[static_cast<std::size_t>(i)]);
    return out;
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
    // With the same mix, the first sheet is made as without it, and every later one has as many
    // problems of each type, distinct, in a new order; a type with too few problems for the whole
    // set still fills every sheet.
    void sameMix_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("layout");
        QTest::addRow("types 1-4, 4段3列") << QList<int>{1, 2, 3, 4} << 5;
        QTest::addRow("types 24, 3, 17, 12 in that order, 3段3列") << QList<int>{24, 3, 17, 12} << 4;
        QTest::addRow("type 22 inside type 20, 4段2列") << QList<int>{20, 22} << 2;
        QTest::addRow("type 17 alone, 2段2列: its four on every sheet") << QList<int>{17} << 0;
        QTest::addRow("type 17 alone, 3段2列: four of six on every sheet") << QList<int>{17} << 1;
    }
    void sameMix()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, layout);
        const auto pattern = static_cast<LayoutPattern>(layout);
        const BuiltSet set = setOf(types, pattern, 30, true, 2024);
        const BuiltSet plain = setOf(types, pattern, 1, false, 2024);
        QCOMPARE(slotsOf(set.sheets[0]), slotsOf(plain.sheets[0]));
        std::vector<int> mix = typesOn(set.sheets[0]);
        std::sort(mix.begin(), mix.end());
        bool reordered = false;
        for (std::size_t k = 1; k < set.sheets.size(); ++k) {
            const ProblemSheet& sheet = set.sheets[k];
            QCOMPARE(set.complete[k], set.complete[0]);
            std::vector<int> kinds = typesOn(sheet);
            reordered = reordered || kinds != typesOn(set.sheets[0]);
            std::sort(kinds.begin(), kinds.end());
            QCOMPARE(kinds, mix);
            QCOMPARE(static_cast<int>(problemsOn(sheet).size()), sheet.count);
        }
        QVERIFY(reordered || std::adjacent_find(mix.begin(), mix.end(), std::not_equal_to<>()) == mix.end());
    }

    // 型をまんべんなく: every ticked type as often as the count allows, the rest on different types,
    // in a new order on each sheet; with the same mix, sheet 0's balanced mix on every sheet.
    void balanced_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("sameMix");
        QTest::addRow("types 47-51, 4段3列") << QList<int>{47, 48, 49, 50, 51} << 5 << false;
        QTest::addRow("types 1-4, 3段3列") << QList<int>{1, 2, 3, 4} << 4 << false;
        QTest::addRow("nine types on 2段2列") << QList<int>{5, 6, 7, 8, 9, 10, 11, 12, 13} << 0 << false;
        QTest::addRow("types 47-51, 4段3列, same mix") << QList<int>{47, 48, 49, 50, 51} << 5 << true;
    }
    void balanced()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, layout);
        QFETCH(bool, sameMix);
        const auto pattern = static_cast<LayoutPattern>(layout);
        const BuiltSet set = setOf(types, pattern, 20, sameMix, 77, true);
        const int wanted = problemCount(pattern);
        const int kinds = static_cast<int>(types.size());
        bool reordered = false;
        for (std::size_t k = 0; k < set.sheets.size(); ++k) {
            QVERIFY(set.complete[k]);
            std::map<int, int> counts;
            for (int t : typesOn(set.sheets[k]))
                ++counts[t];
            QCOMPARE(static_cast<int>(counts.size()), std::min(kinds, wanted));
            int low = wanted, high = 0;
            for (int t : types) {
                low = std::min(low, counts[t]);
                high = std::max(high, counts[t]);
            }
            QCOMPARE(low, wanted / kinds);
            QCOMPARE(high, wanted / kinds + (wanted % kinds != 0 ? 1 : 0));
            if (sameMix) {
                std::vector<int> first = typesOn(set.sheets[0]), mine = typesOn(set.sheets[k]);
                std::sort(first.begin(), first.end());
                std::sort(mine.begin(), mine.end());
                QCOMPARE(mine, first);
            }
            reordered = reordered || typesOn(set.sheets[k]) != typesOn(set.sheets[0]);
        }
        QVERIFY(reordered);
    }

    // From easy to hard: the problems of each sheet in the order of their types on the type pages
    // (types 1-4 on the last page), the same problems as in random order.
    void easyOrder()
    {
        const QList<int> types{3, 40, 5, 12};
        const BuiltSet easy = setOf(types, LayoutPattern::R4C3, 5, false, 31, false, true);
        const BuiltSet random = setOf(types, LayoutPattern::R4C3, 5, false, 31);
        for (std::size_t k = 0; k < easy.sheets.size(); ++k) {
            QCOMPARE(problemsOn(easy.sheets[k]), problemsOn(random.sheets[k]));
            std::vector<int> ranks;
            for (int t : typesOn(easy.sheets[k]))
                ranks.push_back(typeDifficultyRank(t));
            QVERIFY(std::is_sorted(ranks.begin(), ranks.end()));
            QCOMPARE(typesOn(easy.sheets[k]).back(), 3);
        }
    }

    // A set with the same mix takes a problem of an earlier sheet again only where its type has
    // too few: none again while a type has more than the set needs, and each used about as often
    // when it has fewer.
    void sameMixRepeats_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("sheets");
        QTest::addColumn<int>("most");      // the most sheets that one problem is on
        QTest::addColumn<int>("distinct");  // problems in the set
        QTest::addRow("type 5: 120 of its 142, each once") << QList<int>{5} << 30 << 1 << 120;
        QTest::addRow("types 13 and 24, each once") << QList<int>{13, 24} << 30 << 1 << 120;
        QTest::addRow("type 11: 40 slots on its 13, each 3 or 4 times") << QList<int>{11} << 10 << 4 << 13;
    }
    void sameMixRepeats()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, sheets);
        QFETCH(int, most);
        QFETCH(int, distinct);
        std::map<std::pair<std::string, std::string>, int> on;
        for (const ProblemSheet& sheet : setOf(types, LayoutPattern::R2C2, sheets, true, 99).sheets)
            for (const auto& p : problemsOn(sheet))
                ++on[p];
        int mostOn = 0;
        for (const auto& [p, n] : on)
            mostOn = std::max(mostOn, n);
        QCOMPARE(mostOn, most);
        QCOMPARE(static_cast<int>(on.size()), distinct);
    }

    // The draws of a later same-mix sheet: each slot runs its type's rule (no type is drawn), a
    // problem of an earlier sheet or of this one is drawn again, the 100th draw settles for an
    // earlier sheet's problem (the first once a slot of the type settled; the 10th in a set of an
    // older code), and then the slots are put in a new order by R(4), R(3), R(2).
    void sameMixDrawOrder_data()
    {
        QTest::addColumn<QList<int>>("later");  // the draws of sheet 2
        QTest::addColumn<bool>("drawsAsBefore");
        QTest::addColumn<QStringList>("placed");
        QList<int> again{0, 0, 1, 0, 1, 0, 1, 1, 1, 2, 1, 3, 3, 0, 1};
        QTest::addRow("drawn again") << again << false << QStringList{"6/2", "4/2", "2/2", "8/2"};
        QList<int> settles;
        for (int i = 0; i < 99; ++i)
            settles << 0 << 0;  // 1 / 1, on sheet 1
        settles << 0 << 1 << 1 << 0 << 1 << 1 << 1 << 2 << 0 << 0 << 0;
        QTest::addRow("settles on draw 100") << settles << false << QStringList{"2/2", "4/2", "6/2", "1/1"};
        QList<int> usedUp;
        for (int i = 0; i < 100; ++i)
            usedUp << 0 << 0;  // 1 / 1
        QList<int> usedUpNow = usedUp;
        for (int i = 0; i < 10; ++i)
            usedUp << 0 << 1;  // 2 / 1: the type has shown none new, so 10 draws
        usedUp << 1 << 0 << 1 << 1 << 0 << 0 << 0;
        QTest::addRow("then settles on draw 10, as before") << usedUp << true << QStringList{"2/1", "2/2", "4/2", "1/1"};
        // 2 / 1 settles at once, though 2 / 2 would have been new.
        usedUpNow << 0 << 1 << 1 << 0 << 1 << 1 << 0 << 0 << 0;
        QTest::addRow("then settles on draw 1") << usedUpNow << false << QStringList{"2/1", "2/2", "4/2", "1/1"};
    }
    void sameMixDrawOrder()
    {
        QFETCH(QList<int>, later);
        QFETCH(bool, drawsAsBefore);
        QFETCH(QStringList, placed);
        std::vector<int> script;
        for (int i = 0; i < 4; ++i)
            append(script, {0, 0, i});  // type 3: 1 / 1, 2 / 1, 3 / 1, 4 / 1
        script.insert(script.end(), later.begin(), later.end());
        ScriptedRandom random(script);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        std::vector<ProblemSheet> sheets;
        try {
            const SetRecipe recipe{0, {3}, LayoutPattern::R2C2, true, false, false, drawsAsBefore};
            buildSheets(recipe, 0, 2, 1, ctx, [&](long long, const ProblemSheet& s, bool) {
                sheets.push_back(s);
                return true;
            });
        } catch (const RandomScriptError& e) {
            QFAIL(e.what());
        }
        QVERIFY(random.exhausted());
        QCOMPARE(slotsOf(sheets[1]), placed);
        const std::vector<int> asked(random.asked().begin() + 12, random.asked().end());
        std::vector<int> expected(static_cast<std::size_t>(later.size() - 3), 9);
        expected.insert(expected.end(), {4, 3, 2});
        QCOMPARE(asked, expected);
    }

    // Sheets handed on from the middle of a set are those of the whole set, with their origin and
    // the print numbers counted from the first one handed on.
    void setFromTheMiddle()
    {
        const QList<int> types{12, 3, 24};
        const BuiltSet whole = setOf(types, LayoutPattern::R3C3, 6, true, 5);
        const SetRecipe recipe{5, {12, 3, 24}, LayoutPattern::R3C3, true};
        BudgetedSeeded random(5);
        test::CollectingReporter reporter;
        RuleContext ctx{random, test::tables(), reporter};
        std::vector<std::pair<long long, ProblemSheet>> handed;
        buildSheets(recipe, 4, 2, -3, ctx, [&](long long k, const ProblemSheet& sheet, bool) {
            handed.push_back({k, sheet});
            return true;
        });
        QCOMPARE(handed.size(), std::size_t{2});
        for (const auto& [k, sheet] : handed) {
            QCOMPARE(slotsOf(sheet), slotsOf(whole.sheets[static_cast<std::size_t>(k)]));
            QCOMPARE(sheet.printNumber, static_cast<int>(k) - 7);
            QVERIFY(sheet.origin == (SheetOrigin{recipe, k}));
        }
        QCOMPARE(handed.front().first, 4);
    }
};

QTEST_APPLESS_MAIN(TestSheet)
#include "tst_sheet.moc"
