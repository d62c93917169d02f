// How well and how fast a class's scanned worked sheets are marked. Each benchmark makes up a
// class's scans (tools/ScanMaker: held-out MNIST handwriting, right workings, workings with each
// kind of mistake, unanswered problems, a printer's and a scanner's damage), reads them back from
// their PDF, marks them and prints the figures beside their goals. Nothing is asserted here.
//
//   build/release/bench/bench_marking                                 everything
//   build/release/bench/bench_marking --benchmark_filter=Layout       a class set of every layout
//   build/release/bench/bench_marking --benchmark_filter=Undamaged    the same, not printed or scanned
//   build/release/bench/bench_marking --benchmark_filter=Type         each of the 78 types
//   build/release/bench/bench_marking --benchmark_filter=Class30      time and memory, 30 sheets
//                                       (pelkano-sheets --mark, and the reader alone)
//   build/release/bench/bench_marking --benchmark_filter=Mnist        single held-out digits
// PELKANO_BENCH_SHEETS (default 30) sets the sheets of a layout's class set,
// PELKANO_BENCH_TYPE_SHEETS (default 2) those of a type's; PELKANO_BENCH_VERBOSE=1 lists every
// problem judged otherwise than it was made.
#include "MarkingEvaluation.h"
#include "PupilWorking.h"
#include "Recognizer.h"
#include "SheetOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace pelkano;

