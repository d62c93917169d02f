#include "Random.h"

#include <chrono>
#include <limits>

namespace pelkano {

std::uint64_t SeededRandom::clockSeed()
{
    // The wall clock in nanoseconds: a new value at every start. (A steady clock counts from the
    // start of the process or of the web page, and there gives nearly the same seed every time.)
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());
}

int SeededRandom::R(int n)
{
    if (n <= 0)
        return 0;
    const auto bound = static_cast<std::uint64_t>(n);
    // Reject the top partial block so that every residue is equally likely.
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() - (std::numeric_limits<std::uint64_t>::max() % bound + 1) % bound;
    std::uint64_t x;
    do {
        x = engine_();
    } while (x > limit);
    return static_cast<int>(x % bound);
}

std::uint64_t newSetSeed(RandomSource& source)
{
    return static_cast<std::uint64_t>(source.R(1 << 30));
}

int ScriptedRandom::R(int n)
{
    asked_.push_back(n);
    if (next_ >= values_.size())
        throw RandomScriptError("scripted source ran dry at draw " + std::to_string(next_ + 1) + " (R(" + std::to_string(n) + "))");
    const int v = values_[next_++];
    const int bound = n <= 0 ? 1 : n;
    if (v < 0 || v >= bound)
        throw RandomScriptError("scripted value " + std::to_string(v) + " does not fit R(" + std::to_string(n) + ") at draw " + std::to_string(next_));
    return v;
}

int BudgetedRandom::R(int n)
{
    if (left_-- <= 0)
        throw RandomScriptError("draw budget used up after " + std::to_string(draws_) + " draws");
    ++draws_;
    return inner_.R(n);
}

}  // namespace pelkano
