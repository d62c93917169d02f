// pelkano-sheets: builds worksheets as the window's Preview does and prints them as CSV, or
// prints raw draws of the generator as a problem bank; with --output it also draws the sheets.
#include "Options.h"
#include "Output.h"
#include "QtSurface.h"
#include "Sheet.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

using namespace pelkano;

namespace {

class StderrReporter final : public Reporter {
public:
    void warn(const std::string& text) override { std::cerr << text << "\n"; }
};

[[noreturn]] void fail(const std::string& message, int status = 2)
{
    std::cerr << "pelkano-sheets: " << message << "\n";
    std::exit(status);
}

void appendRow(std::string& out, const std::string& sheet, const std::string& printNumber, const std::string& slot,
               int type, int dividend, int divisor)
{
    out += sheet + ',' + printNumber + ',' + slot + ',' + std::to_string(type) + ',' + std::to_string(dividend) + ',' +
           std::to_string(divisor) + ',' + std::to_string(dividend / divisor) + ',' + std::to_string(dividend % divisor) +
           '\n';
}

// Writes the rows to standard output; a write that fails ends the run at once with the
// system's reason (a full disk, a closed pipe).
void writeOut(std::string& out)
{
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        const int error = errno;
        fail(std::string("cannot write to standard output: ") + (error != 0 ? std::strerror(error) : "write failed"), 1);
    }
    out.clear();
}

// Rows go out in blocks of about a megabyte, so a long run needs no more memory than a short one.
void flushIfLarge(std::string& out)
{
    if (out.size() >= (1u << 20))
        writeOut(out);
}

// The offscreen platform finds no session's runtime folder when run from a service or a test
// and says so on every start; that notice is not the tool's business.
void quietRuntimeNotice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << "\n";
}

// Draws of R a run may make before it stops: PELKANO_DRAW_BUDGET, for tests, so that a type
// rule that never ends fails the test instead of hanging it. Unset: no limit.
long long drawBudget()
{
    const QByteArray text = qgetenv("PELKANO_DRAW_BUDGET");
    if (text.isEmpty())
        return -1;
    const auto value = cli::parseInteger(text.toStdString());
    return value && *value > 0 ? *value : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    // The arguments exactly as given. A name or text that does not survive the round trip through
    // the local encoding would become another one, so it is refused.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString text = QString::fromLocal8Bit(raw);
        if (text.toLocal8Bit() != raw)
            fail("argument '" + cli::printable(raw.toStdString()) + "' is not text in the local encoding");
        arguments << text;
    }
    if (arguments.isEmpty())
        arguments << QStringLiteral("pelkano-sheets");

    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    if (parsed.action == cli::Action::Error)
        fail(parsed.text);
    if (parsed.action != cli::Action::Run) {
        std::cout << parsed.text;
        return std::cout.flush() ? 0 : 1;
    }
    const cli::Options& o = parsed.options;

    // Qt gets no argument from the command line: the application is made with the name only.
    // Drawing needs fonts, so a QGuiApplication on the offscreen platform unless QT_QPA_PLATFORM
    // names another.
    if (o.drawn() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietRuntimeNotice);
    }
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    const std::unique_ptr<QCoreApplication> app = o.drawn() ? std::make_unique<QGuiApplication>(appArgc, appArgv)
                                                            : std::make_unique<QCoreApplication>(appArgc, appArgv);
    QCoreApplication::setApplicationName("pelkano-sheets");

    const SelectedTypes selected = SelectedTypes::ofTypes(o.types);
    SetRecipe recipe{o.seed.value_or(0), o.types, o.layout, o.sameMix};
    if (!o.seed) {
        SeededRandom clock(SeededRandom::clockSeed());
        recipe.seed = newSetSeed(clock);
    }
    SeededRandom seeded(recipe.seed);
    const long long budget = drawBudget();
    BudgetedRandom budgeted(seeded, budget);
    RandomSource& random = budget > 0 ? static_cast<RandomSource&>(budgeted) : seeded;
    const NumberTables tables = NumberTables::load();
    StderrReporter reporter;
    RuleContext ctx{random, tables, reporter};

    std::string out = "sheet,print_number,slot,type,dividend,divisor,quotient,remainder\n";
    try {
        if (o.draws) {
            for (long long i = 0; i < *o.draws; ++i) {
                const GeneratedProblem g = MakeDataTyped(selected, ctx);
                appendRow(out, "", "", "", g.type, g.problem.dividend, g.problem.divisor);
                flushIfLarge(out);
            }
        } else {
            std::vector<ProblemSheet> built;
            buildSheets(recipe, o.firstIndex, o.sheets, o.printNumber, ctx,
                        [&](long long k, const ProblemSheet& sheet, bool complete) {
                            if (!complete)
                                reporter.warn(kSheetWarning);
                            for (int i = 0; i < sheet.count; ++i)
                                appendRow(out, std::to_string(k + 1), std::to_string(sheet.printNumber),
                                          std::to_string(i + 1), sheet.types[static_cast<std::size_t>(i)],
                                          std::stoi(sheet.dividends[static_cast<std::size_t>(i)]),
                                          std::stoi(sheet.divisors[static_cast<std::size_t>(i)]));
                            flushIfLarge(out);
                            if (o.drawn())
                                built.push_back(sheet);
                            return true;
                        });
            if (o.drawn()) {
                const QString faces = checkFaces();
                if (!faces.isEmpty())
                    std::cerr << "pelkano-sheets: " << faces.toStdString() << "\n";
                const QString written = cli::writeSheets(o.drawing, built);
                if (!written.isEmpty())
                    fail(written.toStdString(), 1);
            }
        }
    } catch (const RandomScriptError& e) {
        fail(std::string("the draw budget of PELKANO_DRAW_BUDGET ran out: ") + e.what(), 1);
    }
    writeOut(out);
    return 0;
}