namespace {

int envInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

const HandDigits& hand()
{
    static const HandDigits digits = [] {
        QString error;
        HandDigits d = HandDigits::load(HandDigits::defaultDir(PELKANO_SOURCE_DIR), error);
        if (!error.isEmpty())
            std::fprintf(stderr, "bench_marking: %s\n", qPrintable(error));
        return d;
    }();
    return digits;
}

std::vector<int> allTypes()
{
    std::vector<int> types;
    for (int t = 1; t <= 78; ++t)
        types.push_back(t);
    return types;
}

// The figures of every class marked, by benchmark family, for the totals printed at the end.
std::vector<std::pair<std::string, MarkingFigures>>& totals()
{
    static std::vector<std::pair<std::string, MarkingFigures>> all;
    return all;
}

void printFigures(const MarkingFigures& f, const std::string& what, bool lines)
{
    std::string kinds;
    for (std::size_t k = 0; k < kMadeMistakes.size(); ++k)
        kinds += std::string(" ") + mistakeName(kMadeMistakes[k]) + " " + std::to_string(f.kindFound[k]) + "/" +
                 std::to_string(f.kindMade[k]);
    std::printf("%s: %d problems; of %d judged, %.2f %% right or wrong as made (goal >= 99.5); "
                "%.2f confident wrong judgements per 1,000 (goal <= 1); 要確認 %.2f %% (goal <= 5, %d pages unread); "
                "kind named for %.2f %% of %d wrong judged wrong (goal >= 95):%s\n",
                what.c_str(), f.problems, f.judged, 100 * f.judgedRightShare(), f.confidentWrongPerThousand(),
                100 * f.checkShare(), f.unreadPages, 100 * f.kindShare(), f.wrongJudgedWrong, kinds.c_str());
    if (lines && std::getenv("PELKANO_BENCH_VERBOSE"))
        for (const std::string& line : f.misjudged)
            std::printf("  %s\n", line.c_str());
    std::fflush(stdout);
}

void report(benchmark::State& state, const MarkingFigures& f, const std::string& family, const std::string& what)
{
    state.counters["problems"] = f.problems;
    state.counters["judged_right_%"] = 100 * f.judgedRightShare();
    state.counters["wrong_per_1000"] = f.confidentWrongPerThousand();
    state.counters["check_%"] = 100 * f.checkShare();
    state.counters["kind_named_%"] = 100 * f.kindShare();
    state.counters["unread_pages"] = f.unreadPages;
    printFigures(f, what, true);
    auto& all = totals();
    const auto found = std::find_if(all.begin(), all.end(), [&](const auto& t) { return t.first == family; });
    if (found == all.end())
        all.emplace_back(family, f);
    else
        found->second += f;
}

// Makes the class's scans, writes them as one PDF, reads it back and marks it.
void markClass(benchmark::State& state, const ScanRecipe& recipe, const std::string& family, const std::string& what)
{
    MarkingFigures figures;
    for (auto _ : state) {
        QString error;
        const ScanSet set = makeScans(recipe, hand(), error);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("class.pdf");
        if (error.isEmpty())
            error = writeScanPdf(pdf, set.pages);
        std::vector<marking::PageResult> pages;
        if (error.isEmpty())
            pages = markPdf(pdf, 2, error);
        if (!error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        figures = compareMarks(set.truth, pages);
    }
    report(state, figures, family, what);
}

// A class set of every type in the layout the benchmark's argument names.
ScanRecipe layoutRecipe(const benchmark::State& state)
{
    ScanRecipe recipe;
    recipe.set.types = allTypes();
    recipe.set.pattern = static_cast<LayoutPattern>(state.range(0));
    recipe.set.seed = 1000 + static_cast<std::uint64_t>(state.range(0));
    recipe.seed = recipe.set.seed;
    recipe.sheets = envInt("PELKANO_BENCH_SHEETS", 30);
    return recipe;
}

void BM_Layout(benchmark::State& state)
{
    const ScanRecipe recipe = layoutRecipe(state);
    markClass(state, recipe, "layouts", std::string("layout ") + layoutName(recipe.set.pattern) + ", types 1-78");
}
BENCHMARK(BM_Layout)->DenseRange(0, kLayoutPatternCount - 1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same class sets as printed and filled in, without a printer's or a scanner's damage: what
// the reading of the handwriting alone gets right.
void BM_Undamaged(benchmark::State& state)
{
    ScanRecipe recipe = layoutRecipe(state);
    recipe.damage = false;
    markClass(state, recipe, "undamaged layouts", std::string("undamaged, layout ") + layoutName(recipe.set.pattern) + ", types 1-78");
}
BENCHMARK(BM_Undamaged)->DenseRange(0, kLayoutPatternCount - 1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_Type(benchmark::State& state)
{
    ScanRecipe recipe;
    recipe.set.types = {static_cast<int>(state.range(0))};
    recipe.set.pattern = LayoutPattern::R4C3;
    recipe.set.seed = 2000 + static_cast<std::uint64_t>(state.range(0));
    recipe.seed = recipe.set.seed;
    recipe.sheets = envInt("PELKANO_BENCH_TYPE_SHEETS", 2);
    markClass(state, recipe, "types", "type " + std::to_string(state.range(0)));
}
BENCHMARK(BM_Type)->DenseRange(1, 78)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A program run to its end: its wall time, its processor time, its peak memory, how it ended.
struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    double megabytes = 0;
    bool ok = false;
};

// Runs a program with its output thrown away and waits for it.
Run spawnAndWait(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Run run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.megabytes = usage.ru_maxrss / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// A child's peak memory counts the memory of the process that started it (Linux keeps the
// high-water mark across exec), so the program is started by a small process of its own: this
// program with --measure, before it has made anything.
Run runMeasured(const std::vector<std::string>& args)
{
    std::vector<std::string> measure{QCoreApplication::applicationFilePath().toStdString(), "--measure"};
    measure.insert(measure.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : measure)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Run run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid)
        return run;
    int ok = 0;
    if (std::sscanf(text.c_str(), "%lf %lf %lf %d", &run.seconds, &run.cpuSeconds, &run.megabytes, &ok) == 4)
        run.ok = ok != 0;
    return run;
}

// 30 sheets of 12 problems at 300 dpi in one PDF, marked as a teacher would mark them
// (pelkano-sheets --mark, writing the marked PDF and the table), and by this program's own
// reader on two threads (--mark-pdf): each a process of its own, so that its time and peak memory
// are the marking's alone, reading the PDF included. Goal: at most 10 s and 500 MB.
void BM_Class30At300(benchmark::State& state)
{
    ScanRecipe recipe;
    recipe.set.types = allTypes();
    recipe.set.pattern = LayoutPattern::R4C3;
    recipe.set.seed = 30;
    recipe.seed = 30;
    recipe.sheets = 30;
    recipe.scanDpis = {300};
    QString error;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("class.pdf");
    {
        const ScanSet set = makeScans(recipe, hand(), error);
        if (error.isEmpty())
            error = writeScanPdf(pdf, set.pages);
    }
    if (!error.isEmpty()) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    Run cli, reader;
    for (auto _ : state) {
        cli = runMeasured({PELKANO_SHEETS_EXE, "--mark", pdf.toStdString(), "-o", dir.filePath("marked.pdf").toStdString(),
                           "--csv", dir.filePath("marked.csv").toStdString()});
        reader = runMeasured({QCoreApplication::applicationFilePath().toStdString(), "--mark-pdf", pdf.toStdString()});
    }
    if (!reader.ok)
        state.SkipWithError("the marking process failed");
    state.counters["cli_s"] = cli.seconds;
    state.counters["cli_cpu_s"] = cli.cpuSeconds;
    state.counters["cli_MB"] = cli.megabytes;
    state.counters["reader_s"] = reader.seconds;
    state.counters["reader_cpu_s"] = reader.cpuSeconds;
    state.counters["reader_MB"] = reader.megabytes;
    std::printf("30 sheets at 300 dpi in one PDF (%lld bytes), goals <= 10 s and <= 500 MB:\n"
                "  pelkano-sheets --mark -o --csv: %.2f s (processor %.2f s), peak %.0f MB%s\n"
                "  read and marked on 2 threads:    %.2f s (processor %.2f s), peak %.0f MB\n",
                static_cast<long long>(QFileInfo(pdf).size()), cli.seconds, cli.cpuSeconds, cli.megabytes,
                cli.ok ? "" : " (exit status not 0: some page unread)", reader.seconds, reader.cpuSeconds,
                reader.megabytes);
    std::fflush(stdout);
}
BENCHMARK(BM_Class30At300)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Every held-out MNIST digit (index 800 on) alone in a square, black on white as written.
void BM_MnistDigits(benchmark::State& state)
{
    int read = 0, all = 0;
    std::array<int, 10> right{}, count{};
    for (auto _ : state) {
        read = all = 0;
        right = count = {};
        for (int digit = 0; digit < 10; ++digit) {
            for (const HandDigits::Image& image : hand().of(digit)) {
                marking::GreyImage crop;
                crop.width = crop.height = HandDigits::kSide;
                for (const float ink : image)
                    crop.pixels.push_back(static_cast<std::uint8_t>(std::lround(255 * (1 - ink))));
                const marking::CellScores scores = marking::recognizeCell(crop);
                const auto best = std::max_element(scores.begin(), scores.end()) - scores.begin();
                ++all;
                ++count[static_cast<std::size_t>(digit)];
                if (best == digit) {
                    ++read;
                    ++right[static_cast<std::size_t>(digit)];
                }
            }
        }
    }
    state.counters["digits"] = all;
    state.counters["read_%"] = all > 0 ? 100.0 * read / all : 0;
    std::string each;
    for (int d = 0; d < 10; ++d) {
        char line[48];
        std::snprintf(line, sizeof line, " %d: %d/%d", d, right[static_cast<std::size_t>(d)], count[static_cast<std::size_t>(d)]);
        each += line;
    }
    std::printf("held-out MNIST digits read right: %d of %d, %.2f %% (aim 99):%s\n", read, all,
                all > 0 ? 100.0 * read / all : 0, each.c_str());
    std::fflush(stdout);
}
BENCHMARK(BM_MnistDigits)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The child of BM_Class30At300: reads and marks the PDF.
int markOnly(const char* path)
{
    QString error;
    const std::vector<marking::PageResult> pages = markPdf(QString::fromLocal8Bit(path), 2, error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_marking: %s\n", qPrintable(error));
        return 1;
    }
    return pages.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--measure") == 0) {
        const Run run = spawnAndWait(std::vector<std::string>(argv + 2, argv + argc));
        std::printf("%.3f %.3f %.1f %d\n", run.seconds, run.cpuSeconds, run.megabytes, run.ok ? 1 : 0);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--mark-pdf") == 0)
        return markOnly(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    for (const auto& [family, figures] : totals())
        printFigures(figures, "all of " + family, false);
    benchmark::Shutdown();
    return 0;
}
