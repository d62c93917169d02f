// pelkano-sheets as a user runs it: the CSV it writes, reproducibility by seed, raw draws, the
// warning for a sheet that cannot be filled, and one-line errors with status 2 for bad input.
#include "Options.h"
#include "Sheet.h"
#include "SheetCode.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

#include <unistd.h>

using namespace pelkano;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The draw budget the type tests have: a type rule that loops fails the test, not hangs it.
void setDrawBudget(QProcess& process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PELKANO_DRAW_BUDGET", "20000000");
    process.setProcessEnvironment(env);
}

Run runSheets(const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    setDrawBudget(process);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PELKANO_SHEETS_EXE), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

const QByteArray kHeader = "sheet,print_number,slot,type,dividend,divisor,quotient,remainder";

// The data rows of a run, each split into its eight fields.
QList<QList<QByteArray>> rowsOf(const Run& run)
{
    QList<QByteArray> lines = run.out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QList<QList<QByteArray>> rows;
    for (qsizetype i = 1; i < lines.size(); ++i)
        rows << lines[i].split(',');
    return rows;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void listTypes()
    {
        const Run run = runSheets({"--list-types"});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(lines.size(), 79);  // 78 lines and the end
        QCOMPARE(QString::fromUtf8(lines[0]), QStringLiteral("1\t1けた÷1けた　あまりあり／なし　商は1けた　わられる数がわる数以上の1けた　例 7÷3"));
        QCOMPARE(QString::fromUtf8(lines[77]), QStringLiteral("78\t5けた÷3けた　あまりあり／なし　商は3けたで十の位が0　1回目のあまりが2けたで、十の位には商が立たず、一の位の積が4けた　例 41990÷402"));
    }

    void sheetsAsCsv()
    {
        const Run run = runSheets({"--types", "1-4,12,20", "--layout", "4x3", "--sheets", "3", "--seed", "7",
                                   "--print-number", "5"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY(run.out.startsWith(kHeader + '\n'));
        const auto rows = rowsOf(run);
        QCOMPARE(rows.size(), 36);
        const std::set<int> ticked{1, 2, 3, 4, 12, 20};
        std::set<std::pair<int, int>> onSheet;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const auto& f = rows[i];
            QCOMPARE(f.size(), 8);
            const int sheet = static_cast<int>(i / 12) + 1;
            QCOMPARE(f[0].toInt(), sheet);
            QCOMPARE(f[1].toInt(), sheet + 4);
            QCOMPARE(f[2].toInt(), static_cast<int>(i % 12) + 1);
            QVERIFY(ticked.count(f[3].toInt()));
            const int dividend = f[4].toInt(), divisor = f[5].toInt();
            QVERIFY(divisor >= 1 && divisor <= 9);
            QCOMPARE(f[6].toInt(), dividend / divisor);
            QCOMPARE(f[7].toInt(), dividend % divisor);
            if (i % 12 == 0)
                onSheet.clear();
            QVERIFY2(onSheet.insert({dividend, divisor}).second, "a problem twice on one sheet");
        }
    }

    // Drawing with the installed faces warns of nothing, whatever the user's language.
    void drawsWithoutAFaceWarning()
    {
        QTemporaryDir dir;
        const Run run = runSheets({"--types", "1", "--dpi", "72", "-o", "q.pdf"}, dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.err), QString());
    }

    void defaults()
    {
        const Run run = runSheets({"--types", "12", "--seed", "1"});
        QCOMPARE(run.exitCode, 0);
        const auto rows = rowsOf(run);
        QCOMPARE(rows.size(), 6);  // 2段3列
        for (const auto& f : rows) {
            QCOMPARE(f[0], QByteArray("1"));
            QCOMPARE(f[1], QByteArray("1"));
        }
    }

    void sameSeedSameOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addRow("sheets") << QStringList{"--types", "1-26", "--layout", "3x3", "--sheets", "4"};
        QTest::addRow("draws") << QStringList{"--types", "5,17,24", "--draws", "300"};
    }
    void sameSeedSameOutput()
    {
        QFETCH(QStringList, arguments);
        const Run a = runSheets(arguments + QStringList{"--seed", "42"});
        const Run b = runSheets(arguments + QStringList{"--seed", "42"});
        const Run c = runSheets(arguments + QStringList{"--seed", "43"});
        QCOMPARE(a.exitCode, 0);
        QCOMPARE(a.out, b.out);
        QVERIFY(a.out != c.out);
    }

    // The same seed gives the sheets it gave before: without --same-mix as before there was one
    // (the rows were written by that version), with it as when it came while no type has run out
    // of problems new to the set; and a code printed before makes its sheet as it was printed.
    void sheetsAsBefore_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("csv");
        const QStringList set{"--types", "1-4,12,20", "--layout", "2x2", "--sheets", "3", "--seed", "7", "--print-number", "5"};
        QTest::addRow("without --same-mix") << set << QByteArray("1,5,1,4,29,4,7,1\n1,5,2,2,2,6,0,2\n1,5,3,12,857,7,122,3\n"
                                                                 "1,5,4,4,10,8,1,2\n2,6,1,20,851,4,212,3\n2,6,2,3,3,1,3,0\n"
                                                                 "2,6,3,4,7,4,1,3\n2,6,4,2,5,7,0,5\n3,7,1,3,8,1,8,0\n"
                                                                 "3,7,2,4,39,4,9,3\n3,7,3,20,874,4,218,2\n3,7,4,20,454,4,113,2\n");
        QTest::addRow("--same-mix") << set + QStringList{"--same-mix"}
                                    << QByteArray("1,5,1,4,29,4,7,1\n1,5,2,2,2,6,0,2\n1,5,3,12,857,7,122,3\n"
                                                  "1,5,4,4,10,8,1,2\n2,6,1,4,53,7,7,4\n2,6,2,12,991,8,123,7\n"
                                                  "2,6,3,4,12,8,1,4\n2,6,4,2,2,8,0,2\n3,7,1,12,887,5,177,2\n"
                                                  "3,7,2,2,1,2,0,1\n3,7,3,4,77,8,9,5\n3,7,4,4,51,8,6,3\n");
        // Sheet 6 of a same-mix set of type 11 (13 problems), which has run out of new ones.
        QTest::addRow("the code of a same-mix set printed before")
            << QStringList{"--code", "48F6-3CA0-1TD"} << QByteArray("6,6,1,11,80,2,40,0\n6,6,2,11,30,3,10,0\n6,6,3,11,40,4,10,0\n6,6,4,11,50,5,10,0\n");
    }
    void sheetsAsBefore()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, csv);
        const Run run = runSheets(options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, kHeader + '\n' + csv);
    }

    // --code makes the sheet whose page carries the code: the rows it has in its set, byte for byte.
    void sheetMadeAgainFromItsCode_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("sameMix");
        QTest::addColumn<int>("first");  // print number of the set's first sheet
        QTest::addColumn<int>("index");  // the sheet made again
        const QList<int> types{24, 3, 17, 12};
        QTest::addRow("the first sheet") << types << 4 << false << 1 << 0;
        QTest::addRow("sheet 6 of a set") << types << 4 << false << 1 << 5;
        QTest::addRow("sheet 6 of a same-mix set") << types << 4 << true << 1 << 5;
        QTest::addRow("negative print numbers, 4x3") << QList<int>{1, 2, 3, 4} << 5 << true << -3 << 2;
        QTest::addRow("balanced, easy to hard, same mix") << QList<int>{47, 48, 49, 50, 51} << 5 << true << 1 << 3;
    }
    void sheetMadeAgainFromItsCode()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, layout);
        QFETCH(bool, sameMix);
        QFETCH(int, first);
        QFETCH(int, index);
        const char* const layouts[] = {"2x2", "3x2", "4x2", "2x3", "3x3", "4x3"};
        QStringList typeList;
        for (int t : types)
            typeList << QString::number(t);
        QStringList set{"--types", typeList.join(','), "--layout", layouts[layout], "--sheets", "8", "--seed", "4242",
                        "--print-number", QString::number(first)};
        if (sameMix)
            set << "--same-mix";
        const bool drill = types.size() == 5;  // the row that balances and orders
        if (drill)
            set << "--balanced" << "--order" << "easy";
        const Run whole = runSheets(set);
        QCOMPARE(whole.exitCode, 0);
        QByteArray expected = kHeader + '\n';
        for (const QByteArray& line : whole.out.split('\n'))
            if (line.startsWith(QByteArray::number(index + 1) + ','))
                expected += line + '\n';

        const SetRecipe recipe{4242, std::vector<int>(types.begin(), types.end()), static_cast<LayoutPattern>(layout),
                               sameMix, drill, drill};
        const std::string code = encodeSheetCode({{recipe, index}, first + index});
        const Run again = runSheets({"--code", QString::fromStdString(code)});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, expected);
    }

    void rawDraws_data()
    {
        QTest::addColumn<int>("draws");
        QTest::addRow("none") << 0;
        QTest::addRow("one") << 1;
        QTest::addRow("more than a sheet could hold") << 500;
    }
    void rawDraws()
    {
        QFETCH(int, draws);
        const Run run = runSheets({"--types", "11,17", "--draws", QString::number(draws), "--seed", "9"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith(kHeader + '\n'));
        const auto rows = rowsOf(run);
        QCOMPARE(rows.size(), draws);
        for (const auto& f : rows) {
            QCOMPARE(f.size(), 8);
            QVERIFY(f[0].isEmpty() && f[1].isEmpty() && f[2].isEmpty());
            QVERIFY(f[3] == "11" || f[3] == "17");
        }
    }

    // A sheet that cannot be filled keeps its problems and the run still succeeds; the warning
    // comes once, with the counts, and says what the pages leave out (whole rows only).
    void sheetThatCannotBeFilled_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("perSheet");
        QTest::addColumn<QString>("warning");
        QTest::addRow("type 17 has four problems, two sheets")
            << QStringList{"--types", "17", "--layout", "4x3", "--sheets", "2", "--seed", "1"} << 8 << 4
            << "pelkano-sheets: warning: 2 of 2 sheets short of problems (4 of 12; no more distinct problems of the "
               "ticked types were found)\n";
        QTest::addRow("drawn, five problems in rows of three")
            << QStringList{"--types", "51", "--layout", "4x3", "--seed", "3", "-o", "inc.pdf"} << 5 << 5
            << "pelkano-sheets: warning: 1 of 1 sheets short of problems (5 of 12; no more distinct problems of the "
               "ticked types were found); drawn in whole rows, their pages show 3 of those 5 problems\n";
    }
    void sheetThatCannotBeFilled()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, rows);
        QFETCH(int, perSheet);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(arguments, dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.err), warning);
        const auto listed = rowsOf(run);
        QCOMPARE(listed.size(), rows);
        for (qsizetype i = 0; i < listed.size(); ++i)
            QCOMPARE(listed[i][2].toInt(), static_cast<int>(i % perSheet) + 1);
    }

    // Pages carry a code only for seeds that a code can name; a larger seed's pages say so.
    void seedWithoutACode_data()
    {
        QTest::addColumn<QString>("seed");
        QTest::addColumn<QString>("warning");
        QTest::addRow("the largest a code names") << "9223372036854775807" << "";
        QTest::addRow("one more") << "9223372036854775808"
                                  << "pelkano-sheets: warning: the pages of seed 9223372036854775808 carry no code (codes "
                                     "name seeds up to 9223372036854775807), so --code cannot make them again\n";
    }
    void seedWithoutACode()
    {
        QFETCH(QString, seed);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets({"--types", "1", "--seed", seed, "--dpi", "72", "-o", "s.svg"}, dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.err), warning);
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::addRow("type 0") << QStringList{"--types", "0"} << "'0'";
        QTest::addRow("type 79") << QStringList{"--types", "1,79"} << "'79'";
        QTest::addRow("type abc") << QStringList{"--types", "abc"} << "'abc'";
        QTest::addRow("falling range") << QStringList{"--types", "5-2"} << "'5-2'";
        QTest::addRow("empty item") << QStringList{"--types", "1,,2"} << "''";
        QTest::addRow("type given twice") << QStringList{"--types", "1-4,3"} << "type 3";
        QTest::addRow("unknown layout") << QStringList{"--types", "1", "--layout", "5x5"} << "'5x5'";
        QTest::addRow("negative sheets") << QStringList{"--types", "1", "--sheets", "-1"} << "'-1'";
        QTest::addRow("negative draws") << QStringList{"--types", "1", "--draws", "-3"} << "'-3'";
        QTest::addRow("sheets too large")
            << QStringList{"--types", "1", "--sheets", "9223372036854775808"} << "'9223372036854775808' (too large";
        QTest::addRow("draws too large") << QStringList{"--types", "1", "--draws", "+99999999999999999999"}
                                         << "(too large: at most 9223372036854775807)";
        QTest::addRow("sheets too small")
            << QStringList{"--types", "1", "--sheets", "-9223372036854775809"} << "(a whole number, 0 or more)";
        QTest::addRow("seed not a number") << QStringList{"--types", "1", "--seed", "x1"} << "'x1'";
        QTest::addRow("print number too large") << QStringList{"--types", "1", "--print-number", "99999999999"}
                                                 << "'99999999999'";
        QTest::addRow("missing --types") << QStringList{"--layout", "4x3"} << "--types";
        QTest::addRow("--types without a value") << QStringList{"--types"} << "--types";
        QTest::addRow("unknown option") << QStringList{"--types", "1", "--colour"} << "colour";
        QTest::addRow("stray argument") << QStringList{"--types", "1", "extra"} << "'extra'";
        QTest::addRow("a Qt option") << QStringList{"--types", "1", "-platform", "nosuch"} << "platform";
        QTest::addRow("help with Qt's options") << QStringList{"--types", "1", "--help-all"} << "help-all";
        QTest::addRow("--code mistyped") << QStringList{"--code", "6RF8-P0B2-JY"} << "'6RF8-P0B2-JY' (its check";
        QTest::addRow("--code with a U") << QStringList{"--code", "6RF8-U0B2-JT"} << "'U' is not in a code";
        QTest::addRow("--code and --seed") << QStringList{"--code", "6RF8-P0B2-JT", "--seed", "1"} << "--seed";
        QTest::addRow("--code and --types") << QStringList{"--types", "1", "--code", "6RF8-P0B2-JT"} << "--types";
        QTest::addRow("--same-mix and --draws") << QStringList{"--types", "1", "--draws", "5", "--same-mix"} << "--draws";
        QTest::addRow("--balanced and --draws") << QStringList{"--types", "1", "--draws", "5", "--balanced"} << "--draws";
        QTest::addRow("unknown order") << QStringList{"--types", "1", "--order", "hard"} << "'hard'";
        QTest::addRow("unknown numbers") << QStringList{"--types", "1", "--numbers", "none"} << "'none'";
        QTest::addRow("--numbers and --no-numbers")
            << QStringList{"--types", "1", "--numbers", "parens", "--no-numbers"} << "--no-numbers";
        QTest::addRow("--code and --check") << QStringList{"--code", "6RF8-P0B2-JT", "--check"} << "--check";
        QTest::addRow("unknown unit") << QStringList{"--unit", "九九"} << "'九九'";
        QTest::addRow("--unit and --types") << QStringList{"--unit", "3けたでわる", "--types", "1"} << "--types";
        QTest::addRow("--mark without a scan") << QStringList{"--mark", "-o", "m.pdf"} << "at least one scanned file";
        QTest::addRow("--mark and --types") << QStringList{"--mark", "s.pdf", "-o", "m.pdf", "--types", "1"} << "--types";
        QTest::addRow("--mark to a PNG") << QStringList{"--mark", "s.pdf", "-o", "m.png"} << "'m.png'";
        QTest::addRow("--csv without --mark") << QStringList{"--types", "1", "--csv", "r.csv"} << "--csv";
        QTest::addRow("newline and escape echoed")
            << QStringList{"--types", "1", "--layout", "2x2\n\x1b[31m"} << "'2x2\\n\\x1B[31m'";
    }
    void badInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const Run run = runSheets(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
        QVERIFY2(QString::fromUtf8(run.err).contains(named), run.err.constData());
    }

    // A scan that cannot be read is named with the reason, nothing is written, and the run ends
    // with 1, never a crash or a hang.
    void markUnreadableScan_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        QTest::addRow("0 bytes") << QByteArray() << "'scan' is empty";
        QTest::addRow("a broken PDF") << QByteArray("%PDF-1.7\n1 0 obj <<") << "as a PDF";
        QTest::addRow("text") << QByteArray("hello\n") << "neither a PDF nor";
        // A PNG of 30,000 by 30,000 pixels (its data cut short): refused before a pixel is decoded.
        QTest::addRow("30000 by 30000 pixels")
            << QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200007530000075300800000000434ca7660000000c49444154789c6360a00c000000400001b7347cef0000000049454e44ae426082")
            << "too large to read (30000 by 30000 pixels";
    }
    void markUnreadableScan()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QFile scan(dir.filePath("scan"));
        QVERIFY(scan.open(QIODevice::WriteOnly) && scan.write(content) == content.size());
        scan.close();
        const Run run = runSheets({"--mark", "scan", "-o", "marked.pdf", "--csv", "r.csv"}, dir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
        QVERIFY(!QFile::exists(dir.filePath("marked.pdf")) && !QFile::exists(dir.filePath("r.csv")));
    }

    // What a message echoes cannot pass for anything else: control characters of every kind
    // and the backslash that starts an escape are escaped themselves.
    void echoedTextEscaped_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("shown");
        QTest::addRow("DEL") << QByteArray("2x2\x7f") << QByteArray("2x2\\x7F");
        QTest::addRow("C1 next line U+0085") << QByteArray("2x2\xc2\x85") << QByteArray("2x2\\u{85}");
        QTest::addRow("backslash") << QByteArray("2\\x41") << QByteArray("2\\\\x41");
    }
    void echoedTextEscaped()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, shown);
        QCOMPARE(QByteArray::fromStdString(cli::printable(text.toStdString())), shown);
    }

    // The limits of the command line, on both sides of each edge, read as the tool reads them.
    void commandLineEdges_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");  // part of the one-line error; empty: accepted
        const QStringList pdf{"-o", "x.pdf"};
        QTest::addRow("dpi 1200") << pdf + QStringList{"--dpi", "1200"} << "";
        QTest::addRow("dpi 1201") << pdf + QStringList{"--dpi", "1201"} << "--dpi '1201'";
        QTest::addRow("dpi 71") << pdf + QStringList{"--dpi", "71"} << "--dpi '71'";
        QTest::addRow("1000 sheets drawn") << pdf + QStringList{"--sheets", "1000"} << "";
        QTest::addRow("1001 sheets drawn") << pdf + QStringList{"--sheets", "1001"} << "--sheets '1001'";
        QTest::addRow("last print number 2147483647")
            << QStringList{"--print-number", "2147483646", "--sheets", "2"} << "";
        QTest::addRow("last print number 2147483648")
            << QStringList{"--print-number", "2147483647", "--sheets", "2"} << "--print-number '2147483647'";
        QTest::addRow("print number -2147483648") << QStringList{"--print-number", "-2147483648"} << "";
        QTest::addRow("print number -2147483649")
            << QStringList{"--print-number", "-2147483649"} << "--print-number '-2147483649'";
        QTest::addRow("print number near the top of long long")
            << QStringList{"--print-number", "9223372036854775807", "--sheets", "2"}
            << "--print-number '9223372036854775807'";
        QTest::addRow("sheets beyond every print number")
            << QStringList{"--sheets", "4294967296"} << "--sheets '4294967296'";
        QTest::addRow("two signs") << QStringList{"--print-number", "+-5"} << "'+-5'";
        QTest::addRow("largest seed") << QStringList{"--seed", "18446744073709551615"} << "";
        QTest::addRow("seed beyond 64 bits")
            << QStringList{"--seed", "18446744073709551616"} << "--seed '18446744073709551616'";
        QTest::addRow("raw draws have no print numbers")
            << QStringList{"--draws", "2", "--sheets", "5000000000"} << "";
    }
    void commandLineEdges()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const cli::ParsedCommandLine parsed =
            cli::parseCommandLine(QStringList{"pelkano-sheets", "--types", "1"} + arguments);
        QCOMPARE(QString::fromStdString(parsed.text).contains(error), true);
        QCOMPARE(parsed.action, error.isEmpty() ? cli::Action::Run : cli::Action::Error);
    }

    // --tentative asks the answer sheets for the tentative quotients, as the window's check box does.
    void tentativeOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("tentative");
        QTest::addRow("given") << QStringList{"--answers", "--tentative", "-o", "x.pdf"} << true;
        QTest::addRow("not given") << QStringList{"--answers", "-o", "x.pdf"} << false;
    }
    void tentativeOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, tentative);
        const cli::ParsedCommandLine parsed =
            cli::parseCommandLine(QStringList{"pelkano-sheets", "--types", "47"} + arguments);
        QCOMPARE(parsed.action, cli::Action::Run);
        QCOMPARE(parsed.options.drawing.settings.tentative, tentative);
    }

    // Sheets carry the marks for reading a scan back unless --no-marks.
    void marksOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("marks");
        QTest::addRow("not given") << QStringList{"-o", "x.pdf"} << true;
        QTest::addRow("--no-marks") << QStringList{"--no-marks", "-o", "x.pdf"} << false;
    }
    void marksOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, marks);
        const cli::ParsedCommandLine parsed =
            cli::parseCommandLine(QStringList{"pelkano-sheets", "--types", "47"} + arguments);
        QCOMPARE(parsed.action, cli::Action::Run);
        QCOMPARE(parsed.options.drawing.settings.registrationMarks, marks);
    }

    // A write to standard output that fails ends the run with the system's reason.
    void standardOutputFull()
    {
        QProcess process;
        setDrawBudget(process);
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(PELKANO_SHEETS_EXE), {"--types", "1-26", "--draws", "100000", "--seed", "1"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardError(),
                 QByteArray("pelkano-sheets: cannot write to standard output: No space left on device\n"));
    }

    // Every text goes to standard output or fails with the system's reason: a full disk, a
    // closed standard output (whose number the next file opened would take), a closed pipe.
    void standardOutputUnusable_data()
    {
        QTest::addColumn<QString>("unusable");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("reason");
        QTest::addRow("type list to a full disk") << "full" << QStringList{"--list-types"} << QByteArray("No space left on device");
        QTest::addRow("closed, with a file to draw")
            << "closed" << QStringList{"--types", "1", "--dpi", "72", "-o", "x.pdf"} << QByteArray("Bad file descriptor");
        QTest::addRow("closed pipe") << "pipe" << QStringList{"--types", "1-26", "--draws", "1000000"}
                                     << QByteArray("Broken pipe");
    }
    void standardOutputUnusable()
    {
        QFETCH(QString, unusable);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess process;
        setDrawBudget(process);
        process.setWorkingDirectory(dir.path());
        if (unusable == "full")
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
        if (unusable == "closed")
            process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
        if (unusable == "pipe")  // the reader is gone before the first block; the status is the tool's
            process.start("/bin/bash", QStringList{"-c", "set -o pipefail; \"$0\" \"$@\" | true", PELKANO_SHEETS_EXE} +
                                           arguments);
        else
            process.start(QStringLiteral(PELKANO_SHEETS_EXE), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardError(), "pelkano-sheets: cannot write to standard output: " + reason + '\n');
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("shows");
        QTest::addRow("--help") << "--help" << "--types";
        QTest::addRow("--version") << "--version" << "pelkano-sheets";
        QTest::addRow("usage line names the tool") << "--help" << "Usage: pelkano-sheets [options]\n";
    }
    void helpAndVersion()
    {
        QFETCH(QString, option);
        QFETCH(QString, shows);
        const Run run = runSheets({option});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QString::fromUtf8(run.out).contains(shows));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
