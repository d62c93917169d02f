#pragma once
#include <string>

namespace pelkano {

// One division problem as a rule hands it back: dividend 0..99,999, divisor 1..999.
struct DivisionProblem {
    int dividend = 0;
    int divisor = 1;
    friend bool operator==(const DivisionProblem&, const DivisionProblem&) = default;
};

// Where the generator's warnings go: a message box in the window, standard error in the
// command-line tool, a list in tests. The generator itself never shows anything.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void warn(const std::string& text) = 0;
};

// Swallows warnings (benchmarks, tools).
class SilentReporter final : public Reporter {
public:
    void warn(const std::string&) override {}
};

}  // namespace pelkano
