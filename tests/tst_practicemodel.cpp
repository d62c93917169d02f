// The practice model without a window: what each wrong row is diagnosed as, judged against the
// pupil's own earlier rows; the cursor, the levels, the hints; the results, their CSV and page.
#include "PracticeModel.h"
#include "PracticeReport.h"
#include "RecordingSurface.h"
#include "ResultsPage.h"

#include <QTest>

using namespace pelkano;

namespace {

// "2@1 86 0@2 165": a quotient digit and the dividend digit it stands over, a number, or "_"
// for a row left empty.
std::vector<WrittenRow> rowsOf(const QString& text)
{
    std::vector<WrittenRow> rows;
    for (const QString& token : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = token.split(u'@');
        WrittenRow row;
        if (parts[0] != u"_")
            row.digits = parts[0].toStdString();
        if (parts.size() > 1)
            row.column = parts[1].toInt();
        rows.push_back(row);
    }
    return rows;
}

QString kindsOf(const std::vector<Diagnosis>& found)
{
    QStringList kinds;
    for (const Diagnosis& d : found)
        kinds << QString::fromUtf8(mistakeName(d.kind));
    return kinds.join(u',');
}

// Keys as in the window test: digits, '<' '>' the arrows, '#' Backspace, '!' Enter, 'h' a hint.
void press(PracticeProblem& p, const QString& keys)
{
    for (const QChar c : keys) {
        if (c.isDigit())
            p.type(c.digitValue());
        else if (c == u'<')
            p.moveLeft();
        else if (c == u'>')
            p.moveRight();
        else if (c == u'#')
            p.backspace();
        else if (c == u'!')
            p.check();
        else if (c == u'h')
            p.hint();
    }
}

// Every digit shown, with its place and ink.
QString cellsOf(const PracticeProblem& p)
{
    QStringList cells;
    for (const PracticeProblem::Cell& c : p.shownCells())
        cells << QStringLiteral("%1,%2:%3/%4").arg(c.at.row).arg(c.at.column).arg(QChar(c.digit)).arg(static_cast<int>(c.ink));
    return cells.join(u' ');
}

QStringList pictureOf(const PracticeProblem& p)
{
    QStringList rows;
    for (const std::string& r : p.picture())
        rows << QString::fromStdString(r);
    return rows;
}

}  // namespace

class TestPracticeModel : public QObject {
    Q_OBJECT

private slots:
    // Each row: a problem, the rows a pupil writes, and every mistake they show, first first.
    void diagnosis_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<int>("wrongRow");   // the row the first mistake is in
        QTest::addColumn<QString>("says");   // a part of its message

