// pelkano-sheets: builds worksheets as the window's Preview does and prints them as CSV, or
// prints raw draws of the generator as a problem bank; with --output it also draws the sheets.
#include "Mark.h"
#include "NumberTable.h"
#include "Options.h"
#include "Output.h"
#include "QtSurface.h"
#include "Sheet.h"
#include "SheetCode.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace pelkano;

namespace {

// Every message of the tool is one line on standard error; the status is handed back.
int failed(const std::string& message, int status)
{
    std::cerr << "pelkano-sheets: " << message << "\n";
    return status;
}

// The generator's warnings (a number table read out of range), each said once, in English.
class StderrReporter final : public Reporter {
public:
    void warn(const std::string& text) override
    {
        if (!said_.insert(text).second)
            return;
        const std::string shown = text == kCommaFieldWarning ? "a number table was read past the end of a line"
                                                              : cli::printable(text);
        std::cerr << "pelkano-sheets: warning: " << shown << "\n";
    }

private:
    std::set<std::string> said_;
};

// Sheets that could not be filled, told once at the end with the counts.
struct ShortSheets {
    long long sheets = 0;
    int fewest = INT_MAX;
    int most = 0;
    long long listed = 0;  // their problems in the CSV
    long long drawn = 0;   // of those, on their pages (whole rows only)

    void add(int count, LayoutPattern pattern)
    {
        ++sheets;
        fewest = std::min(fewest, count);
        most = std::max(most, count);
        listed += count;
        drawn += drawnProblemCount(count, pattern);
    }

    std::string warning(long long total, LayoutPattern pattern, bool pagesDrawn) const
    {
        std::string text = "warning: " + std::to_string(sheets) + " of " + std::to_string(total) +
                           " sheets short of problems (" + std::to_string(fewest) +
                           (most != fewest ? " to " + std::to_string(most) : std::string()) + " of " +
                           std::to_string(problemCount(pattern)) +
                           "; no more distinct problems of the ticked types were found)";
        if (pagesDrawn && drawn != listed)
            text += "; drawn in whole rows, their pages show " + std::to_string(drawn) + " of those " +
                    std::to_string(listed) + " problems";
        return text;
    }
};

void appendRow(std::string& out, const std::string& sheet, const std::string& printNumber, const std::string& slot,
               int type, int dividend, int divisor)
{
    out += sheet + ',' + printNumber + ',' + slot + ',' + std::to_string(type) + ',' + std::to_string(dividend) + ',' +
           std::to_string(divisor) + ',' + std::to_string(dividend / divisor) + ',' + std::to_string(dividend % divisor) +
           '\n';
}

// Writes the text to standard output and empties it. Empty on success, else the one-line
// reason (a full disk, a closed pipe).
std::string writeOut(std::string& out)
{
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        const int error = errno;
        return std::string("cannot write to standard output: ") + (error != 0 ? std::strerror(error) : "write failed");
    }
    out.clear();
    return {};
}

// A standard stream that is closed would be taken by the next file the tool opens, and the
// CSV or a message would go into it: each closed one gets /dev/null. False when standard
// output was closed.
bool claimStandardStreams()
{
    bool outputOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == 1)
            outputOpen = false;
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    return outputOpen;
}

// The platform only gives the tool its fonts: offscreen, unless QT_QPA_PLATFORM names a desktop
// platform (X11, Wayland), which gives way to offscreen when it cannot connect. Others are not
// tried: some abort without their device (eglfs, minimalegl), have no fonts (minimal) or open a
// server (vnc).
void choosePlatform()
{
    QByteArrayList kept;
    for (const QByteArray& name : qgetenv("QT_QPA_PLATFORM").split(';')) {
        const QByteArray platform = name.split(':').constFirst().trimmed();
        if (platform == "offscreen")
            break;
        if (platform == "xcb" || platform.startsWith("wayland"))
            kept << name.trimmed();
    }
    kept << "offscreen";
    qputenv("QT_QPA_PLATFORM", kept.join(';'));
}

