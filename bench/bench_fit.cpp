// Fitting crowded sheets: a class set of 100 sheets of all 78 types in one layout, each sheet's
// cell decided for an A4 page at 600 dpi inside the default 5 mm paper margin. Reports how many
// sheets (each a problem page and an answer page) are drawn on a smaller cell than the pattern's,
// the smallest cell, how many sheets have their expressions drawn smaller, how many have frames
// grown to hold the longest working, and (with the tentative quotients) how many have rows for them.
#include "PageLayout.h"
#include "PageOutput.h"
#include "Sheet.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace pelkano;

namespace {

std::vector<ProblemSheet> classSet(LayoutPattern pattern, int sheets)
{
    static const NumberTables tables = NumberTables::load();
    SelectedTypes selected;
    for (int t = 1; t <= kTypeCount; ++t)
        selected.tick(t, true);
    SeededRandom random(20240401);
    SilentReporter reporter;
    RuleContext ctx{random, tables, reporter};
    std::vector<ProblemSheet> out;
    ProblemSheet sheet;
    for (int k = 0; k < sheets; ++k) {
        sheet.printNumber = k + 1;
        buildSheet(sheet, pattern, selected, ctx);
        out.push_back(sheet);
    }
    return out;
}

void BM_FitClassSet(benchmark::State& state)
{
    RenderSettings settings;
    settings.pattern = static_cast<LayoutPattern>(state.range(0));
    settings.style = static_cast<QuestionStyle>(state.range(1));
    settings.tentative = state.range(2) != 0;
    const std::vector<ProblemSheet> sheets = classSet(settings.pattern, 100);
    const QRect area = PageSetup{}.printableRect();
    const Scale scale = Scale::fromSurface(area.width(), area.height());
    const FigureCells own = figureCells(scale, settings.pattern);
    int reduced = 0, smallest = own.cell, smallerExpressions = 0, grownFrames = 0, tentativeRows = 0;
    for (auto _ : state) {
        reduced = 0;
        smallerExpressions = 0;
        grownFrames = 0;
        tentativeRows = 0;
        for (const ProblemSheet& sheet : sheets) {
            const FigureCells cells = fitFigureCells(scale, area.width(), area.height(), sheet, settings);
            if (cells.cell < own.cell)
                ++reduced;
            smallest = std::min(smallest, cells.cell);
            if (cells.expression > 0)
                ++smallerExpressions;
            if (cells.frameRows > 0)
                ++grownFrames;
            if (cells.tentativeRows > 0)
                ++tentativeRows;
        }
        benchmark::DoNotOptimize(reduced);
    }
    state.counters["sheets"] = static_cast<double>(sheets.size());
    state.counters["reduced_sheets"] = reduced;
    state.counters["own_cell"] = own.cell;
    state.counters["smallest_cell"] = smallest;
    state.counters["smaller_expressions"] = smallerExpressions;
    state.counters["grown_frames"] = grownFrames;
    state.counters["tentative_rows"] = tentativeRows;
}
// Layouts 2x2, 3x2, 4x2, 2x3, 3x3, 4x3 in the written and the expression style, without and with
// the tentative quotients.
BENCHMARK(BM_FitClassSet)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
