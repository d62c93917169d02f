// The random source, the list of ticked types and the written working of a division.
#include "LongDivision.h"
#include "Random.h"
#include "Sheet.h"

#include <QtTest>

#include <set>

using namespace pelkano;

class TestFoundation : public QObject {
    Q_OBJECT
private slots:
    void seededSourceIsReproducibleAndInRange()
    {
        SeededRandom a(42), b(42);
        for (int i = 0; i < 1000; ++i) {
            const int n = 1 + i % 97;
            const int v = a.R(n);
            QCOMPARE(b.R(n), v);
            QVERIFY(v >= 0 && v < n);
        }
        QCOMPARE(a.R(0), 0);
        QCOMPARE(a.R(-3), 0);
    }

    // The sequence is fixed by the engine and the bounded draw, not by the standard library.
    void seededSourceHasAFixedSequence()
    {
        SeededRandom r(1);
        std::vector<int> got;
        for (int i = 0; i < 8; ++i)
            got.push_back(r.R(1000));
        std::mt19937_64 engine(1);
        std::vector<int> expected;
        for (int i = 0; i < 8; ++i)
            expected.push_back(static_cast<int>(engine() % 1000));  // no rejection at these odds
        QCOMPARE(got, expected);
    }

    void seededSourceIsUniform()
    {
        SeededRandom r(7);
        std::array<int, 7> counts{};
        const int draws = 70000;
        for (int i = 0; i < draws; ++i)
            ++counts[static_cast<std::size_t>(r.R(7))];
        for (int c : counts)
            QVERIFY2(std::abs(c - draws / 7) < 500, qPrintable(QString::number(c)));
    }

    void scriptedSourceRecordsAndRefuses()
    {
        ScriptedRandom s({3, 0, 5});
        QCOMPARE(s.R(4), 3);
        QCOMPARE(s.R(0), 0);
        QVERIFY_THROWS_EXCEPTION(RandomScriptError, s.R(5));  // 5 does not fit R(5)
        ScriptedRandom dry({});
        QVERIFY_THROWS_EXCEPTION(RandomScriptError, dry.R(2));
        QCOMPARE(s.asked(), (std::vector<int>{4, 0, 5}));
    }

    void tickAndUntick_data()
    {
        QTest::addColumn<QList<int>>("clicks");  // positive: tick, negative: untick
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("enabled");
        QTest::addRow("5, 1, 30") << QList<int>{5, 1, 30} << QStringList{"5", "1", "30"} << true;
        QTest::addRow("5, 1, 30, untick 1") << QList<int>{5, 1, 30, -1} << QStringList{"5", "30"} << true;
        QTest::addRow("tick and untick") << QList<int>{12, -12} << QStringList{} << false;
        QTest::addRow("untick the first of two") << QList<int>{7, 8, -7} << QStringList{"8"} << true;
    }
    void tickAndUntick()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QStringList, expected);
        QFETCH(bool, enabled);
        SelectedTypes selected;
        for (int c : clicks)
            selected.tick(std::abs(c), c > 0);
        QStringList got;
        for (const auto& e : selected.entries())
            got << QString::fromStdString(e);
        QCOMPARE(got, expected);
        QCOMPARE(selected.commandsEnabled(), enabled);
    }

    void longDivision_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QList<int>>("partials");
        QTest::addColumn<QList<int>>("digits");
        QTest::addColumn<QList<int>>("overDigit");
        QTest::addColumn<int>("remainder");
        QTest::addRow("8765 / 43") << 8765 << 43 << QList<int>{87, 16, 165} << QList<int>{2, 0, 3} << QList<int>{1, 2, 3} << 36;
        QTest::addRow("612 / 6") << 612 << 6 << QList<int>{6, 1, 12} << QList<int>{1, 0, 2} << QList<int>{0, 1, 2} << 0;
        QTest::addRow("3 / 7, quotient 0") << 3 << 7 << QList<int>{3} << QList<int>{0} << QList<int>{0} << 3;
        QTest::addRow("23 / 45, quotient 0") << 23 << 45 << QList<int>{23} << QList<int>{0} << QList<int>{1} << 23;
        QTest::addRow("0 / 12") << 0 << 12 << QList<int>{0} << QList<int>{0} << QList<int>{0} << 0;
        QTest::addRow("700 / 7") << 700 << 7 << QList<int>{7, 0, 0} << QList<int>{1, 0, 0} << QList<int>{0, 1, 2} << 0;
        QTest::addRow("1000 / 8") << 1000 << 8 << QList<int>{10, 20, 40} << QList<int>{1, 2, 5} << QList<int>{1, 2, 3} << 0;
        QTest::addRow("23988 / 12") << 23988 << 12 << QList<int>{23, 119, 118, 108} << QList<int>{1, 9, 9, 9} << QList<int>{1, 2, 3, 4} << 0;
    }
    void longDivision()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(QList<int>, partials);
        QFETCH(QList<int>, digits);
        QFETCH(QList<int>, overDigit);
        QFETCH(int, remainder);
        const LongDivision w = LongDivision::of(dividend, divisor);
        QList<int> gotPartials, gotDigits, gotOver;
        for (const auto& s : w.steps) {
            gotPartials << s.partialDividend;
            gotDigits << s.quotientDigit;
            gotOver << s.lastDigit;
            QCOMPARE(s.product, s.quotientDigit * divisor);
            QCOMPARE(s.remainder, s.partialDividend - s.product);
        }
        QCOMPARE(gotPartials, partials);
        QCOMPARE(gotDigits, digits);
        QCOMPARE(gotOver, overDigit);
        QCOMPARE(w.remainder, remainder);
        QCOMPARE(w.steps.back().remainder, remainder);
    }

    // The quotient digits tried and rejected before each step's own, step by step.
    void rejectedQuotients_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QList<QList<int>>>("tried");
        QTest::addRow("92 / 19 (type 51), lowered five times") << 92 << 19 << QList<QList<int>>{{9, 8, 7, 6, 5}};
        QTest::addRow("8765 / 43, only the last step") << 8765 << 43 << QList<QList<int>>{{}, {}, {4}};
        QTest::addRow("23988 / 12, 11 / 1 starts from 9") << 23988 << 12 << QList<QList<int>>{{2}, {}, {}, {}};
        QTest::addRow("900 / 181, hundreds digit of the divisor") << 900 << 181 << QList<QList<int>>{{9, 8, 7, 6, 5}};
        QTest::addRow("41 / 43, smaller than the divisor") << 41 << 43 << QList<QList<int>>{{}};
    }
    void rejectedQuotients()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(QList<QList<int>>, tried);
        const LongDivision w = LongDivision::of(dividend, divisor);
        QList<QList<int>> got;
        for (const DivisionStep& s : w.steps) {
            const std::vector<int> r = pelkano::rejectedQuotients(s, divisor);
            got << QList<int>(r.begin(), r.end());
        }
        QCOMPARE(got, tried);
    }
};

QTEST_APPLESS_MAIN(TestFoundation)
#include "tst_foundation.moc"
