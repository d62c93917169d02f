#include "OutsideProgram.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace pelkano::test {

namespace {

// The words of each line of a file of the source tree, comments (from a #) left out.
QList<QStringList> wordsOfLines(const char* path)
{
    QList<QStringList> lines;
    QFile file(QStringLiteral(PELKANO_SOURCE_DIR "/") + QLatin1String(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
        lines << line.section(u'#', 0, 0).split(blanks, Qt::SkipEmptyParts);
    return lines;
}

// The Debian package that gives `program`, from the table of the outside programs tests run;
// empty when the table does not list it.
QString debianPackageOf(const QString& program)
{
    static const QHash<QString, QString> packages = [] {
        QHash<QString, QString> table;
        for (const QStringList& words : wordsOfLines("tests/support/outside-programs.txt"))
            if (words.size() == 2)
                table.insert(words[0], words[1]);
        return table;
    }();
    return packages.value(program);
}

// Whether scripts/install-deps.sh installs `package`: names it outside its comments (in its
// list, or as in `packages+=(nodejs)`).
bool installDepsInstalls(const QString& package)
{
    static const QStringList names = [] {
        QStringList all;
        const QRegularExpression name(QStringLiteral("[a-z0-9][a-z0-9+.-]+"));
        for (const QStringList& line : wordsOfLines("scripts/install-deps.sh"))
            for (const QString& word : line)
                for (const QRegularExpressionMatch& m : name.globalMatch(word))
                    all << m.captured();
        return all;
    }();
    return names.contains(package);
}

void fail(const QString& message, const std::source_location& caller)
{
    QTest::qFail(qPrintable(message), caller.file_name(), static_cast<int>(caller.line()));
}

}  // namespace

QByteArray runOutsideProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                             std::source_location caller)
{
    const QString package = debianPackageOf(program);
    if (package.isEmpty()) {
        fail(QStringLiteral("tests/support/outside-programs.txt does not say which Debian package gives %1: "
                            "add it there and to scripts/install-deps.sh")
                 .arg(program),
             caller);
        return {};
    }
    if (!installDepsInstalls(package)) {
        fail(QStringLiteral("%1 comes with the Debian package %2, which scripts/install-deps.sh does not install: "
                            "add it there")
                 .arg(program, package),
             caller);
        return {};
    }
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        fail(QStringLiteral("%1 is not installed: it comes with the Debian package %2 "
                            "(bash scripts/install-deps.sh installs it)")
                 .arg(program, package),
             caller);
        return {};
    }
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForStarted()) {
        fail(QStringLiteral("%1 could not be started: %2").arg(path, process.errorString()), caller);
        return {};
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        fail(QStringLiteral("%1 did not end within %2 s").arg(program).arg(timeoutMs / 1000), caller);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(QStringLiteral("%1 %2 failed: %3")
                 .arg(program, arguments.join(u' '), QString::fromLocal8Bit(process.readAllStandardError()).trimmed()),
             caller);
        return {};
    }
    return process.readAllStandardOutput();
}

QStringList pdfPageTexts(const QString& pdf, std::source_location caller)
{
    const QByteArray text = runOutsideProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, 60000, caller);
    return QString::fromUtf8(text).split(u'\f', Qt::SkipEmptyParts);
}

}  // namespace pelkano::test
