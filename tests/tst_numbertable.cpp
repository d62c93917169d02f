// The two number tables compiled into the program, their loading, the field reader and the
// drawing of a pair from one segment.
#include "NumberTable.h"
#include "TypeSampling.h"

#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <set>
#include <span>
#include <sstream>

using namespace pelkano;

namespace {

std::string_view bytesOf(const QString& name)
{
    return name == "D4247" ? embeddedD4247() : embeddedD5053();
}

const NumberTable& tableOf(const QString& name)
{
    return name == "D4247" ? test::tables().d4247 : test::tables().d5053;
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
    return fields;
}

// How often a first guess at the quotient digit, the dividend without its units digit over the
// tens digit of the divisor, has to come down before guess * divisor fits into the dividend.
int timesLowered(int dividend, int divisor)
{
    int guess = (dividend / 10) / (divisor / 10);
    int lowered = 0;
    for (; guess * divisor > dividend; --guess)
        ++lowered;
    return lowered;
}

// The table written out afresh from its content: one line per (k, divisor) with any dividends.
std::vector<std::string> rebuilt(int maxLowered, int firstDividend, int lastDividend, bool smallQuotientOnly)
{
    std::vector<std::string> lines;
    for (int k = 0; k <= maxLowered; ++k) {
        for (int divisor = 11; divisor <= 99; ++divisor) {
            std::vector<int> dividends;
            for (int n = std::max(firstDividend, divisor); n <= lastDividend; ++n) {
                if (smallQuotientOnly && (n / 10 >= divisor || (n / 10) / (divisor / 10) > 9))
                    continue;
                if (timesLowered(n, divisor) == k)
                    dividends.push_back(n);
            }
            if (dividends.empty())
                continue;
            std::ostringstream line;
            line << divisor << ',' << dividends.size();
            for (int n : dividends)
                line << ',' << n;
            lines.push_back(line.str());
        }
    }
    return lines;
}

}  // namespace

class TestNumberTable : public QObject {
    Q_OBJECT
private slots:
    void tableBytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("byteCount");
        QTest::addColumn<int>("valueCount");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("longestBytes");
        QTest::addColumn<int>("longestFields");

