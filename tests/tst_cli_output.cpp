// pelkano-sheets drawing its sheets: the PDF's pages, the PNG files and their sizes, the code at
// the foot of every page, and bad drawing options refused before any file is made.
#include <QtTest>

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FileSet.h"
#include "Output.h"
#include "OutsideProgram.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// How the tool is started: a step in the child before the tool runs (a limit, the umask, another
// user) and the changes to its environment (name=value sets, a name alone removes).
struct Start {
    std::function<void()> inChild;
    QStringList environment;
    QString program = QStringLiteral(PELKANO_SHEETS_EXE);
};

Run runSheets(const QString& dir, const QStringList& args, const Start& start = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    if (start.inChild)
        p.setChildProcessModifier(start.inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");  // the tool must find its own way without a display
    for (const QString& change : start.environment) {
        if (change.contains('='))
            env.insert(change.section('=', 0, 0), change.section('=', 1));
        else
            env.remove(change);
    }
    p.setProcessEnvironment(env);
    p.start(start.program, args);
    if (!p.waitForFinished(60000))
        return {-1, {}, p.errorString().toUtf8()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// The tool may have at most that many files open at once.
Start openFilesAtMost(int openFiles)
{
    return {[openFiles] {
                const rlimit limit{static_cast<rlim_t>(openFiles), static_cast<rlim_t>(openFiles)};
                setrlimit(RLIMIT_NOFILE, &limit);
            },
            {}};
}

// As root, the tool runs as nobody, for whom a read-only file is read-only: a copy of it, as
// nobody may not enter a build folder under /root.
Start asAnotherUser()
{
    if (::geteuid() != 0)
        return {};
    static const QString copy = [] {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pelkano-sheets"));
        const auto anyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        if (!QFile::setPermissions(dir.path(), anyone) || !QFile::copy(QStringLiteral(PELKANO_SHEETS_EXE), path) ||
            !QFile::setPermissions(path, anyone))
            return QString();
        return path;
    }();
    return {[] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(99);
            },
            {}, copy};
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Page objects of a PDF (not the page tree) and the first page's media box.
int pageCount(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int n = 0;
    auto it = page.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// The first page's drawing: its scale from device pixels to points times the width of the white
// background it fills, in points (the paper's width when the page is drawn at its resolution).
double filledWidth(const QByteArray& pdf)
{
    static const QRegularExpression streams(QStringLiteral("stream\\r?\\n"));
    static const QRegularExpression page(
        QStringLiteral("([0-9.]+) 0 0 -[0-9.]+ 0 [0-9.]+ cm[\\s\\S]*?1 1 1 scn[\\s\\S]*?0 0 ([0-9]+) [0-9]+ re\\s+f\\b"));
    const QString text = QString::fromLatin1(pdf);
    auto it = streams.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const qsizetype end = pdf.indexOf("endstream", m.capturedEnd());
        QByteArray zlib = pdf.mid(m.capturedEnd(), end - m.capturedEnd());
        const quint32 hint = static_cast<quint32>(zlib.size()) * 64;
        zlib.prepend(char(hint & 0xff)).prepend(char((hint >> 8) & 0xff)).prepend(char((hint >> 16) & 0xff))
            .prepend(char(hint >> 24));
        const auto found = page.match(QString::fromLatin1(qUncompress(zlib)));
        if (found.hasMatch())
            return found.captured(1).toDouble() * found.captured(2).toDouble();
    }
    return 0;
}

QImage pngOf(const QString& dir, const QStringList& args, const QString& file)
{
    const Run run = runSheets(dir, args + QStringList{"--seed", "3", "--dpi", "72", "-o", "s.png"});
    return run.exitCode == 0 ? QImage(QDir(dir).filePath(file)) : QImage();
}

QString mediaBox(const QByteArray& pdf)
{
    static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"));
    const auto m = box.match(QString::fromLatin1(pdf));
    return m.hasMatch() ? QStringLiteral("%1x%2").arg(qRound(m.captured(1).toDouble())).arg(qRound(m.captured(2).toDouble()))
                        : QString();
}

// The code at the foot of each page of a PDF, read back as text by pdftotext.
QStringList codesOnPages(const QString& pdf)
{
    QStringList codes;
    static const QRegularExpression code(QStringLiteral("コード\\s*([0-9A-Z-]+)"));
    for (const QString& page : pelkano::test::pdfPageTexts(pdf)) {
        const auto m = code.match(page);
        codes << (m.hasMatch() ? m.captured(1) : QString());
    }
    return codes;
}

}  // namespace

class TestCliOutput : public QObject {
    Q_OBJECT
private slots:
    void pdf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("box");

        QTest::addRow("one sheet") << QStringList{"--types", "1-4"} << 1 << "595x842";
        QTest::addRow("three sheets with answers")
            << QStringList{"--types", "1-4", "--sheets", "3", "--answers"} << 6 << "595x842";
        QTest::addRow("expression, no frame, 4x3")
            << QStringList{"--types", "1,3", "--layout", "4x3", "--sheets", "2", "--style", "expression", "--no-frame",
                           "--line-width", "4", "--margin", "70"}
            << 2 << "595x842";
        QTest::addRow("A3 at 300 dpi") << QStringList{"--types", "2", "--page-size", "a3", "--dpi", "300"} << 1
                                       << "842x1191";
        QTest::addRow("a sentence Qt would take for its own")
            << QStringList{"--types", "1", "--sentence", "-platform"} << 1 << "595x842";
        QTest::addRow("B5 letter case, own sentence")
            << QStringList{"--types", "4", "--page-size", "B5", "--sentence", "わり算をしましょう"} << 1 << "516x729";
        QTest::addRow("widest paper margin, the page keeps the paper's size")
            << QStringList{"--types", "77", "--paper-margin", "20"} << 1 << "595x842";
    }

    void pdf()
    {
        QFETCH(QStringList, args);
        QFETCH(int, pages);
        QFETCH(QString, box);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), args + QStringList{"--seed", "5", "-o", "sheets.pdf"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(run.out.startsWith("sheet,print_number,slot,type"));  // the CSV still comes out
        QCOMPARE(filesIn(dir.path()), QStringList{"sheets.pdf"});
        QFile file(dir.filePath("sheets.pdf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pageCount(pdf), pages);
        QCOMPARE(mediaBox(pdf), box);
        // The white page is drawn over the whole paper less its margin (to within 1%), not a part of it.
        const qsizetype marginAt = args.indexOf("--paper-margin");
        const double margin = (marginAt < 0 ? 5.0 : args.at(marginAt + 1).toDouble()) * 72 / 25.4;
        const double paper = box.section('x', 0, 0).toDouble() - 2 * margin;
        QVERIFY2(qAbs(filledWidth(pdf) - paper) < paper / 100, qPrintable(QString::number(filledWidth(pdf))));
    }

    // Every page carries the code of its sheet, its answer page too, and the code read off the PDF
    // makes the sheet again: the same rows, and the same two pages.
    void codeReadOffThePage()
    {
        QTemporaryDir dir;
        const Run set = runSheets(dir.path(), {"--types", "24,3,17,12", "--layout", "3x3", "--sheets", "3", "--same-mix",
                                               "--seed", "77", "--print-number", "9", "--answers", "-o", "set.pdf"});
        QVERIFY2(set.exitCode == 0, set.err.constData());
        const QStringList codes = codesOnPages(dir.filePath("set.pdf"));
        QCOMPARE(codes.size(), 6);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(codes[2 * k + 1], codes[2 * k]);
        QCOMPARE(QSet<QString>(codes.begin(), codes.end()).size(), 3);

        const Run again = runSheets(dir.path(), {"--code", codes[4], "-o", "again.pdf"});
        QVERIFY2(again.exitCode == 0, again.err.constData());
        QByteArray rows;
        for (const QByteArray& line : set.out.split('\n'))
            if (line.startsWith("3,11,"))
                rows += line + '\n';
        QCOMPARE(again.out, "sheet,print_number,slot,type,dividend,divisor,quotient,remainder\n" + rows);
        QCOMPARE(codesOnPages(dir.filePath("again.pdf")), (QStringList{codes[4], codes[4]}));
    }

    // Each drawing option reaches the page: the page with the option differs from the one without.
    void optionsReachThePage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::addRow("no frame") << QStringList{"--no-frame"} << "s-1.png";
        QTest::addRow("expression") << QStringList{"--style", "expression"} << "s-1.png";
        QTest::addRow("sentence") << QStringList{"--sentence", "わり算"} << "s-1.png";
        QTest::addRow("answer sheet") << QStringList{"--answers"} << "s-1-answers.png";
    }
    void optionsReachThePage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QTemporaryDir plain, changed;
        const QImage without = pngOf(plain.path(), {"--types", "1-4"}, "s-1.png");
        const QImage with = pngOf(changed.path(), QStringList{"--types", "1-4"} + args, file);
        QVERIFY(!without.isNull() && !with.isNull());
        QVERIFY(with != without);
    }

    void png_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QSize>("size");

        QTest::addRow("A4 at 600 dpi") << QStringList{"--types", "1"} << QStringList{"page-1.png"} << QSize(4960, 7016);
        QTest::addRow("two sheets with answers at 100 dpi")
            << QStringList{"--types", "1-4", "--sheets", "2", "--answers", "--dpi", "100"}
            << QStringList{"page-1-answers.png", "page-1.png", "page-2-answers.png", "page-2.png"} << QSize(826, 1170);
        QTest::addRow("Letter at 72 dpi") << QStringList{"--types", "3", "--page-size", "letter", "--dpi", "72"}
                                          << QStringList{"page-1.png"} << QSize(612, 792);
    }

    void png()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, files);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), args + QStringList{"--seed", "9", "--output", "page.png"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(filesIn(dir.path()), files);
        for (const QString& name : files) {
            QImageReader reader(dir.filePath(name));
            QImageReader::setAllocationLimit(512);
            QCOMPARE(reader.format(), QByteArray("png"));
            QCOMPARE(reader.size(), size);
            // White paper with something drawn on it.
            const QImage image = reader.read();
            QCOMPARE(qGray(image.pixel(size.width() - 1, size.height() - 1)), 255);
            const QImage top = image.convertToFormat(QImage::Format_Grayscale8).copy(0, 0, size.width(), size.height() / 8);
            bool drawn = false;
            for (int y = 0; y < top.height() && !drawn; ++y) {
                const uchar* line = top.constScanLine(y);
                for (int x = 0; x < top.width() && !drawn; ++x)
                    drawn = line[x] < 128;
            }
            QVERIFY2(drawn, "the header is missing");
        }
    }

    // SVG pages are named as PNG pages are, each a whole page on its paper.
    void svgPages()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), {"--types", "1-4", "--sheets", "2", "--answers", "--print-number", "7",
                                               "--page-size", "B5", "--seed", "9", "-o", "s.svg"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(filesIn(dir.path()), (QStringList{"s-1-answers.svg", "s-1.svg", "s-2-answers.svg", "s-2.svg"}));
        for (const auto& [name, number] : {std::pair{"s-1.svg", 7}, {"s-1-answers.svg", 7}, {"s-2.svg", 8}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString svg = QString::fromUtf8(file.readAll());
            QVERIFY2(svg.startsWith(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"182mm\" height=\"257mm\"")), name);
            QVERIFY2(svg.contains(QStringLiteral(">問題No.%1</text>").arg(number)), name);
        }
    }

    // The page is drawn on the paper less the margin on every side: wide figures, the header and
    // the answers leave a 20 mm border blank and reach into the printable area.
    void paperMarginStaysBlank()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), {"--types", "76-78", "--layout", "3x3", "--seed", "1", "--answers", "--dpi",
                                               "100", "--paper-margin", "20", "-o", "page.png"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        for (const QString& name : {QStringLiteral("page-1.png"), QStringLiteral("page-1-answers.png")}) {
            const QImage image = QImage(dir.filePath(name)).convertToFormat(QImage::Format_Grayscale8);
            QCOMPARE(image.size(), QSize(826, 1170));
            QRect ink;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.constScanLine(y)[x] < 200)
                        ink |= QRect(x, y, 1, 1);
            const int margin = 79;  // 20 mm at 100 dpi
            QVERIFY2(QRect(margin, margin, 826 - 2 * margin, 1170 - 2 * margin).contains(ink),
                     qPrintable(QStringLiteral("ink %1,%2 to %3,%4").arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())));
            QVERIFY(ink.left() < margin + 40);
        }
    }

    void badValues_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");

        QTest::addRow("margin 0") << QStringList{"--margin", "0"} << "'0'";
        QTest::addRow("margin 71") << QStringList{"--margin", "71"} << "'71'";
        QTest::addRow("margin not a number") << QStringList{"--margin", "1O"} << "'1O'";
        QTest::addRow("line width 5") << QStringList{"--line-width", "5"} << "'5'";
        QTest::addRow("line width 0") << QStringList{"--line-width", "0"} << "'0'";
        QTest::addRow("style") << QStringList{"--style", "fancy"} << "'fancy'";
        QTest::addRow("page size") << QStringList{"--page-size", "A9"} << "'A9'";
        QTest::addRow("dpi too small") << QStringList{"--dpi", "10"} << "'10'";
        QTest::addRow("dpi too large") << QStringList{"--dpi", "100000"} << "'100000'";
        QTest::addRow("paper margin 21") << QStringList{"--paper-margin", "21"} << "'21'";
        QTest::addRow("negative paper margin") << QStringList{"--paper-margin", "-1"} << "'-1'";
        QTest::addRow("frame and no frame") << QStringList{"--frame", "--no-frame"} << "--no-frame";
        QTest::addRow("no sheets") << QStringList{"--sheets", "0"} << "'0'";
        QTest::addRow("draws") << QStringList{"--draws", "5"} << "--draws";
    }

    void badValues()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        for (const QString& output : {QStringLiteral("bad.pdf"), QStringLiteral("bad.png")}) {
            QTemporaryDir dir;
            QVERIFY(dir.isValid());
            const Run run = runSheets(dir.path(), QStringList{"--types", "1-4", "-o", output} + args);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
            QCOMPARE(run.err.trimmed().count('\n'), 0);
            QVERIFY(run.out.isEmpty());
            QCOMPARE(filesIn(dir.path()), QStringList());
        }
    }

    void badOutputName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), {"--types", "1", "-o", "sheet.txt"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("'sheet.txt'"));
        QCOMPARE(filesIn(dir.path()), QStringList());
    }

    // A set of PNG files appears whole or not at all: a target that cannot be replaced (here a
    // folder) leaves the older file before it as it was, and nothing of the run behind.
    void pngSetAllOrNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile old(dir.filePath("x-1.png"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QVERIFY(QDir(dir.path()).mkdir("x-2.png"));
        const Run run = runSheets(dir.path(), {"--types", "1", "--sheets", "3", "--dpi", "72", "-o", "x.png"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("x-2.png"), run.err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                 (QStringList{"x-1.png", "x-2.png"}));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }

    // More pages than the tool may open files.
    void manyPagesFewOpenFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run =
            runSheets(dir.path(), {"--types", "1-4", "--sheets", "20", "--answers", "--dpi", "72", "-o", "x.png"},
                       openFilesAtMost(32));
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(filesIn(dir.path()).size(), 40);
    }

    // A disk that fills up while the file is written (here the limit of a file's size, which
    // any user may set): the run fails with the system's reason and the older file stays whole.
    // Built with the sanitizers, the tool also shows that it leaks nothing on the way out.
    void fullDiskKeepsTheOlderFile_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("older");
        QTest::addRow("pdf") << "x.pdf" << "x.pdf";
        QTest::addRow("png") << "x.png" << "x-1.png";
    }
    void fullDiskKeepsTheOlderFile()
    {
        QFETCH(QString, output);
        QFETCH(QString, older);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath(older), "OLD\n");
        const Start limited{[] {
                                std::signal(SIGXFSZ, SIG_IGN);
                                const rlimit limit{4096, 4096};
                                setrlimit(RLIMIT_FSIZE, &limit);
                            },
                            {"ASAN_OPTIONS=detect_leaks=1"}};
        const Run run =
            runSheets(dir.path(), {"--types", "16", "--sheets", "2", "--dpi", "96", "--seed", "1", "-o", output}, limited);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "pelkano-sheets: cannot write " + older.toUtf8() + ": " + std::strerror(EFBIG) + '\n');
        QCOMPARE(filesIn(dir.path()), QStringList{older});
        QCOMPARE(contentOf(dir.filePath(older)), QByteArray("OLD\n"));
    }

    // Stopped while drawing, the tool removes what it had written; killed, it cannot, and the
    // next run into the same folder removes what was left.
    void stoppedRunLeavesNothing_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addRow("terminated") << int(SIGTERM);
        QTest::addRow("interrupted") << int(SIGINT);
        QTest::addRow("killed") << int(SIGKILL);
    }
    void stoppedRunLeavesNothing()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(PELKANO_SHEETS_EXE),
                {"--types", "1-4", "--sheets", "500", "--answers", "--dpi", "72", "-o", "k.png"});
        QTRY_VERIFY_WITH_TIMEOUT(!filesIn(dir.path()).isEmpty(), 60000);
        QCOMPARE(::kill(static_cast<pid_t>(p.processId()), signal), 0);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        if (signal != SIGKILL) {
            QCOMPARE(p.readAllStandardError(),
                     QByteArray("pelkano-sheets: stopped by ") + strsignal(signal) + ": no file was written\n");
        } else {
            QVERIFY(!filesIn(dir.path()).isEmpty());
            const Run next = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", "k.png"});
            QCOMPARE(next.exitCode, 0);
        }
        QCOMPARE(filesIn(dir.path()), signal == SIGKILL ? QStringList{"k-1.png"} : QStringList{});
    }

    // A set of SVG pages stopped on its way (the tool's Ctrl-C) leaves nothing and says so.
    void stoppedSvgSetLeavesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        pelkano::cli::DrawingOptions options;
        options.output = dir.filePath(QStringLiteral("k.svg"));
        options.kind = pelkano::cli::OutputKind::Svg;
        options.answers = true;
        const QString error =
            pelkano::cli::writeSheets(options, std::vector<pelkano::ProblemSheet>(2), [](int done, int) { return done < 2; });
        QCOMPARE(error, QStringLiteral("writing %1 was cancelled").arg(dir.filePath(QStringLiteral("k-1-answers.svg"))));
        QCOMPARE(filesIn(dir.path()), QStringList{});
    }

    // Names up to the folder's limit of 255 bytes are written and replaced; a longer one is
    // refused with the system's reason.
    void longNames_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("file");  // empty: refused
        const QString a249(249, 'a');
        QTest::addRow("255-byte page") << a249 + ".png" << a249 + "-1.png";
        QTest::addRow("255-byte pdf") << QString(251, 'a') + ".pdf" << QString(251, 'a') + ".pdf";
        QTest::addRow("256-byte page") << QString(250, 'a') + ".png" << QString();
    }
    void longNames()
    {
        QFETCH(QString, output);
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int round = 1; round <= 2; ++round) {  // made, then replaced
            const Run run = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", output});
            if (file.isEmpty()) {
                QCOMPARE(run.exitCode, 1);
                QVERIFY2(run.err.endsWith(": File name too long\n"), run.err.constData());
            } else {
                QVERIFY2(run.exitCode == 0, run.err.constData());
            }
            QCOMPARE(filesIn(dir.path()), file.isEmpty() ? QStringList() : QStringList{file});
        }
    }

    // The tool draws wherever it runs, and its standard error is its own: a platform that
    // cannot start gives way to offscreen, and Qt's notices stay out.
    void anyPlatform_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addRow("a platform without its display")
            << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY", "WAYLAND_DISPLAY"};
        QTest::addRow("offscreen named, no session folder") << QStringList{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR"};
        for (const char* platform : {"eglfs", "minimalegl", "minimal", "linuxfb"})
            QTest::addRow("%s", platform) << QStringList{QStringLiteral("QT_QPA_PLATFORM=%1").arg(platform)};
    }
    void anyPlatform()
    {
        QFETCH(QStringList, environment);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run run = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", "q.pdf"}, {{}, environment});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(filesIn(dir.path()), QStringList{"q.pdf"});
    }

    // One rule for PDF and PNG: a link is written through and stays a link; a file this user
    // may not write stays as it is, though the folder would let it be replaced.
    void whatMayBeReplaced_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("readOnly");  // else a link to the file in real/
        QTest::addRow("link to a page") << "s.png" << "s-1.png" << false;
        QTest::addRow("link to a pdf") << "s.pdf" << "s.pdf" << false;
        QTest::addRow("read-only page") << "s.png" << "s-1.png" << true;
        QTest::addRow("read-only pdf") << "s.pdf" << "s.pdf" << true;
    }
    void whatMayBeReplaced()
    {
        QFETCH(QString, output);
        QFETCH(QString, file);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));  // anyone may write it
        const QString older = readOnly ? dir.filePath(file) : dir.filePath("real/" + file);
        QVERIFY(QDir(dir.path()).mkpath("real"));
        writeFile(older, "OLD\n");
        if (readOnly)
            QVERIFY(QFile::setPermissions(older, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        else
            QVERIFY(QFile::link("real/" + file, dir.filePath(file)));
        const Run run = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", output},
                                  readOnly ? asAnotherUser() : Start{});
        if (readOnly) {
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(file.toUtf8() + ": Permission denied\n"), run.err.constData());
            QCOMPARE(contentOf(older), QByteArray("OLD\n"));
        } else {
            QVERIFY2(run.exitCode == 0, run.err.constData());
            QVERIFY(QFileInfo(dir.filePath(file)).isSymLink());
            QVERIFY(contentOf(older).startsWith(output.endsWith("pdf") ? "%PDF-" : "\x89PNG"));
        }
        QCOMPARE(filesIn(dir.path()), QStringList{file});
        QCOMPARE(filesIn(dir.filePath("real")), readOnly ? QStringList() : QStringList{file});
    }

    // In a shared sticky folder (as /tmp) another user's link is not followed, as the system
    // itself would not follow it: it could point at any file of this user's.
    void anotherUsersLinkInASharedFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to make a link of another user");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        const QString mine = dir.filePath("mine.pdf");
        writeFile(mine, "MINE\n");
        QVERIFY(QFile::link(mine, dir.filePath("s.pdf")));
        QVERIFY(::lchown(QFile::encodeName(dir.filePath("s.pdf")).constData(), 65534, 65534) == 0);
        const Run run = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", "s.pdf"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("pelkano-sheets: cannot write s.pdf: it is another user's link in a shared folder\n"));
        QCOMPARE(contentOf(mine), QByteArray("MINE\n"));
    }

    // A new file gets what the umask leaves of rw-rw-rw-, a replaced one keeps its own mode.
    void modes_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("older");  // -1: no older file
        QTest::addColumn<int>("mode");
        QTest::addRow("new, umask 022") << 022 << -1 << 0644;
        QTest::addRow("new, umask 027") << 027 << -1 << 0640;
        QTest::addRow("replacing 0640, umask 022") << 022 << 0640 << 0640;
        QTest::addRow("replacing 0666, umask 077") << 077 << 0666 << 0666;
    }
    void modes()
    {
        QFETCH(int, mask);
        QFETCH(int, older);
        QFETCH(int, mode);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray page = QFile::encodeName(dir.filePath("m-1.png"));
        if (older >= 0) {
            writeFile(dir.filePath("m-1.png"), "OLD\n");
            QVERIFY(::chmod(page.constData(), static_cast<mode_t>(older)) == 0);
        }
        const Run run = runSheets(dir.path(), {"--types", "1", "--dpi", "72", "-o", "m.png"},
                                  {[mask] { ::umask(static_cast<mode_t>(mask)); }, {}});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        struct stat st {};
        QVERIFY(::stat(page.constData(), &st) == 0);
        QCOMPARE(static_cast<int>(st.st_mode & 07777), mode);
    }

    // Putting a set in place fails at its second file: the first goes back to its older file,
    // and neither the second's older file nor anything else is left hidden. With hard links
    // the older file is kept under a second name; without (a FAT stick) it is moved aside.
    void rollBackLeavesEveryOlderFile_data()
    {
        QTest::addColumn<bool>("hardLinks");
        QTest::addRow("older files linked") << true;
        QTest::addRow("older files moved aside") << false;
    }
    void rollBackLeavesEveryOlderFile()
    {
        QFETCH(bool, hardLinks);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names{"a.png", "b.png", "c.png"};
        for (const QString& name : names)
            writeFile(dir.filePath(name), "old " + name.toUtf8());
        const std::string second = QFile::encodeName(dir.filePath("b.png")).toStdString();
        pelkano::FileCalls calls = pelkano::systemFileCalls();
        if (!hardLinks)
            calls.link = [](const char*, const char*) {
                errno = EPERM;
                return -1;
            };
        bool failed = false;
        calls.rename = [&](const char* from, const char* to) {
            if (!failed && to == second) {  // the new b.png into its place
                failed = true;
                errno = EIO;
                return -1;
            }
            return ::rename(from, to);
        };
        {
            pelkano::FileSet set(calls);
            for (std::size_t i = 0; i < 3; ++i) {
                QCOMPARE(set.add(QFile::encodeName(dir.filePath(names[static_cast<qsizetype>(i)])).toStdString()), "");
                std::string error;
                QVERIFY(set.create(i, error) >= 0);
                QCOMPARE(set.write(i, "new", 3), "");
                QCOMPARE(set.finish(i), "");
            }
            QCOMPARE(set.commit(), "cannot write " + second + ": " + std::strerror(EIO));
        }
        QCOMPARE(filesIn(dir.path()), names);
        for (const QString& name : names)
            QCOMPARE(contentOf(dir.filePath(name)), "old " + name.toUtf8());
    }

    // A set killed while it is put in place (the process stopped by SIGKILL from within one of
    // its calls): the next set written into the folder finds the old set whole, or the new set
    // whole once every target was in place, and no hidden file of the killed run.
    void killedWhileReplacingASet_data()
    {
        QTest::addColumn<bool>("hardLinks");
        QTest::addColumn<QString>("call");  // link, rename or unlink
        QTest::addColumn<QString>("name");  // the call stops when a name it is given ends so
        QTest::addColumn<bool>("newSet");
        QTest::addRow("keeping the first older file") << true << "link" << "a.png" << false;
        QTest::addRow("placing the fourth file") << true << "rename" << "c.png" << false;
        QTest::addRow("fourth, older files moved aside") << false << "rename" << "c.png" << false;
        QTest::addRow("removing the older files") << true << "unlink" << ".pelkano-old" << true;
    }
    void killedWhileReplacingASet()
    {
        QFETCH(bool, hardLinks);
        QFETCH(QString, call);
        QFETCH(QString, name);
        QFETCH(bool, newSet);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names{"a.png", "d.png", "b.png", "c.png"};  // d.png is new to the folder
        for (const char* file : {"a.png", "b.png", "c.png"})
            writeFile(dir.filePath(file), "old");
        const std::string stop = name.toStdString();
        const auto stopAt = [stop](const QString& which, const QString& callName, const char* given) {
            const std::string text = given;
            if (which == callName && text.size() >= stop.size() && text.compare(text.size() - stop.size(), stop.size(), stop) == 0)
                ::raise(SIGKILL);
        };
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            pelkano::FileCalls calls = pelkano::systemFileCalls();
            calls.link = [&](const char* existing, const char* to) {
                stopAt(call, "link", existing);
                errno = EPERM;
                return hardLinks ? ::link(existing, to) : -1;
            };
            calls.rename = [&](const char* from, const char* to) {
                stopAt(call, "rename", to);
                return ::rename(from, to);
            };
            calls.unlink = [&](const char* file) {
                stopAt(call, "unlink", file);
                return ::unlink(file);
            };
            pelkano::FileSet set(calls);
            for (std::size_t i = 0; i < 4; ++i) {
                std::string error;
                if (!set.add(QFile::encodeName(dir.filePath(names[static_cast<qsizetype>(i)])).toStdString()).empty() ||
                    set.create(i, error) < 0 || !set.write(i, "new", 3).empty() || !set.finish(i).empty())
                    ::_exit(2);
            }
            set.commit();
            ::_exit(3);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the set was not stopped where asked");
        {
            pelkano::FileSet next;
            QCOMPARE(next.add(QFile::encodeName(dir.filePath("e.png")).toStdString()), "");
            std::string error;
            QVERIFY(next.create(0, error) >= 0);
        }
        QCOMPARE(filesIn(dir.path()), newSet ? (QStringList{"a.png", "b.png", "c.png", "d.png"})
                                             : (QStringList{"a.png", "b.png", "c.png"}));
        for (const QString& file : filesIn(dir.path()))
            QCOMPARE(contentOf(dir.filePath(file)), QByteArray(newSet ? "new" : "old"));
    }

    // A failure the system reports only when the file is flushed to the disk (delayed
    // allocation, a network folder) is the file's: said, and the older file stays.
    void failureAtFlushKeepsTheOlderFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath("a.pdf"), "old");
        const std::string target = QFile::encodeName(dir.filePath("a.pdf")).toStdString();
        pelkano::FileCalls calls = pelkano::systemFileCalls();
        calls.fdatasync = [](int) {
            errno = ENOSPC;
            return -1;
        };
        {
            pelkano::FileSet set(calls);
            QCOMPARE(set.add(target), "");
            std::string error;
            QVERIFY(set.create(0, error) >= 0);
            QCOMPARE(set.write(0, "new", 3), "");
            QCOMPARE(set.finish(0), "cannot write " + target + ": " + std::strerror(ENOSPC));
            QCOMPARE(set.commit(), "cannot write " + target + ": its content is not complete");
        }
        QCOMPARE(filesIn(dir.path()), QStringList{"a.pdf"});
        QCOMPARE(contentOf(dir.filePath("a.pdf")), QByteArray("old"));
    }

    // A file name that is not text in the local encoding is refused, not changed.
    void outputNameNotText()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start("/bin/sh", {"-c", "exec \"$0\" --types 1 --dpi 72 -o \"$(printf 'a\\377.png')\"", PELKANO_SHEETS_EXE});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY2(p.readAllStandardError().contains("'a\\xFF.png'"), "the name is not shown escaped");
        QCOMPARE(filesIn(dir.path()), QStringList());
    }

    // A target that cannot be written is a failure found before anything is drawn or printed:
    // no CSV, no file.
    void unwritableTarget_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addRow("missing folder") << "missing/sheet.pdf";
        QTest::addRow("a folder at the name") << "folder.pdf";
        QTest::addRow("name too long") << QString(250, 'a') + ".png";
    }
    void unwritableTarget()
    {
        QFETCH(QString, output);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("folder.pdf"));
        const Run run = runSheets(dir.path(), {"--types", "1", "--seed", "1", "-o", output});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith("pelkano-sheets: cannot write "), run.err.constData());
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"folder.pdf"});
    }
};

QTEST_GUILESS_MAIN(TestCliOutput)
#include "tst_cli_output.moc"
