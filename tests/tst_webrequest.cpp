// The web page's request: its address fragment reads back to what it wrote, a part it cannot use
// is left at its default with a Japanese note (never taken as it stands), and the type boxes keep
// the ticking order of the window's list.
#include "SheetRequest.h"

#include <QtTest>

using namespace pelkano;
using namespace pelkano::web;

class TestWebRequest : public QObject {
    Q_OBJECT

private slots:
    void fragmentReadsBack()
    {
        SheetRequest r;
        r.practice = true;
        r.types = {12, 1, 2, 3, 4, 20};
        r.sheets = 30;
        r.printNumber = -4;
        r.seed = 18446744073709551615ULL;  // the largest seed, beyond long long
        r.answers = AnswerSheets::AtEnd;
        r.settings.pattern = LayoutPattern::R4C2;
        r.settings.style = QuestionStyle::Expression;
        r.settings.frame = false;
        r.settings.tentative = true;
        r.settings.leftMargin = 70;
        r.settings.lineWidth = 4;
        r.settings.sentence = "名前 & <な>=100% + #1";
        r.paper = paperByName("legal");
        r.paperMargin = 0;
        r.dpi = 300;
        const ReadRequest read = readFragment(fragmentOf(r));
        QCOMPARE(read.notes, std::vector<std::string>{});
        QCOMPARE(fragmentOf(read.request), fragmentOf(r));
        QCOMPARE(read.request.types, r.types);
        QCOMPARE(read.request.settings.sentence, r.settings.sentence);
        QCOMPARE(*read.request.seed, *r.seed);
        QVERIFY(read.request.practice);
    }

    void unusablePartsKeepTheirDefaults_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("kept");
        QTest::addRow("margin 0") << "margin=0" << "margin=15";
        QTest::addRow("margin beyond int") << "margin=99999999999999999999" << "margin=15";
        QTest::addRow("line width 5") << "line-width=5" << "line-width=1";
        QTest::addRow("1001 sheets") << "sheets=1001" << "sheets=1";
        QTest::addRow("type 79") << "types=1,79" << "types=&";
        QTest::addRow("a type twice") << "types=1-3,2" << "types=&";
        QTest::addRow("negative seed") << "types=1&seed=-1" << "types=1&layout=2x3&print-number";
        QTest::addRow("unknown layout") << "layout=5x5" << "layout=2x3";
        QTest::addRow("unknown paper") << "page-size=A9" << "page-size=A4";
        QTest::addRow("frame yes") << "frame=yes" << "frame=1";
        QTest::addRow("tentative 2") << "tentative=2" << "tentative=0";
        QTest::addRow("answers 2") << "answers=2" << "answers=0";
        QTest::addRow("last print number beyond int") << "print-number=2147483647&sheets=2" << "sheets=1";
        QTest::addRow("unknown option") << "colour=red" << "types=";
    }

    void unusablePartsKeepTheirDefaults()
    {
        QFETCH(QString, fragment);
        QFETCH(QString, kept);
        const ReadRequest read = readFragment(fragment.toStdString());
        QCOMPARE(read.notes.size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(fragmentOf(read.request)).contains(kept), fragmentOf(read.request).c_str());
        const QString note = QString::fromStdString(read.notes.front());
        QVERIFY2(note.contains(QStringLiteral("使えない")) || note.contains(QStringLiteral("使いません")) ||
                     note.contains(QStringLiteral("扱えない")),
                 read.notes.front().c_str());
    }

    void ticksKeepTheirOrder()
    {
        QCOMPARE(tick({12, 3}, 1, true), (std::vector<int>{12, 3, 1}));
        QCOMPARE(tick({12, 3, 1}, 3, false), (std::vector<int>{12, 1}));
        QCOMPARE(tick({12, 3}, 12, true), (std::vector<int>{12, 3}));
    }

    void printNumberGoesOnPastTheSet()
    {
        QCOMPARE(nextPrintNumber(5, 30), 35);
        QCOMPARE(nextPrintNumber(2147483647, 1), 2147483647);
    }
};

QTEST_MAIN(TestWebRequest)
#include "tst_webrequest.moc"
