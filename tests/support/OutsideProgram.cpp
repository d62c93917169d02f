#include "OutsideProgram.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <utility>

namespace pelkano::test {

namespace {

// Every outside program a test runs, with the package that gives it.
constexpr std::pair<const char*, const char*> kPrograms[] = {
    {"pdftoppm", "poppler-utils"},
    {"pdftotext", "poppler-utils"},
};

// The words of scripts/install-deps.sh outside its comments: the packages it installs are among them.
const QStringList& installDepsWords()
{
    static const QStringList words = [] {
        QStringList all;
        QFile script(QStringLiteral(PELKANO_SOURCE_DIR "/scripts/install-deps.sh"));
        if (!script.open(QIODevice::ReadOnly | QIODevice::Text))
            return all;
        const QRegularExpression blanks(QStringLiteral("\\s+"));
        for (const QString& line : QString::fromUtf8(script.readAll()).split(u'\n'))
            all += line.section(u'#', 0, 0).split(blanks, Qt::SkipEmptyParts);
        return all;
    }();
    return words;
}

QString debianPackageOf(const QString& program)
{
    for (const auto& [name, package] : kPrograms)
        if (program == QLatin1String(name))
            return QString::fromLatin1(package);
    return {};
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
        fail(QStringLiteral("tests/support/OutsideProgram.cpp does not say which Debian package gives %1: "
                            "add it there and to scripts/install-deps.sh")
                 .arg(program),
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
    if (!installDepsWords().contains(package)) {
        fail(QStringLiteral("%1 comes with the Debian package %2, which scripts/install-deps.sh does not install: "
                            "add it there")
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

}  // namespace pelkano::test
