#pragma once
// The written-division template of a division type, as the type pages show it: a square for
// every digit the working of a problem of the type sets down, in the cells where the figure puts
// it, and the digit 0 where every problem of the type has a 0.
//
// A template is never drawn by hand: it is read off the type's own rule. Many problems of the
// type are drawn with a seeded source, each is worked as a written division, and the cells of
// the working are compared across the problems. So a picture cannot disagree with its type.
#include "LongDivision.h"
#include "NumberTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelkano::pictures {

enum class LineKind {
    Quotient,   // row 0, its last digit over the last dividend digit
    Divisor,    // row 1, from cell 0
    Dividend,   // row 1, after the bracket
    Product,    // a partial product, underlined
    Working,    // a difference with the next digit brought down
    Remainder,  // the final remainder, always set down (also when it is 0)
};

const char* kindName(LineKind kind);

// One number of the figure. `digits` has one character per cell: a decimal digit in the figure
// of one problem; in a template '#' for a free digit and '0' for a digit fixed to 0.
struct FigureLine {
    LineKind kind = LineKind::Quotient;
    int row = 0;
    int firstCell = 0;
    std::string digits;

    int lastCell() const { return firstCell + static_cast<int>(digits.size()) - 1; }
    friend bool operator==(const FigureLine&, const FigureLine&) = default;
};

// The cells of one worked problem. Cells are counted from 0 at the divisor's first digit; the
// bracket takes the cell after the divisor, the dividend the cells after it. Row 0 holds the
// quotient (with the bar along its bottom), row 1 divisor and dividend, the working rows 2 on:
// each partial product on an even row, underlined, the number below it on the next row. A
// quotient digit 0 gets no product of its own; the final remainder is always on the last row.
struct Figure {
    int divisorDigits = 0;
    int dividendDigits = 0;
    int quotientDigits = 0;
    std::vector<FigureLine> lines;  // quotient, divisor, dividend, then the working top down

    int cells() const { return divisorDigits + 1 + dividendDigits; }
    int bracketCell() const { return divisorDigits; }
    int rows() const;
    // The lines with every digit replaced by '#': what two problems of one shape share.
    std::string shapeKey() const;
};

Figure figureOf(const LongDivision& working);

struct TypeTemplate {
    int type = 0;
    Figure figure;         // digits '#' (free) and '0' (fixed to 0)
    int samples = 0;       // problems drawn
    int shapeSamples = 0;  // of these, problems with the template's shape
    int shapeCount = 0;    // distinct shapes among the problems
    int runnerUp = 0;      // problems with the next most frequent shape (0 when there is one)

    int cells() const { return figure.cells(); }
    int rows() const { return figure.rows(); }
};

inline constexpr int kTemplateSamples = 3000;       // problems drawn in one batch
inline constexpr int kTemplateSampleLimit = 60000;
inline constexpr std::uint64_t kTemplateSeed = 20240611;

// Draws problems of `type` in batches of `samples` (throws UnsupportedType when the type has no
// rule) and derives its template. When the shape of the working varies between problems (a
// product of one or two digits, a dividend of one or two digits), the template takes the most
// frequent shape; batches are drawn until that shape leads clearly. A digit is fixed to 0 when it is 0 in every drawn
// problem of that shape.
TypeTemplate deriveTemplate(int type, const NumberTables& tables, int samples = kTemplateSamples,
                            std::uint64_t seed = kTemplateSeed);

// True when `problem` has the template's shape and every digit the template fixes to 0 is 0.
bool sameShape(const Figure& problem, const TypeTemplate& t);
bool zerosHold(const Figure& problem, const TypeTemplate& t);

// The text form, one block per type, as kept beside the pictures:
//   type 10: divisor 1, dividend 2, quotient 2; 3 rows, 4 cells
//     quotient  row 0 cell 2 #0
//     ...
//     shape of 2954 of 3000 problems, 2 shapes, the next of 46
std::string describe(const TypeTemplate& t);
std::string describe(const Figure& f);

}  // namespace pelkano::pictures
