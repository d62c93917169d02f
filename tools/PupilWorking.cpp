#include "PupilWorking.h"

#include <algorithm>
#include <functional>
#include <string>

namespace pelkano {

namespace {

long long power10(std::size_t k)
{
    long long p = 1;
    for (std::size_t i = 0; i < k; ++i)
        p *= 10;
    return p;
}

long long valueOf(const std::string& digits)
{
    long long v = 0;
    for (const char c : digits)
        v = v * 10 + (c - '0');
    return v;
}

long long fromDigits(const std::vector<int>& unitsFirst)
{
    long long v = 0;
    for (std::size_t i = unitsFirst.size(); i-- > 0;)
        v = v * 10 + unitsFirst[i];
    return v;
}

// What the pupil writes in one row: the digits and the column of the last one.
struct Writing {
    std::string digits;
    int last = 0;
    bool stopAfter = false;  // the pupil writes nothing after this row
};

// The pupil's numbers when a row is written, as the judge reads them from the pupil's rows.
struct Before {
    const PracticeRow* row = nullptr;
    long long expected = 0;  // what the pupil's own numbers give for this row
    long long partial = 0;   // the step's partial dividend
    long long minuend = 0;   // the last subtraction's two numbers
    long long subtrahend = 0;
    std::string brought;     // the digits this line brings down
    bool afterProduct = false;
};

using Slip = std::function<std::optional<Writing>(const Before&)>;

bool hasProduct(const LongDivision& w, int step)
{
    return step == 0 || w.steps[static_cast<std::size_t>(step)].quotientDigit != 0;
}

// The working of a pupil who writes every row from their own earlier rows, except row `slipAt`,
// which `slip` writes. Rows the figure has no place for (a number wider than the squares, a
// quotient digit the right working has no product row for) end the writing there.
std::optional<PupilWorking> work(const LongDivision& w, const std::vector<PracticeRow>& rows, std::size_t slipAt,
                                 const Slip& slip)
{
    const std::string dv = std::to_string(w.dividend);
    const int n = static_cast<int>(dv.size());
    const long long d = w.divisor;
    long long partial = 0, product = 0, minuend = 0, subtrahend = 0;
    int quotient = 0;
    std::string brought;
    bool afterLine = false;
    bool afterProduct = false;
    PupilWorking out;
    out.rows.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PracticeRow& row = rows[i];
        Before before;
        before.row = &row;
        std::string lineBrought = brought;
        switch (row.kind) {
        case PracticeRow::Kind::Quotient: {
            const long long p = row.step == 0 ? w.steps.front().partialDividend
                                : afterLine   ? partial
                                              : (partial - product) * 10 + (dv[static_cast<std::size_t>(row.lastDigit)] - '0');
            if (row.step > 0 && !afterLine)
                brought += dv[static_cast<std::size_t>(row.lastDigit)];
            partial = p;
            product = 0;
            afterLine = false;
            before.expected = p < d ? 0 : p / d;
            break;
        }
        case PracticeRow::Kind::Product:
            before.expected = quotient * d;
            break;
        case PracticeRow::Kind::Difference:
            lineBrought += dv[static_cast<std::size_t>(row.lastDigit)];
            [[fallthrough]];
        case PracticeRow::Kind::Remainder:
            before.expected = (minuend - subtrahend) * power10(lineBrought.size()) +
                              (lineBrought.empty() ? 0 : valueOf(lineBrought));
            break;
        }
        before.partial = partial;
        before.minuend = minuend;
        before.subtrahend = subtrahend;
        before.brought = lineBrought;
        before.afterProduct = afterProduct;

        Writing writing{std::to_string(before.expected), row.lastDigit, false};
        const bool slipping = i == slipAt;
        if (slipping) {
            const auto written = slip(before);
            if (!written)
                return std::nullopt;
            writing = *written;
        } else {
            if (before.expected < 0)
                break;
            if (row.kind == PracticeRow::Kind::Quotient &&
                (before.expected > 9 || (row.step > 0 && (before.expected != 0) != hasProduct(w, row.step))))
                break;
        }
        const int first = writing.last - static_cast<int>(writing.digits.size()) + 1;
        if (!writing.digits.empty() && (first < 0 || writing.last >= n)) {
            if (slipping)
                return std::nullopt;
            break;
        }
        out.rows[i] = WrittenRow{writing.digits, writing.last};
        for (std::size_t k = 0; k < writing.digits.size(); ++k)
            out.digits.push_back({row.row, first + static_cast<int>(k), writing.digits[k]});

        const long long v = writing.digits.empty() ? 0 : valueOf(writing.digits);
        afterProduct = false;
        switch (row.kind) {
        case PracticeRow::Kind::Quotient:
            quotient = static_cast<int>(v);
            break;
        case PracticeRow::Kind::Product:
            product = v;
            minuend = partial;
            subtrahend = v;
            brought.clear();
            afterProduct = true;
            break;
        case PracticeRow::Kind::Difference:
            brought = lineBrought;
            partial = v;
            afterLine = true;
            break;
        case PracticeRow::Kind::Remainder:
            break;
        }
        if (writing.stopAfter || writing.digits.empty())
            break;
    }
    return out;
}

// The right working with the quotient's digits moved: column of each step's digit, or -1 to
// leave it out.
PupilWorking movedQuotient(const LongDivision& w, const std::vector<PracticeRow>& rows,
                           const std::function<int(int step)>& columnOf,
                           const std::function<char(int step)>& digitOf)
{
    PupilWorking out = rightWorking(w);
    const int n = static_cast<int>(std::to_string(w.dividend).size());
    out.digits.erase(std::remove_if(out.digits.begin(), out.digits.end(),
                                    [](const WrittenDigit& digit) { return digit.row == 0; }),
                     out.digits.end());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind != PracticeRow::Kind::Quotient)
            continue;
        const int column = columnOf(rows[i].step);
        const char digit = digitOf(rows[i].step);
        if (column < 0 || column >= n || digit == 0) {
            out.rows[i] = WrittenRow{};
            continue;
        }
        out.rows[i] = WrittenRow{std::string(1, digit), column};
        out.digits.push_back({0, column, digit});
    }
    return out;
}

