// The square reader: squares read per second, by the side of the crop (a 7.5 mm square at 150,
// 300 and 600 dpi), and its two parts: making the network's input and running the network.
#include "Recognizer.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace pelkano::marking;

namespace {

// A ring of ink, like a written 0, in a crop of the given side.
GreyImage ringCrop(int side)
{
    GreyImage crop;
    crop.width = side;
    crop.height = side;
    crop.pixels.assign(static_cast<std::size_t>(side) * side, 250);
    const double c = side / 2.0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double r = std::hypot((x + 0.5 - c) / 0.6, y + 0.5 - c) / side;
            if (std::abs(r - 0.3) < 0.04)
                crop.pixels[static_cast<std::size_t>(y) * side + x] = 40;
        }
    }
    return crop;
}

void BM_recognizeCell(benchmark::State& state)
{
    const GreyImage crop = ringCrop(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(recognizeCell(crop));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_recognizeCell)->Arg(44)->Arg(88)->Arg(176);

void BM_cellInput(benchmark::State& state)
{
    const GreyImage crop = ringCrop(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(cellInput(crop));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_cellInput)->Arg(44)->Arg(176);

void BM_cellLogits(benchmark::State& state)
{
    const CellInput input = cellInput(ringCrop(88));
    for (auto _ : state)
        benchmark::DoNotOptimize(cellLogits(input, 0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_cellLogits);

}  // namespace

BENCHMARK_MAIN();
