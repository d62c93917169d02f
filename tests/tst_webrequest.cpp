// The web page's request: its address fragment reads back to what it wrote, a part it cannot use
// is left at its default with a Japanese note (never taken as it stands), and the type boxes keep
// the ticking order of the window's list.
#include "SheetCode.h"
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
        r.balanced = true;
        r.easyOrder = true;
        r.settings.marks = {NumberStyle::Parenthesized, true, true, true};
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
        QVERIFY(read.request.balanced && read.request.easyOrder);
        QVERIFY(read.request.settings.marks == r.settings.marks);
    }

    // コードから作る: a sheet of a balanced same-mix set made again from the code its page carries,
    // the same problems and marks; a mistyped code keeps the request and says why.
    void sheetMadeAgainFromItsCode()
    {
        SheetRequest r = readFragment("types=47-51&layout=4x3&seed=99&sheets=4&print-number=7&same-mix=1&balanced=1"
                                      "&numbers=parens&check=1").request;
        const SheetSet set = makeSet(r);
        const ProblemSheet& third = set.sheets[2];
        const std::string code = encodeSheetCode({*third.origin, third.printNumber, r.settings.marks});
        const ReadRequest again = requestFromCode(code, readFragment("style=expression").request);
        QCOMPARE(again.notes, std::vector<std::string>{});
        QCOMPARE(again.request.settings.style, QuestionStyle::Expression);
        QVERIFY(again.request.settings.marks == r.settings.marks);
        const SheetSet made = makeSet(readFragment(fragmentOf(again.request)).request);
        QCOMPARE(made.sheets.size(), std::size_t{1});
        QVERIFY(made.sheets[0].dividends == third.dividends && made.sheets[0].divisors == third.divisors);
        QCOMPARE(made.sheets[0].printNumber, 9);
        const ReadRequest wrong = requestFromCode(code.substr(1), r);
        QCOMPARE(wrong.notes.size(), std::size_t{1});
        QCOMPARE(fragmentOf(wrong.request), fragmentOf(r));
    }

    // A same-mix code printed before such sets drew as they do now makes its sheet as printed,
    // through the page's address too.
    void sameMixCodePrintedBefore()
    {
        const ReadRequest read = requestFromCode("48F6-3CA0-1TD", readFragment("").request);
        const SheetSet made = makeSet(readFragment(fragmentOf(read.request)).request);
        const std::vector<std::string> dividends(made.sheets[0].dividends.begin(), made.sheets[0].dividends.begin() + 4);
        QCOMPARE(dividends, (std::vector<std::string>{"80", "30", "40", "50"}));
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
        QTest::addRow("numbers unknown") << "numbers=roman" << "numbers=circled";
        QTest::addRow("order unknown") << "order=hard" << "order=random";
        QTest::addRow("check yes") << "check=yes" << "check=0";
        QTest::addRow("last print number beyond int") << "print-number=2147483647&sheets=2" << "sheets=1";
        QTest::addRow("unknown option") << "colour=red" << "types=";
        QTest::addRow("print number past the field") << "print-number=2147483648" << "print-number=1&";
        QTest::addRow("print number below the field") << "print-number=-2147483649" << "print-number=1&";
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

    // An address may carry no more than the controls take, and what it carries beyond that is
    // said in one short message, however long the address.
    void hostileAddressesGiveOneShortMessage_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<int>("notes");
        QTest::addColumn<QString>("said");
        QString unknown = QStringLiteral("types=1&");
        QString margins = QStringLiteral("types=1&");
        for (int i = 0; i < 25000; ++i) {
            unknown += QStringLiteral("x%1=1&").arg(i);
            margins += QStringLiteral("margin=0&");
        }
        QTest::addRow("25,000 unknown keys") << unknown << 1 << "「x0」「x1」「x2」ほか24997個";
        QTest::addRow("one unknown key 25,000 times") << "types=1&" + QStringLiteral("x=1&").repeated(25000) << 1
                                                      << "アドレスの「x」は";
        QTest::addRow("25,000 bad margins") << margins << 4 << "ほかに24997か所";
        QTest::addRow("a 100,000-character key") << "types=1&" + QString(100000, 'k') + "=1" << 1 << "kkkk…」";
        QTest::addRow("a 100,000-character value") << "types=1&margin=" + QString(100000, '9') << 1 << "=9999";
        QTest::addRow("a 100,000-character sentence") << "types=1&sentence=" + QString(100000, QChar(0x3042)) << 1 << "200字";
    }
    void hostileAddressesGiveOneShortMessage()
    {
        QFETCH(QString, fragment);
        QFETCH(int, notes);
        QFETCH(QString, said);
        const ReadRequest read = readFragment(fragment.toStdString());
        QCOMPARE(read.notes.size(), static_cast<std::size_t>(notes));
        std::string all;
        for (const std::string& note : read.notes)
            all += note;
        QVERIFY2(all.size() < 600 && QString::fromStdString(all).contains(said), all.c_str());
        QCOMPARE(read.request.types, std::vector<int>{1});
        QVERIFY(QString::fromStdString(read.request.settings.sentence).size() <= 200);
    }

    // What the page writes back reads as it is: "types=" ticks no type, a "+" is a blank.
    void pageTextsReadAsWritten()
    {
        const ReadRequest none = readFragment("types=1&types=&sentence=a+b%2Bc");
        QCOMPARE(none.notes, std::vector<std::string>{});
        QCOMPARE(none.request.types, std::vector<int>{});
        QCOMPARE(none.request.settings.sentence, std::string("a b+c"));
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
