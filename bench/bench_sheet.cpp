// Building one 12-problem sheet (4段3列) for groups of ticked types, and making again from its code
// the last sheet of a set that a code can name (which builds every sheet before it). Groups with a
// type whose rule is not built in this tree are skipped.
#include "Sheet.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace pelkano;

namespace {

const NumberTables& tables()
{
    static const NumberTables t = NumberTables::load();
    return t;
}

void buildTwelve(benchmark::State& state, int first, int last)
{
    SelectedTypes selected;
    for (int t = first; t <= last; ++t) {
        if (!ruleFor(t)) {
            state.SkipWithError(("type " + std::to_string(t) + " has no rule in this build").c_str());
            return;
        }
        selected.tick(t, true);
    }
    SeededRandom random(1);
    SilentReporter reporter;
    RuleContext ctx{random, tables(), reporter};
    ProblemSheet sheet;
    long long shortSheets = 0;
    for (auto _ : state) {
        if (!buildSheet(sheet, LayoutPattern::R4C3, selected, ctx))
            ++shortSheets;
        benchmark::DoNotOptimize(sheet.count);
    }
    state.counters["short_sheets"] = static_cast<double>(shortSheets);
    state.SetItemsProcessed(state.iterations());
}

// Sheet kMaxSheetIndex of a 4段3列 set of types first..last, with or without the same mix.
void lastSheetOfASet(benchmark::State& state, int first, int last, bool sameMix)
{
    SetRecipe recipe{1, {}, LayoutPattern::R4C3, sameMix};
    for (int t = first; t <= last; ++t) {
        if (!ruleFor(t)) {
            state.SkipWithError(("type " + std::to_string(t) + " has no rule in this build").c_str());
            return;
        }
        recipe.types.push_back(t);
    }
    SilentReporter reporter;
    for (auto _ : state) {
        SeededRandom random(recipe.seed);
        RuleContext ctx{random, tables(), reporter};
        buildSheets(recipe, kMaxSheetIndex, 1, 1, ctx, [](long long, const ProblemSheet& sheet, bool) {
            benchmark::DoNotOptimize(sheet.count);
            return true;
        });
    }
}

// Builds the 20,000 sheets of `recipe` once per iteration.
void buildTwentyThousand(benchmark::State& state, const SetRecipe& recipe)
{
    SilentReporter reporter;
    for (auto _ : state) {
        SeededRandom random(recipe.seed);
        RuleContext ctx{random, tables(), reporter};
        buildSheets(recipe, 0, 20000, 1, ctx, [](long long, const ProblemSheet& sheet, bool) {
            benchmark::DoNotOptimize(sheet.count);
            return true;
        });
    }
    state.SetItemsProcessed(state.iterations() * 20000);
}

// A whole set of 20,000 4段3列 sheets of types first..last, with or without the same mix: the
// same mix should cost at most about twice the plain set.
void twentyThousandSheets(benchmark::State& state, int first, int last, bool sameMix)
{
    SetRecipe recipe{1, {}, LayoutPattern::R4C3, sameMix};
    for (int t = first; t <= last; ++t)
        recipe.types.push_back(t);
    buildTwentyThousand(state, recipe);
}

// The same, of the twelve types on the first sheet of the all-78 set (seed 1): a plain set has
// each of them once on every sheet (balanced), as a same-mix set has. The types' rules differ in
// cost, so this compares like with like; drawsAsBefore draws as sets of older codes do.
void twentyThousandSheetsOfTheFirstMix(benchmark::State& state, bool sameMix, bool drawsAsBefore)
{
    SetRecipe all{1, {}, LayoutPattern::R4C3};
    for (int t = 1; t <= kTypeCount; ++t)
        all.types.push_back(t);
    SetRecipe recipe{1, {}, LayoutPattern::R4C3, sameMix, true, false, drawsAsBefore};
    SeededRandom random(all.seed);
    SilentReporter reporter;
    RuleContext ctx{random, tables(), reporter};
    buildSheets(all, 0, 1, 1, ctx, [&](long long, const ProblemSheet& sheet, bool) {
        recipe.types.assign(sheet.types.begin(), sheet.types.begin() + sheet.count);
        return true;
    });
    buildTwentyThousand(state, recipe);
}

}  // namespace

BENCHMARK_CAPTURE(twentyThousandSheetsOfTheFirstMix, plain, false, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheetsOfTheFirstMix, same_mix, true, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheetsOfTheFirstMix, same_mix_drawn_as_before, true, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, all_78_types, 1, 78, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, all_78_types_same_mix, 1, 78, true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, type_67, 67, 67, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, type_67_same_mix, 67, 67, true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, types_1_to_4, 1, 4, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(twentyThousandSheets, types_1_to_4_same_mix, 1, 4, true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(lastSheetOfASet, all_78_types, 1, 78, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lastSheetOfASet, all_78_types_same_mix, 1, 78, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lastSheetOfASet, types_11_to_17_same_mix, 11, 17, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(buildTwelve, types_1_to_26, 1, 26);
BENCHMARK_CAPTURE(buildTwelve, types_27_to_53, 27, 53);
BENCHMARK_CAPTURE(buildTwelve, types_54_to_78, 54, 78);
BENCHMARK_CAPTURE(buildTwelve, type_72, 72, 72);
BENCHMARK_CAPTURE(buildTwelve, all_78_types, 1, 78);

BENCHMARK_MAIN();
