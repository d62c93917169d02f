#pragma once
// The two embedded number tables. D4247 (types 46 to 51) and D5053 (types 54 to 57) list, for
// each number of tentative-quotient corrections k, one line per two-digit divisor:
// "divisor,count,value1,...". Their text is written at build time by tools/make_tables.
#include "Problem.h"
#include "Random.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano {

using NumberTable = std::vector<std::string>;

// The raw bytes compiled into the program (CR LF line ends, the last line included).
std::string_view embeddedD4247();
std::string_view embeddedD5053();

// Splits at the line ends (CR LF, LF or CR); a final line end makes no empty entry.
NumberTable splitLines(std::string_view bytes);

// Both tables with their per-type line counts, loaded once at start-up.
struct NumberTables {
    NumberTable d4247;
    NumberTable d5053;
    std::array<int, 6> counts4247{};  // types 46..51
    std::array<int, 4> counts5053{};  // types 54..57

    static NumberTables load();
};

inline constexpr const char* kCommaFieldWarning = "指定されたIndex値が範囲を超えています。";

// The index-th field (from 1) of a comma-separated line as an integer; warns and gives -1 when
// the line has fewer fields.
int CommaField(std::string_view line, int index, Reporter& reporter);

// A pair from one segment of a table: a line first, uniformly among the segment's lines, then
// one of that line's values, uniformly. `segment` counts from 0 in `counts`.
DivisionProblem drawTablePair(const NumberTable& table, std::span<const int> counts, int segment,
                              RandomSource& random, Reporter& reporter);

}  // namespace pelkano