// The product of q and d with every carry forgotten: each place keeps the units of its own
// product, the leading place its whole product.
long long productWithoutCarry(int q, long long d)
{
    const std::vector<int> digits = digitsOf(d);
    long long v = 0;
    long long place = 1;
    for (std::size_t i = 0; i < digits.size(); ++i, place *= 10) {
        const int p = q * digits[i];
        v += (i + 1 == digits.size() ? p : p % 10) * place;
    }
    return v;
}

// Column subtractions as pupils get them wrong: the smaller digit taken from the larger in each
// place, or a borrow taken without lowering the place it was taken from.
std::vector<long long> wrongDifferences(long long top, long long bottom)
{
    std::vector<long long> found;
    std::vector<int> t = digitsOf(top);
    std::vector<int> b = digitsOf(bottom);
    if (b.size() > t.size())
        return found;
    b.resize(t.size(), 0);
    std::vector<int> larger(t.size()), noLowering(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        larger[i] = std::abs(t[i] - b[i]);
        noLowering[i] = (t[i] - b[i] + 10) % 10;
    }
    found.push_back(fromDigits(larger));
    found.push_back(fromDigits(noLowering));
    // One place off by one.
    const long long right = top - bottom;
    for (long long place = 1; place <= std::max<long long>(right, 1); place *= 10) {
        found.push_back(right + place);
        if (right - place >= 0 && digitsOf(right - place).size() == digitsOf(right).size())
            found.push_back(right - place);
    }
    return found;
}

template <typename T>
void shuffle(std::vector<T>& items, RandomSource& random)
{
    for (std::size_t i = items.size(); i > 1; --i)
        std::swap(items[i - 1], items[static_cast<std::size_t>(random.R(static_cast<int>(i)))]);
}

std::optional<MistakeKind> firstMistake(const LongDivision& w, const std::vector<WrittenRow>& rows)
{
    const std::vector<Diagnosis> found = diagnose(w, rows, PracticeLevel::Alone);
    if (found.empty())
        return std::nullopt;
    return found.front().kind;
}

