// The teacher's description of every type against the problems the type's rule makes: digit
// counts, remainder, the quotient's zero places and the lowerings of the tentative quotient.
#include "LongDivision.h"
#include "TypeSampling.h"
#include "Units.h"

#include <QtTest>

#include <algorithm>
#include <map>
#include <string>

using namespace pelkano;

class TestTypeDescriptions : public QObject {
    Q_OBJECT

private slots:
    // The units cover every type, each names only types it can find again by its name, and the
    // two 2けた units split the types that tell their corrections.
    void unitsCoverEveryType()
    {
        std::vector<bool> covered(kTypeCount + 1, false);
        for (const Unit& unit : units()) {
            QVERIFY(!unit.types.empty());
            QCOMPARE(unitByName(unit.name), &unit);
            for (int t : unit.types)
                covered[static_cast<std::size_t>(t)] = true;
        }
        for (int t = 1; t <= kTypeCount; ++t)
            QVERIFY2(covered[static_cast<std::size_t>(t)], qPrintable(QString::number(t)));
        QCOMPARE(unitByName("2けたでわる（仮商そのまま）")->types, (std::vector<int>{46, 54}));
        QCOMPARE(unitByName("何でもない"), nullptr);
    }
    void descriptionMatchesTheRule_data()
    {
        QTest::addColumn<int>("type");
        for (int type = 1; type <= kTypeCount; ++type)
            QTest::addRow("type %d", type) << type;
    }

    void descriptionMatchesTheRule()
    {
        QFETCH(int, type);
        const TypeDescription& d = typeDescription(type);
        const test::ProblemCounts sample = test::sampleType(type, 3000, 4100 + static_cast<unsigned>(type));
        QVERIFY(!sample.empty());
        bool exact = false;
        bool inexact = false;
        for (const auto& [problem, count] : sample) {
            const auto [dividend, divisor] = problem;
            const QString what = QStringLiteral("%1 / %2").arg(dividend).arg(divisor);
            const int quotient = dividend / divisor;
            QVERIFY2(digitCount(dividend) >= d.dividendDigitsMin && digitCount(dividend) <= d.dividendDigitsMax,
                     qPrintable(what));
            QVERIFY2(digitCount(divisor) == d.divisorDigits, qPrintable(what));
            QVERIFY2(quotient == 0 ? d.quotientDigits == 0 : digitCount(quotient) == d.quotientDigits, qPrintable(what));
            (dividend % divisor == 0 ? exact : inexact) = true;
            // The quotient places the table marks as 0, and only those, are 0.
            const std::string q = std::to_string(quotient);
            const bool onesZero = q.size() > 1 && q.back() == '0';
            const bool tensZero = q.size() > 2 && q[q.size() - 2] == '0';
            const bool otherZero = std::count(q.begin(), q.end(), '0') > int(onesZero) + int(tensZero);
            QVERIFY2(!otherZero || quotient == 0, qPrintable(what));
            QVERIFY2(onesZero == (d.zeros == QuotientZeros::Ones || d.zeros == QuotientZeros::TensAndOnes), qPrintable(what));
            QVERIFY2(tensZero == (d.zeros == QuotientZeros::Tens || d.zeros == QuotientZeros::TensAndOnes), qPrintable(what));
            if (d.corrections >= 0) {
                // The tentative quotient: the first partial dividend without its units digit,
                // divided by the divisor's tens digit; 9 where that gives 10 or more. Where the
                // description says it starts from 9, it is always 9.
                const LongDivision working = LongDivision::of(dividend, divisor);
                const DivisionStep& first = working.steps.at(0);
                const int leading = first.partialDividend / 10 / (divisor / 10);
                QVERIFY2(!d.fromNine || leading >= 9, qPrintable(what));
                QVERIFY2(std::min(leading, 9) - first.quotientDigit == d.corrections, qPrintable(what));
            }
        }
        QCOMPARE(exact, d.remainder != RemainderKind::Some);
        QCOMPARE(inexact, d.remainder != RemainderKind::None);
        // The example is one of the type's problems.
        QVERIFY2(sample.count({d.example.dividend, d.example.divisor}) > 0,
                 qPrintable(QStringLiteral("%1 / %2").arg(d.example.dividend).arg(d.example.divisor)));
    }

    // No two types read the same (tooltips and --list-types).
    void everyTypeToldApart()
    {
        std::map<std::string, int> seen;
        for (int type = 1; type <= kTypeCount; ++type) {
            const auto [other, added] = seen.emplace(typeDescriptionText(type), type);
            QVERIFY2(added, qPrintable(QStringLiteral("types %1 and %2: %3")
                                           .arg(other->second)
                                           .arg(type)
                                           .arg(QString::fromStdString(other->first))));
        }
    }

    void text_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addRow("a range of dividend digits") << 3 << "1〜2けた÷1けた　あまりなし　商は1けた　九九の答えをわる　例 24÷6";
        QTest::addRow("a digit divided on its own") << 8 << "2けた÷1けた　あまりあり　商は2けた　十の位がわり切れ、一の位だけをわる　例 86÷4";
        QTest::addRow("quotient 0") << 53 << "1けた÷2けた　あまりあり／なし　商は0　例 5÷31";
        QTest::addRow("ones place 0") << 10 << "2けた÷1けた　あまりあり　商は2けたで一の位が0　十の位がわり切れ、一の位がわる数より小さい　例 62÷3";
        QTest::addRow("tens and ones places 0") << 70 << "4けた÷2けた　あまりあり／なし　商は3けたで十の位と一の位が0　上2けたがわり切れ、下2けたがそのままあまり　例 3519÷35";
        QTest::addRow("no lowering") << 46 << "2けた÷2けた　あまりあり／なし　商は1けた　仮商の修正なし　例 89÷39";
        QTest::addRow("lowered once") << 47 << "2けた÷2けた　あまりあり／なし　商は1けた　仮商を1回修正　例 80÷42";
        QTest::addRow("from nine, none") << 58 << "3けた÷2けた　あまりあり　商は1けた　仮商9から修正なし　例 203÷22";
        QTest::addRow("from nine, twice") << 60 << "3けた÷2けた　あまりあり　商は1けた　仮商9から2回修正　例 116÷16";
    }

    void text()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(typeDescriptionText(type)), text);
    }
};

QTEST_MAIN(TestTypeDescriptions)
#include "tst_typedescriptions.moc"
