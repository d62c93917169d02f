// A class set on paper: 100 sheets of 12 problems, each followed by its answer sheet, drawn to
// one A4 PDF at 600 dpi (200 pages). Reports the time and the bytes per page.
#include "PageOutput.h"
#include "Random.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <string>

using namespace pelkano;

namespace {

// Seeded problems that need no type rules: two- and one-digit divisors, up to five-digit dividends.
PageList classSet(int sheets)
{
    SeededRandom random(20240401);
    PageList pages;
    for (int k = 0; k < sheets; ++k) {
        ProblemSheet sheet;
        sheet.count = 12;
        sheet.printNumber = k + 1;
        for (std::size_t i = 0; i < 12; ++i) {
            const int divisor = random.R(98) + 2;
            sheet.divisors[i] = std::to_string(divisor);
            sheet.dividends[i] = std::to_string(divisor + random.R(99999 - divisor));
        }
        pages.push_back(sheet);
        sheet.showAnswers = true;
        pages.push_back(sheet);
    }
    return pages;
}

void BM_ClassSetPdf(benchmark::State& state)
{
    const PageList pages = classSet(100);
    RenderSettings settings;
    settings.pattern = LayoutPattern::R4C3;
    const PageSetup setup;  // A4, 600 dpi
    QTemporaryDir dir;
    const QString path = dir.filePath("class-set.pdf");
    for (auto _ : state) {
        const QString error = writePdf(path, pages, settings, setup);
        if (!error.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    const double bytes = static_cast<double>(QFileInfo(path).size());
    state.counters["pages"] = static_cast<double>(pages.size());
    state.counters["bytes_per_page"] = bytes / static_cast<double>(pages.size());
    state.counters["file_bytes"] = bytes;
}
BENCHMARK(BM_ClassSetPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
