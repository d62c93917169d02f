#include "TypeTemplate.h"

#include "Problem.h"
#include "Random.h"
#include "TypeRules.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace pelkano::pictures {

const char* kindName(LineKind kind)
{
    switch (kind) {
    case LineKind::Quotient: return "quotient";
    case LineKind::Divisor: return "divisor";
    case LineKind::Dividend: return "dividend";
    case LineKind::Product: return "product";
    case LineKind::Working: return "working";
    case LineKind::Remainder: return "remainder";
    }
    return "?";
}

int Figure::rows() const
{
    int last = 1;
    for (const FigureLine& line : lines)
        last = std::max(last, line.row);
    return last + 1;
}

std::string Figure::shapeKey() const
{
    std::string key = std::to_string(divisorDigits) + ")" + std::to_string(dividendDigits);
    for (const FigureLine& line : lines) {
        key += ' ';
        key += kindName(line.kind);
        key += ':' + std::to_string(line.row) + ':' + std::to_string(line.firstCell) + ':'
            + std::to_string(line.digits.size());
    }
    return key;
}

Figure figureOf(const LongDivision& w)
{
    Figure f;
    const std::string dividend = std::to_string(w.dividend);
    const std::string divisor = std::to_string(w.divisor);
    const std::string quotient = std::to_string(w.quotient);
    f.divisorDigits = static_cast<int>(divisor.size());
    f.dividendDigits = static_cast<int>(dividend.size());
    f.quotientDigits = static_cast<int>(quotient.size());
    const int firstDividendCell = f.divisorDigits + 1;
    const int lastCell = f.cells() - 1;

    // A number whose last digit stands in `cell`.
    auto endingAt = [&f](LineKind kind, int row, int cell, const std::string& digits) {
        f.lines.push_back({kind, row, cell - static_cast<int>(digits.size()) + 1, digits});
    };
    endingAt(LineKind::Quotient, 0, lastCell, quotient);
    f.lines.push_back({LineKind::Divisor, 1, 0, divisor});
    f.lines.push_back({LineKind::Dividend, 1, firstDividendCell, dividend});

    for (const WorkingLine& line : w.lines) {
        const LineKind kind = line.kind == WorkingKind::Product      ? LineKind::Product
                              : line.kind == WorkingKind::Difference ? LineKind::Working
                                                                     : LineKind::Remainder;
        endingAt(kind, line.row, firstDividendCell + line.lastDigit, std::to_string(line.value));
    }
    return f;
}

TypeTemplate deriveTemplate(int type, const NumberTables& tables, int samples, std::uint64_t seed)
{
    SeededRandom seeded(seed + static_cast<std::uint64_t>(type));
    BudgetedRandom random(seeded, 10'000'000);
    SilentReporter reporter;
    RuleContext ctx{random, tables, reporter};

    struct Shape {
        Figure figure;  // digits: '0' while every problem of the shape has a 0 there, else '#'
        int count = 0;
        int firstSeen = 0;
    };
    std::map<std::string, Shape> shapes;
    // A problem is worked out once, the first time it comes; after that a draw only counts.
    std::map<std::pair<int, int>, Shape*> seen;
    auto draw = [&](int i) {
        random.reset(10'000'000);
        const DivisionProblem p = runRule(type, ctx);
        Shape*& shape = seen[{p.dividend, p.divisor}];
        if (!shape) {
            const Figure f = figureOf(LongDivision::of(p.dividend, p.divisor));
            auto [it, fresh] = shapes.try_emplace(f.shapeKey());
            shape = &it->second;
            if (fresh) {
                shape->figure = f;
                shape->firstSeen = i;
            }
            for (std::size_t l = 0; l < f.lines.size(); ++l) {
                std::string& mask = shape->figure.lines[l].digits;
                const std::string& digits = f.lines[l].digits;
                for (std::size_t c = 0; c < mask.size(); ++c)
                    if (digits[c] != '0')
                        mask[c] = '#';
            }
        }
        ++shape->count;
    };
    auto leaders = [&shapes] {
        std::pair<const Shape*, const Shape*> top{nullptr, nullptr};
        for (const auto& [key, s] : shapes) {
            if (!top.first || s.count > top.first->count
                || (s.count == top.first->count && s.firstSeen < top.first->firstSeen)) {
                top.second = top.first;
                top.first = &s;
            } else if (!top.second || s.count > top.second->count) {
                top.second = &s;
            }
        }
        return top;
    };
    // Two shapes that come out about equally often need more problems before the more frequent
    // one shows: draw on in batches until the leader is ahead by four standard deviations of
    // the difference, or until the draws reach kTemplateSampleLimit (a true tie goes to the
    // shape drawn first).
    int drawn = 0;
    for (;;) {
        for (int i = 0; i < samples; ++i)
            draw(drawn++);
        const auto [first, second] = leaders();
        if (!second || drawn + samples > kTemplateSampleLimit)
            break;
        const double lead = first->count - second->count;
        if (lead * lead > 16.0 * (first->count + second->count))
            break;
    }

    TypeTemplate t;
    t.type = type;
    t.samples = drawn;
    t.shapeCount = static_cast<int>(shapes.size());
    const auto [best, next] = leaders();
    if (best) {
        t.figure = best->figure;
        t.shapeSamples = best->count;
    }
    if (next)
        t.runnerUp = next->count;
    return t;
}

bool sameShape(const Figure& problem, const TypeTemplate& t)
{
    return problem.shapeKey() == t.figure.shapeKey();
}

bool zerosHold(const Figure& problem, const TypeTemplate& t)
{
    if (!sameShape(problem, t))
        return false;
    for (std::size_t l = 0; l < problem.lines.size(); ++l) {
        const std::string& mask = t.figure.lines[l].digits;
        for (std::size_t c = 0; c < mask.size(); ++c)
            if (mask[c] == '0' && problem.lines[l].digits[c] != '0')
                return false;
    }
    return true;
}

std::string describe(const Figure& f)
{
    std::ostringstream out;
    for (const FigureLine& line : f.lines) {
        out << "  " << kindName(line.kind) << std::string(10 - std::string(kindName(line.kind)).size(), ' ')
            << "row " << line.row << " cell " << line.firstCell << ' ' << line.digits << '\n';
    }
    return out.str();
}

std::string describe(const TypeTemplate& t)
{
    std::ostringstream out;
    const Figure& f = t.figure;
    out << "type " << t.type << ": divisor " << f.divisorDigits << ", dividend " << f.dividendDigits
        << ", quotient " << f.quotientDigits << "; " << f.rows() << " rows, " << f.cells() << " cells\n"
        << describe(f) << "  shape of " << t.shapeSamples << " of " << t.samples << " problems, "
        << t.shapeCount << (t.shapeCount == 1 ? " shape" : " shapes");
    if (t.runnerUp > 0)
        out << ", the next of " << t.runnerUp;
    out << '\n';
    return out.str();
}

}  // namespace pelkano::pictures