// The candidate workings of a kind, in the order they are tried.
std::vector<PupilWorking> candidates(const LongDivision& w, const std::vector<PracticeRow>& rows, MistakeKind kind,
                                     RandomSource& random)
{
    std::vector<PupilWorking> found;
    const auto add = [&](std::optional<PupilWorking> made) {
        if (made)
            found.push_back(std::move(*made));
    };
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    shuffle(order, random);
    const int n = static_cast<int>(std::to_string(w.dividend).size());
    const auto stepDigit = [&](int step) {
        return static_cast<char>('0' + w.steps[static_cast<std::size_t>(step)].quotientDigit);
    };
    const auto stepColumn = [&](int step) { return w.steps[static_cast<std::size_t>(step)].lastDigit; };

    switch (kind) {
    case MistakeKind::QuotientPlace: {
        // The whole quotient one place to the left (a first digit over a digit too small to
        // divide), or one place to the right (its last digit has no square left).
        std::vector<int> shifts{-1, 1};
        shuffle(shifts, random);
        for (const int shift : shifts)
            if (w.steps.front().lastDigit + shift >= 0 && w.steps.front().lastDigit + shift < n)
                found.push_back(movedQuotient(w, rows, [&](int step) { return stepColumn(step) + shift; }, stepDigit));
        break;
    }
    case MistakeKind::QuotientZero: {
        for (std::size_t s = 1; s < w.steps.size(); ++s) {
            if (w.steps[s].quotientDigit != 0)
                continue;
            const int zero = static_cast<int>(s);
            // The 0 left out: a gap, or the digits after it moved up to close it.
            const bool close = random.R(2) == 1;
            for (const bool closing : {close, !close}) {
                if (closing)
                    found.push_back(movedQuotient(
                        w, rows, [&](int step) { return step < zero ? stepColumn(step) : step + 1 < static_cast<int>(w.steps.size()) ? stepColumn(step) : -1; },
                        [&](int step) { return step < zero ? stepDigit(step) : step + 1 < static_cast<int>(w.steps.size()) ? stepDigit(step + 1) : char(0); }));
                else
                    found.push_back(movedQuotient(w, rows, stepColumn,
                                                  [&](int step) { return step == zero ? char(0) : stepDigit(step); }));
            }
        }
        break;
    }
    case MistakeKind::QuotientTooLarge:
    case MistakeKind::QuotientTooSmall: {
        const bool larger = kind == MistakeKind::QuotientTooLarge;
        for (const std::size_t i : order) {
            const PracticeRow& row = rows[i];
            if (row.kind != PracticeRow::Kind::Quotient || !hasProduct(w, row.step))
                continue;
            add(work(w, rows, i, [&](const Before& b) -> std::optional<Writing> {
                const long long q = b.expected;
                if (q > 9 || b.partial < w.divisor)
                    return std::nullopt;
                long long tried = larger ? q + 1 : q - 1;
                if (larger) {
                    const std::vector<int> rejected =
                        rejectedQuotients(DivisionStep{static_cast<int>(b.partial), static_cast<int>(q), 0, 0, 0}, w.divisor);
                    if (!rejected.empty())
                        tried = rejected.front();
                }
                if (tried < 1 || tried > 9)
                    return std::nullopt;
                return Writing{std::to_string(tried), b.row->lastDigit, false};
            }));
        }
        break;
    }
    case MistakeKind::Multiplication: {
        for (const std::size_t i : order) {
            if (rows[i].kind != PracticeRow::Kind::Product || w.steps[static_cast<std::size_t>(rows[i].step)].quotientDigit < 2)
                continue;
            const int pick = random.R(3);
            add(work(w, rows, i, [&](const Before& b) -> std::optional<Writing> {
                const long long right = b.expected;
                std::vector<long long> wrong;
                const long long q = right / w.divisor;
                const long long noCarry = productWithoutCarry(static_cast<int>(q), w.divisor);
                if (noCarry != right)
                    wrong.push_back(noCarry);
                for (long long place = 1; place <= right; place *= 10) {
                    wrong.push_back(right + place);
                    wrong.push_back(right - place);
                }
                std::erase_if(wrong, [&](long long v) {
                    return v <= 0 || v > b.partial || digitsOf(v).size() != digitsOf(right).size();
                });
                if (wrong.empty())
                    return std::nullopt;
                const long long v = noCarry != right && pick > 0 && wrong.front() == noCarry
                                        ? noCarry
                                        : wrong[static_cast<std::size_t>(random.R(static_cast<int>(wrong.size())))];
                return Writing{std::to_string(v), b.row->lastDigit, false};
            }));
        }
        break;
    }
    case MistakeKind::Subtraction: {
        for (const std::size_t i : order) {
            if (rows[i].kind != PracticeRow::Kind::Difference && rows[i].kind != PracticeRow::Kind::Remainder)
                continue;
            if (std::none_of(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(i),
                             [](const PracticeRow& r) { return r.kind == PracticeRow::Kind::Product; }))
                continue;
            // The two borrowing slips first, in either order, then a digit off by one.
            const bool swap = random.R(2) == 1;
            for (std::size_t slip = 0; slip < 6; ++slip) {
                add(work(w, rows, i, [&](const Before& b) -> std::optional<Writing> {
                    std::vector<long long> heads = wrongDifferences(b.minuend, b.subtrahend);
                    if (heads.size() >= 2 && swap)
                        std::swap(heads[0], heads[1]);
                    if (slip >= heads.size())
                        return std::nullopt;
                    const long long head = heads[slip];
                    if (head == b.minuend - b.subtrahend || head < 0)
                        return std::nullopt;
                    const long long v = head * power10(b.brought.size()) + (b.brought.empty() ? 0 : valueOf(b.brought));
                    return Writing{std::to_string(v), b.row->lastDigit, false};
                }));
            }
        }
        break;
    }
    case MistakeKind::BringDown: {
        for (const std::size_t i : order) {
            if (rows[i].kind != PracticeRow::Kind::Difference)
                continue;
            const int variant = random.R(3);
            for (int v = 0; v < 3; ++v) {
                const int which = (variant + v) % 3;
                add(work(w, rows, i, [&](const Before& b) -> std::optional<Writing> {
                    const std::string dv = std::to_string(w.dividend);
                    const int last = b.row->lastDigit;
                    const long long head = b.minuend - b.subtrahend;
                    const std::size_t k = b.brought.size();
                    if (head < 0 || k == 0)
                        return std::nullopt;
                    if (which == 0) {  // a digit from the wrong place
                        for (const int c : {last + 1, last - 1}) {
                            if (c < 0 || c >= n || dv[static_cast<std::size_t>(c)] == dv[static_cast<std::size_t>(last)])
                                continue;
                            std::string brought = b.brought;
                            brought.back() = dv[static_cast<std::size_t>(c)];
                            return Writing{std::to_string(head * power10(k) + valueOf(brought)), last, false};
                        }
                        return std::nullopt;
                    }
                    if (which == 1) {  // the last digit not brought down
                        const std::string brought = b.brought.substr(0, k - 1);
                        const long long value = head * power10(k - 1) + (brought.empty() ? 0 : valueOf(brought));
                        return Writing{std::to_string(value), last - 1, true};
                    }
                    if (last + 1 >= n)  // one digit too many
                        return std::nullopt;
                    return Writing{std::to_string(b.expected * 10 + (dv[static_cast<std::size_t>(last + 1)] - '0')), last + 1,
                                   true};
                }));
            }
        }
        break;
    }
    case MistakeKind::Remainder: {
        const std::size_t i = rows.size() - 1;
        if (rows[i].kind != PracticeRow::Kind::Remainder)
            break;
        const bool omit = w.remainder == 0 || random.R(2) == 0;
        for (const bool leaveOut : {omit, !omit})
            add(work(w, rows, i, [&](const Before& b) -> std::optional<Writing> {
                if (leaveOut)
                    return Writing{std::string(), b.row->lastDigit, true};
                if (!b.afterProduct)
                    return std::nullopt;
                return Writing{std::to_string(b.expected + w.divisor), b.row->lastDigit, true};
            }));
        break;
    }
    case MistakeKind::Other:
        break;
    }
    return found;
}

}  // namespace

PupilWorking rightWorking(const LongDivision& working)
{
    const std::vector<PracticeRow> rows = practiceRows(working);
    PupilWorking out;
    for (const PracticeRow& row : rows) {
        out.rows.push_back(WrittenRow{row.answer, row.lastDigit});
        for (std::size_t k = 0; k < row.answer.size(); ++k)
            out.digits.push_back({row.row, row.firstDigit + static_cast<int>(k), row.answer[k]});
    }
    return out;
}

std::optional<PupilWorking> wrongWorking(const LongDivision& working, MistakeKind kind, RandomSource& random)
{
    if (working.steps.empty())
        return std::nullopt;
    const std::vector<PracticeRow> rows = practiceRows(working);
    for (PupilWorking& made : candidates(working, rows, kind, random)) {
        made.mistake = firstMistake(working, made.rows);
        if (made.mistake == kind)
            return std::move(made);
    }
    return std::nullopt;
}

}  // namespace pelkano
