// Loading both number tables at start-up (splitting their embedded bytes into lines), and
// drawing a pair from the longest lines.
#include "NumberTable.h"

#include <benchmark/benchmark.h>

using namespace pelkano;

static void loadBothTables(benchmark::State& state)
{
    for (auto _ : state) {
        NumberTables tables = NumberTables::load();
        benchmark::DoNotOptimize(tables);
    }
}
BENCHMARK(loadBothTables)->Unit(benchmark::kMicrosecond);

// Type 46 and type 54 draws: a line, then one field of it read from the line's start.
static void drawPair(benchmark::State& state)
{
    const NumberTables tables = NumberTables::load();
    const bool d5053 = state.range(0) == 1;
    SeededRandom random(1);
    SilentReporter quiet;
    for (auto _ : state) {
        const DivisionProblem p = d5053 ? drawTablePair(tables.d5053, tables.counts5053, 0, random, quiet)
                                        : drawTablePair(tables.d4247, tables.counts4247, 0, random, quiet);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(drawPair)->Arg(0)->Arg(1)->ArgNames({"D5053"});

BENCHMARK_MAIN();