        QString first4247 = "11,45";  // 11..19, 22..29, 33..39, ..., 88, 89, 99
        for (int tens = 1; tens <= 9; ++tens)
            for (int n = 11 * tens; n <= 10 * tens + 9; ++n)
                first4247 += "," + QString::number(n);
        QString first5053 = "20,99";
        for (int n = 101; n <= 199; ++n)
            first5053 += "," + QString::number(n);
        QTest::addRow("D4247") << "D4247" << 148 << 13024 << 4005 << first4247 << "19,5,90,91,92,93,94" << 245 << 82;
        QTest::addRow("D5053") << "D5053" << 174 << 144991 << 35920 << first5053 << "39,3,270,271,272" << 3202 << 801;
    }
    void tableBytes()
    {
        QFETCH(QString, name);
        QFETCH(int, lineCount);
        QFETCH(int, byteCount);
        QFETCH(int, valueCount);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, longestBytes);
        QFETCH(int, longestFields);

        const std::string_view bytes = bytesOf(name);
        QCOMPARE(static_cast<int>(bytes.size()), byteCount);
        QVERIFY(std::all_of(bytes.begin(), bytes.end(),
                            [](char c) { return (c >= '0' && c <= '9') || c == ',' || c == '\r' || c == '\n'; }));
        QVERIFY(bytes.ends_with("\r\n"));
        QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), lineCount);
        QCOMPARE(std::count(bytes.begin(), bytes.end(), '\r'), lineCount);
        for (std::size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1))
            QVERIFY2(bytes[i - 1] == '\r', "a line ends without CR LF");

        const NumberTable& lines = tableOf(name);
        QCOMPARE(static_cast<int>(lines.size()), lineCount);
        QCOMPARE(QString::fromStdString(lines.front()), first);
        QCOMPARE(QString::fromStdString(lines.back()), last);

        int values = 0;
        std::size_t longest = 0;
        std::size_t fieldsOfLongest = 0;
        for (const std::string& line : lines) {
            const std::vector<std::string> fields = fieldsOf(line);
            QVERIFY(fields.size() >= 3);
            for (const std::string& f : fields)
                QVERIFY2(!f.empty() && f[0] != '0', line.c_str());  // no empty field, no leading zero
            QCOMPARE(std::stoul(fields[1]) + 2, fields.size());
            for (std::size_t i = 3; i < fields.size(); ++i)
                QVERIFY2(std::stoi(fields[i - 1]) < std::stoi(fields[i]), line.c_str());
            values += static_cast<int>(fields.size()) - 2;
            if (line.size() > longest) {
                longest = line.size();
                fieldsOfLongest = fields.size();
            }
        }
        QCOMPARE(values, valueCount);
        QCOMPARE(static_cast<int>(longest), longestBytes);
        QCOMPARE(static_cast<int>(fieldsOfLongest), longestFields);
    }

    void segments_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("segment");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("valueCount");
        QTest::addColumn<QList<int>>("keys");

        auto range = [](int from, int to) {
            QList<int> keys;
            for (int k = from; k <= to; ++k)
                keys << k;
            return keys;
        };
        QTest::addRow("type 46") << "D4247" << 0 << 0 << 89 << 2729 << range(11, 99);
        QTest::addRow("type 47") << "D4247" << 1 << 89 << 36 << 856
                                 << range(11, 19) + range(21, 29) + range(31, 39) + range(41, 49);
        QTest::addRow("type 48") << "D4247" << 2 << 125 << 11 << 218 << range(12, 19) + range(27, 29);
        QTest::addRow("type 49") << "D4247" << 3 << 136 << 7 << 133 << range(13, 19);
        QTest::addRow("type 50") << "D4247" << 4 << 143 << 4 << 64 << range(16, 19);
        QTest::addRow("type 51") << "D4247" << 5 << 147 << 1 << 5 << QList<int>{19};
        QList<int> keys55;
        for (int tens = 2; tens <= 9; ++tens)
            keys55 += range(10 * tens + 1, 10 * tens + 9);
        QTest::addRow("type 54") << "D5053" << 0 << 0 << 74 << 22520 << range(20, 23) + range(30, 99);
        QTest::addRow("type 55") << "D5053" << 1 << 74 << 72 << 12433 << keys55;
        QTest::addRow("type 56") << "D5053" << 2 << 146 << 23 << 888
                                 << range(23, 29) + range(34, 39) + range(46, 49) + range(57, 59) + range(68, 69)
                                        + QList<int>{79};
        QTest::addRow("type 57") << "D5053" << 3 << 169 << 5 << 79 << range(26, 29) + QList<int>{39};
    }
    void segments()
    {
        QFETCH(QString, name);
        QFETCH(int, segment);
        QFETCH(int, firstLine);
        QFETCH(int, lineCount);
        QFETCH(int, valueCount);
        QFETCH(QList<int>, keys);

        const NumberTables& t = test::tables();
        const std::span<const int> counts = name == "D4247" ? std::span<const int>(t.counts4247) : std::span<const int>(t.counts5053);
        QCOMPARE(counts[static_cast<std::size_t>(segment)], lineCount);
        int sum = 0;
        for (int c : counts)
            sum += c;
        QCOMPARE(static_cast<std::size_t>(sum), tableOf(name).size());

        // The segment's keys ascend, and its lines' counts add up to its values.
        QList<int> got;
        int values = 0;
        for (int i = firstLine; i < firstLine + lineCount; ++i) {
            const std::vector<std::string> fields = fieldsOf(tableOf(name)[static_cast<std::size_t>(i)]);
            got << std::stoi(fields[0]);
            values += std::stoi(fields[1]);
        }
        QCOMPARE(got, keys);
        QCOMPARE(values, valueCount);
    }

    // Both tables written out again from their content, with the corrections counted by
    // lowering a guess step by step, line for line.
    void tablesFollowTheirContent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("D4247") << "D4247";
        QTest::addRow("D5053") << "D5053";
    }
    void tablesFollowTheirContent()
    {
        QFETCH(QString, name);
        const std::vector<std::string> expected = name == "D4247" ? rebuilt(5, 11, 99, false) : rebuilt(3, 101, 999, true);
        const NumberTable& lines = tableOf(name);
        QCOMPARE(lines.size(), expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i] == expected[i], qPrintable(QString("line %1 differs").arg(i)));
    }

    // No pair of D4247's range is left out: it would need more corrections than there are segments.
    void everyTwoDigitPairIsListedOnce()
    {
        std::set<std::pair<int, int>> seen;
        for (const std::string& line : test::tables().d4247) {
            const std::vector<std::string> fields = fieldsOf(line);
            for (std::size_t i = 2; i < fields.size(); ++i)
                QVERIFY(seen.insert({std::stoi(fields[i]), std::stoi(fields[0])}).second);
        }
        QCOMPARE(seen.size(), std::size_t{89 * 90 / 2});
    }

    // The bytes compiled in are the ones the build tool writes.
    void embeddedBytesAreTheToolsOutput_data() { tablesFollowTheirContent_data(); }
    void embeddedBytesAreTheToolsOutput()
    {
        QFETCH(QString, name);
        QProcess tool;
        tool.start(PELKANO_MAKE_TABLES_EXE, {"--raw", name});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray out = tool.readAllStandardOutput();
        QVERIFY(std::string_view(out.constData(), static_cast<std::size_t>(out.size())) == bytesOf(name));
    }

    void commaField_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("warns");
        const QString t51 = "19,5,90,91,92,93,94";
        QTest::addRow("key") << t51 << 1 << 19 << false;
        QTest::addRow("count") << t51 << 2 << 5 << false;
        QTest::addRow("last value") << t51 << 7 << 94 << false;
        QTest::addRow("one past the last") << t51 << 8 << -1 << true;
        QTest::addRow("far past the last") << t51 << 100 << -1 << true;
        QTest::addRow("no comma") << "4005" << 1 << 4005 << false;
        QTest::addRow("no comma, index 2") << "4005" << 2 << -1 << true;
    }
    void commaField()
    {
        QFETCH(QString, line);
        QFETCH(int, index);
        QFETCH(int, expected);
        QFETCH(bool, warns);
        test::CollectingReporter reporter;
        QCOMPARE(CommaField(line.toStdString(), index, reporter), expected);
        QCOMPARE(reporter.warnings, warns ? std::vector<std::string>{kCommaFieldWarning} : std::vector<std::string>{});
    }

    void commaFieldRefusesWhatIsNoDecimalInteger_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addRow("letters") << "19,x5,90" << 2;
        QTest::addRow("space") << "19, 5,90" << 2;
        QTest::addRow("trailing letter") << "19,5a" << 2;
        QTest::addRow("empty middle field") << "19,,90" << 2;
        QTest::addRow("empty last field") << "7," << 2;
        QTest::addRow("empty line") << "" << 1;
        QTest::addRow("too large") << "99999999999" << 1;
        QTest::addRow("hexadecimal") << "0x1F" << 1;
    }
    void commaFieldRefusesWhatIsNoDecimalInteger()
    {
        QFETCH(QString, line);
        QFETCH(int, index);
        test::CollectingReporter reporter;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, CommaField(line.toStdString(), index, reporter));
        QVERIFY(reporter.warnings.empty());
    }

    void splitLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("final line end") << QByteArray("1,1,5\r\n2,1,6\r\n") << QStringList{"1,1,5", "2,1,6"};
        QTest::addRow("no final line end") << QByteArray("1,1,5\r\n2,1,6") << QStringList{"1,1,5", "2,1,6"};
        QTest::addRow("empty") << QByteArray() << QStringList{};
        QTest::addRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::addRow("empty line inside") << QByteArray("1\r\n\r\n2\r\n") << QStringList{"1", "", "2"};
        QTest::addRow("bare LF") << QByteArray("1\n2\n") << QStringList{"1", "2"};
        QTest::addRow("bare CR") << QByteArray("1\r2\r") << QStringList{"1", "2"};
        QTest::addRow("LF CR is two ends") << QByteArray("1\n\r2") << QStringList{"1", "", "2"};
    }
    void splitLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QStringList got;
        for (const std::string& l : pelkano::splitLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
            got << QString::fromStdString(l);
        QCOMPARE(got, lines);
    }

    // The line is drawn first among the segment's lines (which start after the earlier
    // segments), then one of its values.
    void drawTablePair_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("segment");
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addRow("type 46, first value of line 0") << "D4247" << 0 << QList<int>{0, 0} << QList<int>{89, 45} << 11 << 11;
        QTest::addRow("type 46, last line") << "D4247" << 0 << QList<int>{88, 0} << QList<int>{89, 1} << 99 << 99;
        QTest::addRow("type 51") << "D4247" << 5 << QList<int>{0, 4} << QList<int>{1, 5} << 94 << 19;
        QTest::addRow("type 54, last value of line 0") << "D5053" << 0 << QList<int>{0, 98} << QList<int>{74, 99} << 199 << 20;
        QTest::addRow("type 57, last line") << "D5053" << 3 << QList<int>{4, 2} << QList<int>{5, 3} << 272 << 39;
    }
    void drawTablePair()
    {
        QFETCH(QString, name);
        QFETCH(int, segment);
        QFETCH(QList<int>, script);
        QFETCH(QList<int>, asked);
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        const NumberTables& t = test::tables();
        const std::span<const int> counts = name == "D4247" ? std::span<const int>(t.counts4247) : std::span<const int>(t.counts5053);
        ScriptedRandom random(std::vector<int>(script.begin(), script.end()));
        test::CollectingReporter reporter;
        const DivisionProblem p = pelkano::drawTablePair(tableOf(name), counts, segment, random, reporter);
        QCOMPARE(QList<int>(random.asked().begin(), random.asked().end()), asked);
        QCOMPARE(p, (DivisionProblem{dividend, divisor}));
        QVERIFY(reporter.warnings.empty());
    }
};

QTEST_APPLESS_MAIN(TestNumberTable)
#include "tst_numbertable.moc"