// Standard error is for the tool's own messages: the platform's chatter (no display to
// connect to, no session's runtime folder) is not its business; anything else from Qt is
// passed on as one line of the tool's.
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool platform = context.category != nullptr && std::strncmp(context.category, "qt.qpa.", 7) == 0;
    if (type == QtDebugMsg || type == QtInfoMsg || (type == QtWarningMsg && platform) ||
        message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    std::cerr << "pelkano-sheets: " << cli::printable(message.toStdString()) << "\n";
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

// While pages are being drawn, SIGINT, SIGTERM and SIGHUP stop the drawing after the page in
// hand, so that no hidden file is left behind; a second one ends the tool at once.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal)
{
    if (stopSignal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    stopSignal = signal;
}

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

// Ends the tool by the signal that stopped it, as it would have ended without the cleaning up.
int endByStopSignal()
{
    const int signal = stopSignal;
    failed(std::string("stopped by ") + strsignal(signal) + ": no file was written", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}

int run(int argc, char** argv)
{
    if (!claimStandardStreams())
        return failed(std::string("cannot write to standard output: ") + std::strerror(EBADF), 1);
    // A closed pipe is a failed write with its reason, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);

    // The arguments exactly as given. A name or text that does not survive the round trip through
    // the local encoding would become another one, so it is refused.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString text = QString::fromLocal8Bit(raw);
        if (text.toLocal8Bit() != raw)
            return failed("argument '" + cli::printable(raw.toStdString()) + "' is not text in the local encoding", 2);
        arguments << text;
    }
    if (arguments.isEmpty())
        arguments << QStringLiteral("pelkano-sheets");

    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    if (parsed.action == cli::Action::Error)
        return failed(parsed.text, 2);
    if (parsed.action != cli::Action::Run) {
        std::string text = parsed.text;
        const std::string error = writeOut(text);
        return error.empty() ? 0 : failed(error, 1);
    }
    const cli::Options& o = parsed.options;

    // Qt gets no argument from the command line: the application is made with the name only.
    // Drawing needs fonts, so a QGuiApplication.
    qInstallMessageHandler(qtMessage);
    if (o.drawn() || o.mark)
        choosePlatform();
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    const std::unique_ptr<QCoreApplication> app = o.drawn() || o.mark ? std::make_unique<QGuiApplication>(appArgc, appArgv)
                                                            : std::make_unique<QCoreApplication>(appArgc, appArgv);
    QCoreApplication::setApplicationName("pelkano-sheets");
    // Qt set the user's locale: its characters stay (names of files), but the system's reasons
    // in messages are English, as every message of the tool.
    std::setlocale(LC_MESSAGES, "C");
    if (o.mark) {
        const cli::MarkOutcome marked = cli::markScans(*o.mark);
        std::string lines = marked.lines;
        const std::string error = writeOut(lines);
        for (const std::string& e : marked.errors)
            failed(e, 1);
        return error.empty() ? marked.status : failed(error, 1);
    }

    const SelectedTypes selected = SelectedTypes::ofTypes(o.types);
    SetRecipe recipe{o.seed.value_or(0), o.types, o.layout, o.sameMix, o.balanced, o.easyOrder, o.drawsAsBefore};
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

    // Drawn: what can be known before drawing (the folder, the names) is checked first, and the
    // CSV goes out only once the files are written.
    if (o.drawn()) {
        const QString unwritable = checkTargets(cli::outputPaths(o.drawing, static_cast<int>(o.sheets)));
        if (!unwritable.isEmpty())
            return failed(cli::printable(unwritable.toStdString()), 1);
    }
    std::string out = "sheet,print_number,slot,type,dividend,divisor,quotient,remainder\n";
    std::string error;
    std::vector<ProblemSheet> built;
    // Rows go out in blocks of about a megabyte, so a long run needs no more memory than a short
    // one; the rows of drawn sheets wait for their files.
    const auto flushIfLarge = [&out, &error, &o] {
        if (out.size() >= (1u << 20) && error.empty() && !o.drawn())
            error = writeOut(out);
        return error.empty();
    };
    try {
        if (o.draws) {
            for (long long i = 0; i < *o.draws && flushIfLarge(); ++i) {
                const GeneratedProblem g = MakeDataTyped(selected, ctx);
                appendRow(out, "", "", "", g.type, g.problem.dividend, g.problem.divisor);
            }
            if (error.empty())
                error = writeOut(out);
            return error.empty() ? 0 : failed(error, 1);
        }
        ShortSheets shortSheets;
        buildSheets(recipe, o.firstIndex, o.sheets, o.printNumber, ctx,
                    [&](long long k, const ProblemSheet& sheet, bool complete) {
                        if (!complete)
                            shortSheets.add(sheet.count, o.layout);
                        for (int i = 0; i < sheet.count; ++i)
                            appendRow(out, std::to_string(k + 1), std::to_string(sheet.printNumber),
                                      std::to_string(i + 1), sheet.types[static_cast<std::size_t>(i)],
                                      std::stoi(sheet.dividends[static_cast<std::size_t>(i)]),
                                      std::stoi(sheet.divisors[static_cast<std::size_t>(i)]));
                        if (o.drawn())
                            built.push_back(sheet);
                        return flushIfLarge();
                    });
        if (shortSheets.sheets > 0)
            failed(shortSheets.warning(o.sheets, o.layout, o.drawn()), 0);
        if (error.empty() && !o.drawn())
            error = writeOut(out);
        if (!error.empty())
            return failed(error, 1);
    } catch (const RandomScriptError& e) {
        return failed(std::string("the draw budget of PELKANO_DRAW_BUDGET ran out: ") + e.what(), 1);
    }
    if (!o.drawn())
        return 0;

    const QString faces = checkFaces();
    if (!faces.isEmpty())
        failed(faces.toStdString(), 0);
    if (recipe.seed > kMaxCodeSeed)
        failed("warning: the pages of seed " + std::to_string(recipe.seed) + " carry no code (codes name seeds up to " +
                   std::to_string(kMaxCodeSeed) + "), so --code cannot make them again",
               0);
    catchStopSignals();
    const QString written = cli::writeSheets(o.drawing, built, [](int, int) { return stopSignal == 0; });
    if (stopSignal != 0 && !written.isEmpty())
        return endByStopSignal();
    if (!written.isEmpty())
        return failed(cli::printable(written.toStdString()), 1);
    error = writeOut(out);
    return error.empty() ? 0 : failed(error + " (the files were written)", 1);
}

}  // namespace

int main(int argc, char** argv)
{
    return run(argc, argv);
}