        QTest::addRow("8765/43 worked right") << 8765 << 43 << false << "2@1 86 0@2 165 3@3 129 36" << "" << 0 << "";
        QTest::addRow("place: over 8, too far left")
            << 8765 << 43 << false << "2@0" << "商の位置" << 0 << "8 の中に 43 は入らないので";
        QTest::addRow("place: over 6, too far right")
            << 8765 << 43 << false << "2@2" << "商の位置" << 0 << "87 の中に 43 は入るね";
        QTest::addRow("place: a later digit past the digit brought down")
            << 9876 << 12 << false << "8@1 96 27 2@3" << "商の位置" << 3 << "7 をおろしたら";
        QTest::addRow("zero: a second digit brought down instead (23 for 203)")
            << 8765 << 43 << false << "2@1 86 3@2" << "商の0" << 2 << "16 の中に 43 は入るかな";
        QTest::addRow("zero: skipped, the next digit one place right")
            << 8765 << 43 << false << "2@1 86 3@3" << "商の0" << 2 << "6 の上の商に 0";
        QTest::addRow("zero: the last 0 of 430/43 left out")
            << 430 << 43 << false << "1@1 43 _" << "商の0" << 2 << "0 の中に 43 は入るかな";
        QTest::addRow("zero: guided, a digit in the 0's cell")
            << 8765 << 43 << true << "2@1 86 3@2" << "商の0" << 2 << "16 の中に 43";
        QTest::addRow("too large: the tentative quotient 4 of 87/23")
            << 87 << 23 << false << "4@1 92" << "仮商が大きい" << 0 << "4×23=92 は 87 より大きいね。見当をつけた商 4 を 1 小さく";
        QTest::addRow("too large: not the tentative quotient")
            << 87 << 23 << false << "5@1 115" << "仮商が大きい" << 0 << "5×23=115 は 87 より大きいね。商を小さく";
        QTest::addRow("too large: shown at the product even when it is wrong")
            << 87 << 23 << false << "4@1 82" << "仮商が大きい" << 0 << "4×23=92";
        QTest::addRow("too large: guided, at once") << 87 << 23 << true << "4@1" << "仮商が大きい" << 0 << "4×23=92";
        QTest::addRow("too large: a quotient 1 where 35/70 has 0")
            << 35 << 70 << false << "1@1" << "仮商が大きい" << 0 << "1×70=70 は 35 より大きいね";
        QTest::addRow("too small: the remainder 41 of 87/23")
            << 87 << 23 << false << "2@1 46 41" << "仮商が小さい" << 0 << "87−46=41 は 23 より大きいね";
        QTest::addRow("too small: what is left equals the divisor")
            << 92 << 23 << false << "3@1 69 23" << "仮商が小さい" << 0 << "92−69=23 は 23 と同じだね";
        QTest::addRow("too small: shown before a 0 step")
            << 8765 << 43 << false << "1@1 43 0@2" << "仮商が小さい" << 0 << "87−43=44";
        QTest::addRow("too small: 0 where the divisor goes in")
            << 87 << 23 << false << "0@1" << "仮商が小さい" << 0 << "87 の中に 23 は入るね";
        QTest::addRow("too small: guided, at once")
            << 8765 << 43 << true << "2@1 86 0@2 165 2@3" << "仮商が小さい" << 4 << "165−86=79 は 43 より大きいね";
        QTest::addRow("product: the difference right for it is no second mistake")
            << 87 << 23 << false << "3@1 68 19" << "かけ算" << 1 << "3×23 は 68 ではありません";
        QTest::addRow("product, then a difference wrong for it: two mistakes")
            << 87 << 23 << false << "3@1 68 18" << "かけ算,ひき算" << 1 << "3×23";
        QTest::addRow("product: a number of the wrong length")
            << 8765 << 43 << false << "2@1 806" << "かけ算" << 1 << "2×43 の答えは 2けたです";
        QTest::addRow("product: a one-digit divisor")
            << 96 << 4 << false << "2@0 6" << "かけ算" << 1 << "九九の 2 のだん";
        QTest::addRow("subtraction: the smaller digit from the larger")
            << 87 << 23 << false << "3@1 69 22" << "ひき算" << 2 << "87−69 の一の位は 7 から 9 がひけないね";
        QTest::addRow("subtraction: a borrow across 0, the 0 becomes 9 and lends nothing")
            << 3025 << 41 << false << "7@2 287 1155" << "ひき算" << 2 << "302−287 は十の位の 0 からくり下げられない";
        QTest::addRow("subtraction: a borrow across 0, the 0 becomes 10")
            << 3025 << 41 << false << "7@2 287 255" << "ひき算" << 2 << "十の位は 9 になります";
        QTest::addRow("subtraction: other wrong digits, brought down right")
            << 8765 << 43 << false << "2@1 86 0@2 265" << "ひき算" << 3 << "2+86 が 87 になるか";
        QTest::addRow("bring down: no digit") << 9876 << 12 << false << "8@1 96 2" << "おろす数" << 2
                                              << "ひいた答え 2 の右に、つぎの数字 7 を";
        QTest::addRow("bring down: one of two after a 0")
            << 8765 << 43 << false << "2@1 86 0@2 16" << "おろす数" << 3 << "5 もおろしましょう";
        QTest::addRow("bring down: two digits at once")
            << 9876 << 12 << false << "8@1 96 276" << "おろす数" << 2 << "7 までおろしたら";
        QTest::addRow("bring down: the wrong digit")
            << 9876 << 12 << false << "8@1 96 26" << "おろす数" << 2 << "わられる数の 7 です";
        QTest::addRow("remainder: missing") << 96 << 4 << false << "2@0 8 16 4@1 16 _" << "あまり" << 5
                                            << "あまりを書きましょう";
        QTest::addRow("subtraction: a wrong difference, only one of two digits brought down")
            << 8765 << 43 << false << "2@1 86 0@2 26" << "ひき算" << 3 << "87−86 は 2 ではありません";
        QTest::addRow("remainder: equal to the divisor")
            << 95 << 4 << false << "2@0 8 15 3@1 12 4" << "あまり" << 5 << "あまり 4 は わる数 4";
        QTest::addRow("too large: a product one more than the partial dividend")
            << 91 << 23 << false << "4@1 92" << "仮商が大きい" << 0 << "4×23=92 は 91 より大きい";
        QTest::addRow("a product equal to the partial dividend") << 92 << 23 << false << "4@1 92 0" << "" << 0 << "";
        QTest::addRow("remainder: not less than the divisor")
            << 8765 << 43 << false << "2@1 86 0@2 165 3@3 129 56" << "あまり" << 6 << "あまり 56 は わる数 43";
        QTest::addRow("no kind: a difference that comes from nothing")
            << 8765 << 43 << false << "2@1 86 0@2 275" << "そのほか" << 3 << "275 は、87−86";
    }

    void diagnosis()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(bool, guided);
        QFETCH(QString, rows);
        QFETCH(QString, kinds);
        QFETCH(int, wrongRow);
        QFETCH(QString, says);
        const std::vector<Diagnosis> found = diagnose(LongDivision::of(dividend, divisor), rowsOf(rows),
                                                      guided ? PracticeLevel::Guided : PracticeLevel::Alone);
        QCOMPARE(kindsOf(found), kinds);
        if (found.empty())
            return;
        QCOMPARE(static_cast<int>(found.front().row), wrongRow);
        const QString message = QString::fromStdString(found.front().message);
        QVERIFY2(message.contains(says), qPrintable(message));
    }

    // Workings as pupils write them, keys and all ('!' Enter, '>' the right arrow), with Enter
    // after every number and without it: what a teacher would count, and what the line says.
    void workings_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("mistakes");
        QTest::addColumn<QString>("says");  // the start of the status line at the end ("" when finished)

        QTest::addRow("95/4 alone, Enter after every number") << 95 << 4 << false << "2!8!15!3!12!3!" << "" << "";
        QTest::addRow("95/4 alone, Enter after 12 too") << 95 << 4 << false << "2815312!3!" << "" << "";
        QTest::addRow("95/4 guided, Enter after every number") << 95 << 4 << true << "2!8!15!3!12!3!" << "" << "";
        QTest::addRow("87/23 alone, Enter twice before the remainder") << 87 << 23 << false << ">369!!18!" << "" << "";
        QTest::addRow("700/7 alone, Enter after every number") << 700 << 7 << false << "1!7!0!0!0!" << "" << "";
        QTest::addRow("87/23 alone, 2 too small, Enter after every number")
            << 87 << 23 << false << ">2!46!41!3!69!18!" << "「仮商が小さい」1回" << "";
        QTest::addRow("87/23 alone, 2 too small, no Enter") << 87 << 23 << false << ">2464136918" << "「仮商が小さい」1回" << "";
        QTest::addRow("8765/43 alone, 16 before the 0, Enter after every number")
            << 8765 << 43 << false << ">2!86!16!0!5!3!129!36!" << "" << "";
        QTest::addRow("8765/43 alone, the 0 first") << 8765 << 43 << false << ">2860165!3129!36!" << "" << "";
        QTest::addRow("8765/43 guided, 16 before the 0") << 8765 << 43 << true << "2861605312936" << "" << "";
        QTest::addRow("8765/43 guided, the 0 first") << 8765 << 43 << true << "2860165312936" << "" << "";
        QTest::addRow("8765/43 alone, 87−86 as 2 before the 0")
            << 8765 << 43 << false << ">28626!" << "「ひき算」1回" << "「ひき算」87−86 は 2 ではありません。";
        QTest::addRow("8765/43 guided, 87−86 as 2 before the 0")
            << 8765 << 43 << true << "28626" << "「ひき算」1回" << "「ひき算」87−86 は 2 ではありません。";
        QTest::addRow("8765/43 alone, 87−86 as 2 and only the 6 brought down after the 0")
            << 8765 << 43 << false << ">286026!" << "「ひき算」1回" << "「ひき算」87−86 は 2 ではありません。";
        QTest::addRow("8765/43 alone, the 3 over the 6 after an arrow")
            << 8765 << 43 << false << ">286>3" << "「商の0」1回" << "「商の0」16 の中に 43 は入るかな？";
        QTest::addRow("8765/43 alone, 165 with no 0 written")
            << 8765 << 43 << false << ">286165!" << "「商の0」1回" << "「商の0」16 の中に 43 は入らないので";
        QTest::addRow("1004/7 guided, a quotient digit too large")
            << 1004 << 7 << true << "2" << "「仮商が大きい」1回" << "「商が大きい」2×7=14 は 10 より大きいね。";
    }

    void workings()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(bool, guided);
        QFETCH(QString, keys);
        QFETCH(QString, mistakes);
        QFETCH(QString, says);
        PracticeProblem p(LongDivision::of(dividend, divisor), guided ? PracticeLevel::Guided : PracticeLevel::Alone);
        press(p, keys);
        ProblemResult counted;
        counted.mistakes = p.mistakeCounts();
        QCOMPARE(QString::fromStdString(mistakesText(counted)), mistakes);
        QCOMPARE(p.finished(), says.isEmpty());
        QVERIFY2(QString::fromStdString(p.message()).startsWith(says), p.message().c_str());
    }

    // Alone, a difference wrong in its subtraction shows only its own digits wrong, not the digit
    // brought down right after it (523/7: 52−49 written 17, the 3 brought down).
    void aloneMarksTheWrongDigits()
    {
        PracticeProblem p(LongDivision::of(523, 7), PracticeLevel::Alone);
        press(p, QStringLiteral(">749173"));
        QCOMPARE(p.diagnosis()->kind, MistakeKind::Subtraction);
        QVERIFY(p.wrong(2, 0) && p.wrong(2, 1));
        QVERIFY(!p.wrong(2, 2));
    }

    // The status line names what the pupil presses: the keys, or the pad's buttons.
    void wordsOfTheDevice_data()
    {
        QTest::addColumn<bool>("pad");
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("says");
        QTest::addRow("keys: a product") << false << false << ">3" << "かけ算の答えを書いて、Enter キーを押しましょう。";
        QTest::addRow("pad: a product") << true << false << ">3" << "かけ算の答えを書いて、「たしかめる」を押しましょう。";
        QTest::addRow("pad: the place") << true << false << "" << "商をたてる位置を ◀ ▶ で選んで、商を書きましょう。";
        QTest::addRow("pad: nothing written") << true << false << ">3!!" << "数を書いてから「たしかめる」を押しましょう。";
        QTest::addRow("keys: no remainder written")
            << false << false << ">369!!" << "あまりを書いて、Enter キーを押しましょう。わり切れたときは 0 を書きます。";
        QTest::addRow("pad: done") << true << true << "36918" << "できました！ 「次へ」で結果を見ましょう。";
        QTest::addRow("keys: done") << false << true << "36918" << "できました！ Enter キーで結果を見ましょう。";
    }

    void wordsOfTheDevice()
    {
        QFETCH(bool, pad);
        QFETCH(bool, guided);
        QFETCH(QString, keys);
        QFETCH(QString, says);
        PracticeSession session({{87, 23, 0}}, guided ? PracticeLevel::Guided : PracticeLevel::Alone, 0);
        session.setInputDevice(pad ? InputDevice::Pad : InputDevice::Keyboard);
        for (const QChar c : keys) {
            if (c.isDigit())
                session.typeDigit(c.digitValue(), 0);
            else if (c == u'>')
                session.moveRight();
            else
                session.enter(0);
        }
        QCOMPARE(QString::fromStdString(session.message()), says);
    }

    // A finished problem is recorded once, whatever is pressed before the next one opens.
    void resultRecordedOnce()
    {
        PracticeSession session({{87, 23, 0}, {96, 4, 0}}, PracticeLevel::Guided, 0);
        for (const int d : {3, 6, 9, 1, 8})
            session.typeDigit(d, 1000);
        session.typeDigit(5, 2000);
        session.hint(3000);
        session.enter(4000);
        session.enter(5000);
        QCOMPARE(session.results().size(), std::size_t{1});
        QCOMPARE(session.results().front().finishedMs, 1000);
    }

    // After a check that finds several wrong digits the cursor is on the first of them; Enter
    // again on the unchanged row counts no second mistake.
    void cursorOnFirstWrongDigit()
    {
        PracticeProblem p(LongDivision::of(8765, 43));
        press(p, QStringLiteral("295"));
        QVERIFY(p.wrong(1, 0));
        QVERIFY(p.wrong(1, 1));
        QCOMPARE(p.cursor(), 0);
        press(p, QStringLiteral("!"));
        QCOMPARE(p.mistakesOf(MistakeKind::Multiplication), 1);
        QVERIFY(QString::fromStdString(p.message()).startsWith(QStringLiteral("「かけ算」2×43 は 95 ではありません。")));
    }

    // A problem finished after a hint (only its question) is not right at the first try.
    void hintIsNotFirstTry()
    {
        PracticeSession session({{87, 23, 5}}, PracticeLevel::Guided, 0);
        session.hint(1000);
        for (const int d : {3, 6, 9, 1, 8})
            session.typeDigit(d, 2000);
        QVERIFY(session.problem().finished());
        QCOMPARE(session.problem().hints(), 1);
        QVERIFY(!session.problem().rightFirstTime());
        QCOMPARE(session.rightFirstTime(), 0);
        QVERIFY(!session.results().front().rightFirstTime());
    }

    // Alone, the pupil places the first quotient digit, and types each number whole.
    void alonePlacesAndTypesWhole()
    {
        PracticeProblem p(LongDivision::of(8765, 43), PracticeLevel::Alone);
        QCOMPARE(p.openCells().size(), std::size_t{4});  // over every dividend digit
        QCOMPARE(p.cursorPlace()->column, p.column(0));
        press(p, QStringLiteral("2"));  // over the 8
        QCOMPARE(p.diagnosis()->kind, MistakeKind::QuotientPlace);
        QCOMPARE(pictureOf(p)[0], QStringLiteral("   2   "));
        press(p, QStringLiteral(">2"));
        QCOMPARE(p.current(), std::size_t{1});
        press(p, QStringLiteral("86"));  // as wide as the cells to the 7: checked without Enter
        QCOMPARE(p.current(), std::size_t{2});
        QCOMPARE(*p.cursorPlace(), (PracticeProblem::Place{3, p.column(1)}));  // the difference, under the 7
        press(p, QStringLiteral("0"));  // the quotient's 0 first
        // Under the 7 again, with every cell to the dividend's end open: not under the 5.
        QCOMPARE(*p.cursorPlace(), (PracticeProblem::Place{3, p.column(1)}));
        QCOMPARE(p.openCells().size(), std::size_t{3});
        press(p, QStringLiteral("16"));
        QCOMPARE(*p.cursorPlace(), (PracticeProblem::Place{3, p.column(3)}));
        press(p, QStringLiteral("5!3129!36!"));
        QVERIFY(p.finished());
        QCOMPARE(pictureOf(p), (QStringList{"    203", "43)8765", "   86  ", "    165", "    129", "     36"}));
        QCOMPARE(p.mistakes(), 1);
    }

    // Alone, a product that shows its quotient digit too large opens the digit again; the rows
    // after it stay, shown wrong, until the digit is written again.
    void aloneTooLargeOpensTheDigitAgain()
    {
        PracticeProblem p(LongDivision::of(87, 23), PracticeLevel::Alone);
        press(p, QStringLiteral(">492"));
        QCOMPARE(p.diagnosis()->kind, MistakeKind::QuotientTooLarge);
        QCOMPARE(p.current(), std::size_t{0});
        QCOMPARE(pictureOf(p), (QStringList{"    4", "23)87", "   92", "     "}));
        const std::vector<PracticeProblem::Cell> shown = p.shownCells();
        QVERIFY(std::all_of(shown.begin(), shown.end(),
                            [](const PracticeProblem::Cell& c) { return c.ink == PracticeProblem::Ink::Wrong; }));
        press(p, QStringLiteral("3"));
        QCOMPARE(pictureOf(p)[2], QStringLiteral("     "));
        press(p, QStringLiteral("6918!"));
        QVERIFY(p.finished());
        QCOMPARE(p.mistakes(), 1);
    }

    // Any keys and taps, at either level: nothing breaks, and a problem is finished only with the
    // whole working right.
    void anyKeysEndRight_data()
    {
        QTest::addColumn<bool>("guided");
        QTest::addRow("guided") << true;
        QTest::addRow("alone") << false;
    }

    void anyKeysEndRight()
    {
        QFETCH(bool, guided);
        std::uint32_t seed = 12345;
        const auto next = [&seed](std::uint32_t n) {
            seed = seed * 1664525u + 1013904223u;
            return (seed >> 8) % n;
        };
        int finished = 0;
        for (int k = 0; k < 300; ++k) {
            const int divisor = static_cast<int>(1 + next(k % 3 == 0 ? 9 : k % 3 == 1 ? 99 : 999));
            const int dividend = static_cast<int>(next(100000));
            const LongDivision w = LongDivision::of(dividend, divisor);
            PracticeProblem p(w, guided ? PracticeLevel::Guided : PracticeLevel::Alone);
            for (int i = 0; i < 400 && !p.finished(); ++i) {
                const std::uint32_t key = next(24);  // hints often, so that some problems end
                if (key < 10)
                    p.type(static_cast<int>(key));
                else if (key == 10)
                    p.backspace();
                else if (key == 11)
                    p.moveLeft();
                else if (key == 12)
                    p.moveRight();
                else if (key == 13)
                    p.check();
                else if (key < 23)
                    p.hint();
                else
                    p.tap({static_cast<int>(next(8)), static_cast<int>(next(12))});
                QVERIFY(p.current() <= p.rows().size());
            }
            if (!p.finished())
                continue;
            ++finished;
            PracticeProblem right(w);
            for (const PracticeRow& row : right.rows())
                for (const char c : row.optional ? std::string() : row.answer)
                    right.type(c - '0');
            QCOMPARE(pictureOf(p), pictureOf(right));
        }
        QVERIFY2(finished > 100, qPrintable(QString::number(finished)));
    }

    // The hint for a quotient digit asks, points at its place (alone, the first digit), leads to
    // its value (the tentative quotient, then the check of its product), then writes it; every
    // press is counted by its step.
    void hintLeadsToTheDigit_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("guided");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("says");       // each press until the digit is written
        QTest::addColumn<std::vector<int>>("pointed");  // columns of row 1 the second press points at
        QTest::addColumn<QString>("top");            // the quotient row then
        QTest::addRow("87/23 guided")
            << 87 << 23 << true << ""
            << QStringList{"87の中に23はいくつ？", "87 の 8 と 23 の 2 で見当をつけます。8÷2=4 なので、見当の商は 4 です。",
                           "4×23=92 は 87 より大きいので、1 小さくします。3×23=69 は 87 をこえません。商にする数は何かな？"}
            << std::vector<int>{0, 3} << "    3";
        QTest::addRow("87/23 alone: the place first")
            << 87 << 23 << false << ""
            << QStringList{"商はどの数字の上からたつかな？ 8 の中に 23 は入るかな？", "87 の中に 23 は入るので、商は 7 の上にたちます。",
                           "87 の 8 と 23 の 2 で見当をつけます。8÷2=4 なので、見当の商は 4 です。",
                           "4×23=92 は 87 より大きいので、1 小さくします。3×23=69 は 87 をこえません。商にする数は何かな？"}
            << std::vector<int>{0, 1, 3, 4} << "    3";
        QTest::addRow("8765/43 alone: the 2")
            << 8765 << 43 << false << ""
            << QStringList{"商はどの数字の上からたつかな？ 8 の中に 43 は入るかな？", "87 の中に 43 は入るので、商は 7 の上にたちます。",
                           "87 の 8 と 43 の 4 で見当をつけます。8÷4=2 なので、見当の商は 2 です。",
                           "2×43=86 は 87 をこえません。商にする数は何かな？"}
            << std::vector<int>{0, 1, 3, 4} << "    2  ";
        QTest::addRow("8765/43 alone: the 0 after 16")
            << 8765 << 43 << false << ">28616!" << QStringList{"16の中に43はいくつ？", "16 と 43 をくらべよう。"}
            << std::vector<int>{0, 1} << "    20 ";
        QTest::addRow("8765/43 alone: the 3 of 165")
            << 8765 << 43 << false << ">2860165!"
            << QStringList{"165の中に43はいくつ？", "165 の 16 と 43 の 4 で見当をつけます。16÷4=4 なので、見当の商は 4 です。",
                           "4×43=172 は 165 より大きいので、1 小さくします。3×43=129 は 165 をこえません。商にする数は何かな？"}
            << std::vector<int>{0} << "    203";
        QTest::addRow("8765/43 guided: the 5 brought down onto 16 after the 0")
            << 8765 << 43 << true << "286160" << QStringList{"16 の右に、つぎは何をおろすかな？", "わられる数の 5 を 16 の右におろします。"}
            << std::vector<int>{6} << "    20 ";
        QTest::addRow("46/46 guided: a partial dividend equal to the divisor")
            << 46 << 46 << true << ""
            << QStringList{"46の中に46はいくつ？", "46 の 4 と 46 の 4 で見当をつけます。4÷4=1 なので、見当の商は 1 です。",
                           "1×46=46 は 46 をこえません。商にする数は何かな？"}
            << std::vector<int>{0, 3} << "    1";
        QTest::addRow("1004/7 guided: no tentative quotient with a one-digit divisor")
            << 1004 << 7 << true << ""
            << QStringList{"10の中に7はいくつ？", "九九の 7 のだんで、10 をこえないいちばん大きい数をさがそう。7×1=7 だね。",
                           "1×7=7 は 10 をこえません。2×7=14 はこえます。商にする数は何かな？"}
            << std::vector<int>{0, 2, 3} << "   1  ";
    }

    void hintLeadsToTheDigit()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(bool, guided);
        QFETCH(QString, keys);
        QFETCH(QStringList, says);
        QFETCH(std::vector<int>, pointed);
        QFETCH(QString, top);
        PracticeProblem p(LongDivision::of(dividend, divisor), guided ? PracticeLevel::Guided : PracticeLevel::Alone);
        press(p, keys);
        const QString before = pictureOf(p)[0];
        for (qsizetype i = 0; i < says.size(); ++i) {
            p.hint();
            QCOMPARE(QString::fromStdString(p.message()), says[i]);
            QCOMPARE(pictureOf(p)[0], before);
            if (i != 1)
                continue;
            std::vector<int> columns;
            for (const PracticeProblem::Place& place : p.pointedCells())
                if (place.row == 1)
                    columns.push_back(place.column);
            std::sort(columns.begin(), columns.end());
            QCOMPARE(columns, pointed);
        }
        p.hint();
        QCOMPARE(pictureOf(p)[0], top);
        QCOMPARE(p.hintsAt(HintStep::Tell), 1);
        QCOMPARE(p.hints(), static_cast<int>(says.size()) + 1);
    }

    // A wrong entry typed again as it was stays shown wrong, as its message still says, and is
    // not counted again.
    void wrongTypedAgainStaysWrong_data()
    {
        QTest::addColumn<bool>("guided");
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("again");
        QTest::addRow("guided: a product's wrong digit") << true << 8765 << 43 << "295" << "9";
        QTest::addRow("alone: a quotient digit opened again") << false << 87 << 23 << ">492" << "4";
    }

    void wrongTypedAgainStaysWrong()
    {
        QFETCH(bool, guided);
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(QString, keys);
        QFETCH(QString, again);
        PracticeProblem p(LongDivision::of(dividend, divisor), guided ? PracticeLevel::Guided : PracticeLevel::Alone);
        press(p, keys);
        const QString shown = cellsOf(p);
        const std::string message = p.message();
        press(p, again);
        QCOMPARE(cellsOf(p), shown);
        QCOMPARE(p.message(), message);
        QCOMPARE(p.mistakes(), 1);
    }

    // Alone, the hint that writes a number writes no more digits than its row has cells: 9×23=207
    // in the two cells under 87 is checked at 20, which shows the 9 too large.
    void aloneHintKeepsToTheRow()
    {
        PracticeProblem p(LongDivision::of(87, 23), PracticeLevel::Alone);
        press(p, QStringLiteral(">9hhhhh"));  // the last asks about the quotient again
        QVERIFY(p.diagnosis());
        QCOMPARE(p.diagnosis()->kind, MistakeKind::QuotientTooLarge);
        QCOMPARE(pictureOf(p), (QStringList{"    9", "23)87", "   20", "     "}));
    }

    // The run: results with the caller's times, the missed problems, the stumbling points, the
    // types to practise, and a next round that keeps the results.
    void sessionResults()
    {
        PracticeSession session({{3, 7, 53}, {87, 23, 20}, {96, 4, 3}, {5, 0, 9}}, PracticeLevel::Guided, 10'000);
        QCOMPARE(session.count(), std::size_t{3});  // 5 / 0 is left out
        session.setName("はなこ");
        const auto keys = [&](const std::string& digits, std::int64_t now) {
            for (const char c : digits)
                session.typeDigit(c - '0', now);
        };
        keys("003", 14'000);
        session.enter(15'000);
        keys("4", 16'000);       // too large
        keys("3691", 17'000);
        keys("7", 18'000);       // 87−69 is not 17
        keys("8", 20'000);
        session.enter(21'000);
        session.hint(22'000);
        keys("28164160", 30'000);  // 2, 8, 16, 4, 16 and the remainder 0
        QVERIFY(!session.roundOver());
        session.enter(31'000);
        QVERIFY(session.roundOver());
        QCOMPARE(session.results().size(), std::size_t{3});
        QCOMPARE(session.results()[0].seconds(), 4);
        QCOMPARE(session.results()[1].seconds(), 5);
        QCOMPARE(session.results()[1].mistakes[static_cast<std::size_t>(MistakeKind::QuotientTooLarge)], 1);
        QCOMPARE(session.rightFirstTime(), 1);
        QCOMPARE(session.missed(), (std::vector<PracticeItem>{{87, 23, 20}, {96, 4, 3}}));
        QCOMPARE(session.weakTypes(), std::vector<int>{20});
        QCOMPARE(QString::fromStdString(stumblesText(session.stumbles())), QStringLiteral("「仮商が大きい」1回、「ひき算」1回"));
        // The time the problems took (4 + 5 + 9 s), the same on the screen and on paper.
        QCOMPARE(QString::fromStdString(roundSummary(session)),
                 QStringLiteral("1回で正解した問題（ヒントなし）：1 / 3 問\nヒントを使った回数：1 回\nかかった時間：0分18秒"));
        test::RecordingSurface surface;
        drawResultsPage(surface, 3200, 4410, session, 0);
        QVERIFY(std::any_of(surface.calls().begin(), surface.calls().end(),
                            [](const test::Call& c) { return c.text.ends_with("時間 0分18秒"); }));

        QVERIFY(session.startRound(session.missed(), 40'000));
        QCOMPARE(session.count(), std::size_t{2});
        QCOMPARE(session.round(), 2);
        keys("36918", 45'000);
        QCOMPARE(session.results().size(), std::size_t{4});
        QCOMPARE(session.results().back().round, 2);
        QCOMPARE(resultCells(session.results().back()).front(), "2");
        QVERIFY(QString::fromStdString(resultsCsv(session, 0)).contains(QStringLiteral(",2,87,23,20,")));
        QVERIFY(!session.startRound({{1, 0, 1}}, 50'000));
        QCOMPARE(session.count(), std::size_t{2});
    }

    // The saved table as a spreadsheet reads it.
    void csvOfRun()
    {
        PracticeSession session({{87, 23, 20}}, PracticeLevel::Alone, 1'714'555'200'000);  // 2024-05-01 09:20 UTC
        session.setName("=SUM(1,2) \"はな\"");
        session.moveRight();
        for (const int d : {4, 9, 2, 3, 6, 9})
            session.typeDigit(d, 1'714'555'265'000);
        session.hint(1'714'555'266'000);
        session.typeDigit(1, 1'714'555'266'000);
        session.typeDigit(8, 1'714'555'266'000);
        session.enter(1'714'555'271'000);
        const std::string bytes = resultsCsv(session, 9 * 60);
        QVERIFY(bytes.starts_with("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromStdString(bytes.substr(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(0),
                 QStringLiteral("名前,日時,回,わられる数,わる数,型,やり方,商の位置,商の0,仮商が大きい,仮商が小さい,"
                                "かけ算,ひき算,おろす数,あまり,そのほか,ヒント（たずねる）,ヒント（しめす）,ヒント（おしえる）,秒"));
        QCOMPARE(lines.value(1),
                 QStringLiteral("\"'=SUM(1,2) \"\"はな\"\"\",2024-05-01 18:21:06,1,87,23,20,ひとりで,0,0,1,0,0,0,0,0,0,1,0,0,66"));
        QCOMPARE(lines.size(), 3);  // and the empty rest after the last line end
    }

    // The name the table is offered under, in the window and on the web page.
    void csvFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::addRow("a name") << QStringLiteral("はなこ") << QStringLiteral("練習の結果-はなこ-20240501.csv");
        QTest::addRow("no name") << QStringLiteral(" \u3000") << QStringLiteral("練習の結果-20240501.csv");
        QTest::addRow("blanks around, characters refused")
            << QStringLiteral("\u3000 ../a\\b:c*?\"<>|\td ") << QStringLiteral("練習の結果-.._a_b_c_______d-20240501.csv");
    }

    void csvFileName()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        // 2024-04-30 22:00 UTC is the 1st of May in Japan.
        QCOMPARE(QString::fromStdString(resultsCsvFileName(name.toStdString(), 1'714'514'400'000, 9 * 60)), file);
    }

    // However many problems the run had, its page holds them all.
    void resultsPageHoldsEveryLine_data()
    {
        QTest::addColumn<int>("problems");
        QTest::addRow("one") << 1;
        QTest::addRow("sixty") << 60;
    }

    void resultsPageHoldsEveryLine()
    {
        QFETCH(int, problems);
        std::vector<PracticeItem> items(static_cast<std::size_t>(problems), PracticeItem{3, 7, 53});
        PracticeSession session(items, PracticeLevel::Guided, 0);
        for (int i = 0; i < problems; ++i) {
            for (const int d : {0, 0, 3})
                session.typeDigit(d, 1000);
            session.enter(1000);
        }
        test::RecordingSurface surface;
        drawResultsPage(surface, 3200, 4410, session, 0);
        int lines = 0;
        for (const test::Call& call : surface.calls()) {
            if (call.op != test::Op::Text)
                continue;
            QVERIFY2(call.y >= 0 && call.y + call.state.fontHeight <= 4410, call.text.c_str());
            QVERIFY2(call.x >= 0 && call.x + test::RecordingSurface::widthAt(call.text, call.state.fontHeight) <= 3200,
                     call.text.c_str());
            lines += call.text == "3÷7" ? 1 : 0;
        }
        QCOMPARE(lines, problems);
    }
};

QTEST_APPLESS_MAIN(TestPracticeModel)
#include "tst_practicemodel.moc"
