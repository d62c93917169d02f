#pragma once
// R(n): the one source of randomness of the type rules. A uniform integer in 0..n-1, and 0 for
// n <= 0 (several rules call R(0) and rely on it). The order of draws inside a rule is part of
// the rule, so tests replace the source by a scripted one.
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelkano {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int R(int n) = 0;
};

// Reproducible source: a 64-bit Mersenne Twister (its sequence is fixed by the C++ standard) with
// an unbiased bounded draw by rejection, so a seed gives the same draws on every machine.
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    static std::uint64_t clockSeed();
    int R(int n) override;

private:
    std::mt19937_64 engine_;
};

// A new seed for a set of sheets, drawn from `source` (one R(2^30)): 30 bits keep the codes of
// its sheets short.
std::uint64_t newSetSeed(RandomSource& source);

// Thrown by the test sources: a scripted source that ran dry or was asked for a bound its next
// value does not fit, or a draw budget that was used up (a loop that redraws the wrong thing).
class RandomScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Hands out a fixed list of values in order and records every n asked for.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int> values) : values_(std::move(values)) {}
    int R(int n) override;
    const std::vector<int>& asked() const { return asked_; }
    std::size_t used() const { return next_; }
    bool exhausted() const { return next_ == values_.size(); }

private:
    std::vector<int> values_;
    std::vector<int> asked_;
    std::size_t next_ = 0;
};

// Wraps another source and throws after a fixed number of draws.
class BudgetedRandom final : public RandomSource {
public:
    BudgetedRandom(RandomSource& inner, long long budget) : inner_(inner), left_(budget) {}
    int R(int n) override;
    long long draws() const { return draws_; }
    void reset(long long budget) { left_ = budget; draws_ = 0; }

private:
    RandomSource& inner_;
    long long left_;
    long long draws_ = 0;
};

}  // namespace pelkano
