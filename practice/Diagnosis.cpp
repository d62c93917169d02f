#include "Diagnosis.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace pelkano {

namespace {

std::string str(long long n)
{
    return std::to_string(n);
}

long long power10(std::size_t k)
{
    long long p = 1;
    for (std::size_t i = 0; i < k; ++i)
        p *= 10;
    return p;
}

// The value of the dividend's digits from..to (inclusive).
long long digitsValue(const std::string& digits, std::size_t from, std::size_t to)
{
    long long v = 0;
    for (std::size_t i = from; i <= to && i < digits.size(); ++i)
        v = v * 10 + (digits[i] - '0');
    return v;
}

// The place of a digit counted from the right (0: the units).
std::string placeName(std::size_t fromRight)
{
    static const char* const kPlaces[] = {"一の位", "十の位", "百の位", "千の位", "一万の位",
                                          "十万の位", "百万の位", "千万の位", "一億の位", "十億の位"};
    return fromRight < std::size(kPlaces) ? kPlaces[fromRight] : "上の位";
}

enum class SubtractionBug { None, SmallerFromLarger, BorrowAcrossZero };

// How a column subtraction is done when a digit on top is smaller than the one below it.
enum class BorrowRule {
    Right,              // borrow from the next place; a 0 on the way becomes 9 and lends on
    SmallerFromLarger,  // no borrowing: the smaller digit is taken from the larger one
    ZeroBecomesNine,    // a 0 asked to lend becomes 9, but the place beyond it is not lowered
    ZeroBecomesTen,     // a 0 asked to lend becomes 10 and is not lowered for the loan it gives
};

std::optional<long long> subtractBy(long long top, long long bottom, BorrowRule rule)
{
    if (top < 0 || bottom < 0)
        return std::nullopt;
    std::vector<int> t = digitsOf(top);
    std::vector<int> b = digitsOf(bottom);
    if (b.size() > t.size())
        return std::nullopt;
    b.resize(t.size(), 0);
    std::vector<int> result(t.size(), 0);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (rule == BorrowRule::SmallerFromLarger) {
            result[i] = std::abs(t[i] - b[i]);
            continue;
        }
        if (t[i] < b[i]) {
            std::size_t j = i + 1;
            if (j >= t.size())
                return std::nullopt;
            if (t[j] == 0 && rule == BorrowRule::ZeroBecomesNine) {
                t[j] = 9;
            } else if (t[j] == 0 && rule == BorrowRule::ZeroBecomesTen) {
                t[j] = 10;
                std::size_t k = j + 1;
                while (k < t.size() && t[k] == 0)
                    t[k++] = 9;
                if (k >= t.size())
                    return std::nullopt;
                --t[k];
            } else {
                while (j < t.size() && t[j] == 0)
                    t[j++] = 9;
                if (j >= t.size())
                    return std::nullopt;
                --t[j];
            }
            t[i] += 10;
        }
        result[i] = t[i] - b[i];
        if (result[i] < 0)
            return std::nullopt;
    }
    long long v = 0;
    for (std::size_t i = result.size(); i-- > 0;)
        v = v * 10 + result[i];
    return v;
}

// The known subtraction bug that gives `written` for top - bottom, if any.
SubtractionBug subtractionBug(long long top, long long bottom, long long written)
{
    if (written == top - bottom)
        return SubtractionBug::None;
    if (subtractBy(top, bottom, BorrowRule::SmallerFromLarger) == written)
        return SubtractionBug::SmallerFromLarger;
    if (subtractBy(top, bottom, BorrowRule::ZeroBecomesNine) == written ||
        subtractBy(top, bottom, BorrowRule::ZeroBecomesTen) == written)
        return SubtractionBug::BorrowAcrossZero;
    return SubtractionBug::None;
}

// The first place, from the right, where the digit on top is smaller than the one below it.
std::size_t firstBorrow(long long top, long long bottom)
{
    const std::vector<int> t = digitsOf(top);
    std::vector<int> b = digitsOf(bottom);
    b.resize(std::max(b.size(), t.size()), 0);
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] < b[i])
            return i;
    return 0;
}

// The first 0 on top that a borrow has to cross, from the right.
std::size_t zeroCrossed(long long top)
{
    const std::vector<int> t = digitsOf(top);
    for (std::size_t i = 1; i < t.size(); ++i)
        if (t[i] == 0)
            return i;
    return 1;
}

}  // namespace

std::vector<int> digitsOf(long long n)
{
    std::vector<int> d;
    do {
        d.push_back(static_cast<int>(n % 10));
        n /= 10;
    } while (n > 0);
    return d;
}

std::vector<PracticeRow> practiceRows(const LongDivision& working)
{
    std::vector<PracticeRow> rows;
    std::size_t line = 0;
    for (std::size_t i = 0; i < working.steps.size(); ++i) {
        const DivisionStep& step = working.steps[i];
        const int s = static_cast<int>(i);
        rows.push_back({PracticeRow::Kind::Quotient, 0, step.lastDigit, step.lastDigit, s,
                        std::to_string(step.quotientDigit)});
        for (; line < working.lines.size() && working.lines[line].step == s; ++line) {
            const WorkingLine& l = working.lines[line];
            const std::string digits = std::to_string(l.value);
            const PracticeRow::Kind kind = l.kind == WorkingKind::Product      ? PracticeRow::Kind::Product
                                           : l.kind == WorkingKind::Difference ? PracticeRow::Kind::Difference
                                                                               : PracticeRow::Kind::Remainder;
            rows.push_back({kind, l.row, l.lastDigit - static_cast<int>(digits.size()) + 1, l.lastDigit, s, digits});
        }
    }
    return rows;
}

std::vector<PracticeRow> writingRows(const LongDivision& working)
{
    std::vector<PracticeRow> rows;
    const std::vector<PracticeRow> all = practiceRows(working);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const PracticeRow& r = all[i];
        const bool zeroAfterProduct = r.kind == PracticeRow::Kind::Quotient && r.step > 0 && r.answer == "0" &&
                                      !rows.empty() && rows.back().kind == PracticeRow::Kind::Product;
        if (zeroAfterProduct) {
            const int partial = working.steps[static_cast<std::size_t>(r.step)].partialDividend;
            // On the figure row of the line that goes on from it, after the 0.
            std::size_t next = i + 1;
            while (next < all.size() && all[next].kind == PracticeRow::Kind::Quotient)
                ++next;
            if (partial != 0 && next < all.size()) {
                const std::string digits = std::to_string(partial);
                rows.push_back({PracticeRow::Kind::Difference, all[next].row,
                                r.lastDigit - static_cast<int>(digits.size()) + 1, r.lastDigit, r.step, digits, true});
            }
        }
        rows.push_back(r);
    }
    return rows;
}

const char* mistakeName(MistakeKind kind)
{
    switch (kind) {
    case MistakeKind::QuotientPlace:
        return "商の位置";
    case MistakeKind::QuotientZero:
        return "商の0";
    case MistakeKind::QuotientTooLarge:
        return "仮商が大きい";
    case MistakeKind::QuotientTooSmall:
        return "仮商が小さい";
    case MistakeKind::Multiplication:
        return "かけ算";
    case MistakeKind::Subtraction:
        return "ひき算";
    case MistakeKind::BringDown:
        return "おろす数";
    case MistakeKind::Remainder:
        return "あまり";
    case MistakeKind::Other:
        break;
    }
    return "そのほか";
}

std::string spokenDigits(const std::string& digits)
{
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0)
            text += " と ";
        text += digits[i];
    }
    return text;
}

std::optional<long long> numberOf(const std::string& digits)
{
    if (digits.empty() || digits.size() > 18)
        return std::nullopt;
    long long v = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

RowJudge::RowJudge(const LongDivision& working, const std::vector<PracticeRow>& rows, PracticeLevel level)
    : w_(working), rows_(rows), level_(level), dividend_(std::to_string(working.dividend))
{
    if (!w_.steps.empty())
        numbers_.partial = w_.steps.front().partialDividend;
}

Diagnosis RowJudge::make(MistakeKind kind, std::size_t row, std::string message) const
{
    return Diagnosis{kind, row, index_, std::move(message)};
}

long long RowJudge::nextPartial() const
{
    if (index_ >= rows_.size())
        return numbers_.partial;
    const PracticeRow& row = rows_[index_];
    if (row.kind != PracticeRow::Kind::Quotient || row.step == 0 || afterLine_)
        return numbers_.partial;
    // A step after one whose next partial dividend was not written: the remainder and one more digit.
    return (numbers_.partial - numbers_.product) * 10 + (dividend_[static_cast<std::size_t>(row.lastDigit)] - '0');
}

int RowJudge::rightDigit() const
{
    const long long p = nextPartial();
    return p < w_.divisor ? 0 : static_cast<int>(std::min<long long>(9, p / w_.divisor));
}

int RowJudge::quotientColumn() const
{
    return index_ < rows_.size() ? rows_[index_].lastDigit : 0;
}

long long RowJudge::expected() const
{
    if (index_ >= rows_.size())
        return 0;
    const PracticeRow& row = rows_[index_];
    switch (row.kind) {
    case PracticeRow::Kind::Quotient:
        return rightDigit();
    case PracticeRow::Kind::Product:
        return static_cast<long long>(std::max(numbers_.quotient, 0)) * w_.divisor;
    case PracticeRow::Kind::Difference:
    case PracticeRow::Kind::Remainder:
        break;
    }
    const std::string brought = broughtDown(row);
    const long long difference = numbers_.minuend - numbers_.subtrahend;
    return difference * power10(brought.size()) + numberOf(brought).value_or(0);
}

std::string RowJudge::broughtDown(const PracticeRow& row) const
{
    std::string brought = numbers_.brought;
    if (row.kind == PracticeRow::Kind::Difference)
        brought += dividend_[static_cast<std::size_t>(row.lastDigit)];
    return brought;
}

std::optional<Diagnosis> RowJudge::take(const WrittenRow& written)
{
    if (ended_ || index_ >= rows_.size())
        return std::nullopt;
    const PracticeRow& row = rows_[index_];
    // An optional row left out is passed over.
    if (row.optional && written.digits.empty()) {
        ++index_;
        return std::nullopt;
    }
    // An empty row says something only where a 0 or a remainder is missing.
    if (written.digits.empty()) {
        const bool missingZero = row.kind == PracticeRow::Kind::Quotient && row.step > 0 && nextPartial() < w_.divisor;
        if (!missingZero && row.kind != PracticeRow::Kind::Remainder)
            return std::nullopt;
    }
    std::optional<Diagnosis> found;
    if (afterProduct_)
        found = pendingTooSmall();
    if (!found) {
        switch (row.kind) {
        case PracticeRow::Kind::Quotient:
            found = takeQuotient(row, written);
            break;
        case PracticeRow::Kind::Product:
            found = takeProduct(written);
            break;
        case PracticeRow::Kind::Difference:
        case PracticeRow::Kind::Remainder:
            found = takeLine(row, written);
            break;
        }
    }
    ++index_;
    return found;
}

std::optional<Diagnosis> RowJudge::pendingTooSmall()
{
    const int q = numbers_.quotient;
    const long long p = numbers_.partial;
    if (q < 0 || p < w_.divisor || q >= std::min<long long>(9, p / w_.divisor))
        return std::nullopt;
    return tooSmall(q, p);
}

Diagnosis RowJudge::tooSmall(int q, long long p)
{
    ended_ = true;
    const int d = w_.divisor;
    if (q == 0)
        return make(MistakeKind::QuotientTooSmall, numbers_.quotientRow,
                    str(p) + " の中に " + str(d) + " は入るね。商をもっと大きくしましょう。");
    const long long product = static_cast<long long>(q) * d;
    const long long left = p - product;
    return make(MistakeKind::QuotientTooSmall, numbers_.quotientRow,
                str(p) + "−" + str(product) + "=" + str(left) + " は " + str(d) +
                    (left == d ? " と同じだね。" : " より大きいね。") + "商の " + str(q) + " をもっと大きくできます。");
}

Diagnosis RowJudge::tooLarge(int q, long long p)
{
    ended_ = true;
    const int d = w_.divisor;
    const long long product = static_cast<long long>(q) * d;
    std::string message = str(q) + "×" + str(d) + "=" + str(product) + " は " + str(p) + " より大きいね。";
    if (d >= 10 && q == tentativeQuotient(static_cast<int>(std::min<long long>(p, INT_MAX)), d))
        message += "見当をつけた商 " + str(q) + " を 1 小さくして、たしかめましょう。";
    else
        message += "商を小さくしましょう。";
    return make(MistakeKind::QuotientTooLarge, numbers_.quotientRow, message);
}

std::optional<Diagnosis> RowJudge::takeQuotient(const PracticeRow& row, const WrittenRow& written)
{
    const int d = w_.divisor;
    const long long p = nextPartial();
    const int c = row.lastDigit;
    const std::string digitAt = dividend_.substr(static_cast<std::size_t>(c), 1);
    // The step begins: its partial dividend, and the digit brought down for it when it was not
    // written on a line of its own.
    if (row.step > 0 && !afterLine_) {
        numbers_.brought += dividend_[static_cast<std::size_t>(c)];
        numbers_.partialRow.reset();
    }
    if (row.step == 0)
        numbers_.partialRow.reset();
    numbers_.partial = p;
    numbers_.quotient = -1;
    numbers_.product = 0;
    numbers_.quotientRow = index_;
    afterLine_ = false;
    afterProduct_ = false;

    const auto zeroMessage = [&] {
        return str(p) + " の中に " + str(d) + " は入るかな？ 入らないときは、" + digitAt + " の上の商に 0 を書きます。";
    };
    if (written.digits.empty()) {
        ended_ = true;
        return make(MistakeKind::QuotientZero, index_, zeroMessage());
    }
    const int column = std::clamp(written.column, 0, static_cast<int>(dividend_.size()) - 1);
    if (column != c) {
        ended_ = true;
        if (row.step == 0) {
            if (column < c) {
                const long long head = digitsValue(dividend_, 0, static_cast<std::size_t>(column));
                return make(MistakeKind::QuotientPlace, index_,
                            str(head) + " の中に " + str(d) + " は入らないので、" +
                                dividend_.substr(static_cast<std::size_t>(column), 1) +
                                " の上には商がたちません。となりの数字までふくめて考えましょう。");
            }
            return make(MistakeKind::QuotientPlace, index_,
                        str(p) + " の中に " + str(d) + " は入るね。商はもっと左からたちます。");
        }
        if (p < d)
            return make(MistakeKind::QuotientZero, index_, zeroMessage());
        return make(MistakeKind::QuotientPlace, index_,
                    digitAt + " をおろしたら、その " + digitAt + " の上に商をたてましょう。");
    }
    const char ch = written.digits.front();
    if (written.digits.size() != 1 || ch < '0' || ch > '9') {
        ended_ = true;
        return make(MistakeKind::Other, index_, "商は 0 から 9 までの数字を1つ書きます。");
    }
    const int q = ch - '0';
    if (p < d) {
        if (q != 0) {
            ended_ = true;
            if (row.step > 0)
                return make(MistakeKind::QuotientZero, index_, zeroMessage());
            return tooLarge(q, p);
        }
    } else {
        const int right = static_cast<int>(std::min<long long>(9, p / d));
        // Written alone, a digit other than 0 is judged by the product and the difference after it.
        if (q == 0 || (level_ == PracticeLevel::Guided && q < right))
            return tooSmall(q, p);
        if (level_ == PracticeLevel::Guided && q > right)
            return tooLarge(q, p);
    }
    numbers_.quotient = q;
    return std::nullopt;
}

std::optional<Diagnosis> RowJudge::takeProduct(const WrittenRow& written)
{
    const int d = w_.divisor;
    const int q = std::max(numbers_.quotient, 0);
    const long long p = numbers_.partial;
    const long long product = static_cast<long long>(q) * d;
    if (product > p)
        return tooLarge(q, p);
    const long long v = numberOf(written.digits).value_or(0);
    std::optional<Diagnosis> found;
    if (v != product) {
        const std::string written_ = str(v);
        const std::string right = str(product);
        std::string message = str(q) + "×" + str(d) + " は " + written_ + " ではありません。";
        if (written_.size() != right.size())
            message += str(q) + "×" + str(d) + " の答えは " + str(static_cast<long long>(right.size())) + "けたです。";
        if (d < 10)
            message += "九九の " + str(q) + " のだんで、たしかめましょう。";
        else
            message += "一の位から順にかけて、くり上がりをたしましょう。";
        found = make(MistakeKind::Multiplication, index_, message);
    }
    numbers_.product = v;
    numbers_.minuendRow = numbers_.partialRow;
    numbers_.minuend = p;
    numbers_.subtrahend = v;
    numbers_.brought.clear();
    numbers_.productRow = index_;
    afterProduct_ = true;
    if (v > p)
        ended_ = true;  // nothing after a product larger than what it is taken from can be read
    return found;
}

std::optional<Diagnosis> RowJudge::takeLine(const PracticeRow& row, const WrittenRow& written)
{
    const bool remainder = row.kind == PracticeRow::Kind::Remainder;
    const int d = w_.divisor;
    const std::string brought = broughtDown(row);
    const long long m = numbers_.minuend;
    const long long s = numbers_.subtrahend;
    const long long r = m - s;
    const std::size_t k = brought.size();
    const long long expected = this->expected();
    // The dividend's digits after the last product's column: what could have been brought down.
    const std::size_t restFrom = static_cast<std::size_t>(rows_[numbers_.productRow.value_or(0)].lastDigit + 1);
    const std::string rest = restFrom < dividend_.size() ? dividend_.substr(restFrom) : std::string();
    afterProduct_ = false;
    numbers_.brought = brought;

    const std::string difference = str(m) + "−" + str(s);
    std::optional<Diagnosis> found;
    const auto v = numberOf(written.digits);
    if (!v) {
        found = make(MistakeKind::Remainder, index_, "あまりを書きましょう。わり切れたときは 0 と書きます。");
    } else if (*v != expected) {
        const long long value = *v;
        // The digits written as the pupil meant them: the difference, then the digits brought down.
        std::string text = str(value);
        if (text.size() < k)
            text.insert(0, k - text.size(), '0');
        const std::string tail = text.substr(text.size() - k);
        const long long head = numberOf(text.substr(0, text.size() - k)).value_or(0);
        const auto remainderTooLarge = [&] {
            return make(MistakeKind::Remainder, index_,
                        "あまり " + str(value) + " は わる数 " + str(d) + " より小さくなるはずです。" + difference +
                            " を計算しなおしましょう。");
        };
        for (std::size_t j = 0; j <= rest.size() && !found; ++j) {
            if (j == k || value != r * power10(j) + numberOf(rest.substr(0, j)).value_or(0))
                continue;
            if (j > k && row.optional)
                found = make(MistakeKind::QuotientZero, index_,
                             str(r * power10(k) + numberOf(brought).value_or(0)) + " の中に " + str(d) +
                                 " は入らないので、" + brought.substr(k - 1, 1) + " の上の商に 0 を書いてから、つぎの数字をおろします。");
            else if (j == 0)
                found = make(MistakeKind::BringDown, index_,
                             "ひいた答え " + str(r) + " の右に、つぎの数字 " + rest.substr(0, 1) + " をおろしましょう。");
            else if (j < k)
                found = make(MistakeKind::BringDown, index_,
                             "おろす数字がたりません。" + brought.substr(j, 1) + " もおろしましょう。");
            else
                found = make(MistakeKind::BringDown, index_,
                             "数字をおろしすぎています。" + (k > 0 ? brought.substr(k - 1, 1) : rest.substr(0, 1)) +
                                 " までおろしたら、商をたてましょう。");
        }
        // A wrong difference followed by fewer digits than the row needs, each brought down right:
        // the first thing that went wrong is the subtraction (87−86 written 2, the 6 brought down).
        for (std::size_t j = std::min(k, text.size()); !found && tail != brought && j-- > 1;) {
            const std::string before = text.substr(0, text.size() - j);
            if (text.compare(text.size() - j, j, rest, 0, j) != 0 || numberOf(before).value_or(0) == r)
                continue;
            found = make(MistakeKind::Subtraction, index_,
                         difference + " は " + before + " ではありません。" + before + "+" + str(s) + " が " + str(m) +
                             " になるか、たしかめましょう。");
            found->wrongDigits.assign(text.size(), false);
            std::fill_n(found->wrongDigits.begin(), before.size(), true);
        }
        if (!found && tail == brought && head != r) {
            switch (subtractionBug(m, s, head)) {
            case SubtractionBug::SmallerFromLarger: {
                const std::size_t place = firstBorrow(m, s);
                const std::vector<int> top = digitsOf(m);
                std::vector<int> bottom = digitsOf(s);
                bottom.resize(top.size(), 0);
                found = make(MistakeKind::Subtraction, index_,
                             difference + " の" + placeName(place) + "は " + str(top[place]) + " から " +
                                 str(bottom[place]) + " がひけないね。下から上をひかずに、上の位から 1 くり下げましょう。");
                break;
            }
            case SubtractionBug::BorrowAcrossZero: {
                const std::size_t zero = zeroCrossed(m);
                found = make(MistakeKind::Subtraction, index_,
                             difference + " は" + placeName(zero) + "の 0 からくり下げられないので、" +
                                 placeName(zero + 1) + "から 1 くり下げます。そのとき" + placeName(zero) +
                                 "は 9 になります。");
                break;
            }
            case SubtractionBug::None:
                if (remainder && value >= d)
                    found = remainderTooLarge();
                else
                    found = make(MistakeKind::Subtraction, index_,
                                 difference + " は " + str(head) + " ではありません。" + str(head) + "+" + str(s) + " が " +
                                     str(m) + " になるか、たしかめましょう。");
                break;
            }
            // The digits brought down right are not part of the mistake.
            if (found && found->kind == MistakeKind::Subtraction && k > 0 && text.size() == written.digits.size()) {
                found->wrongDigits.assign(text.size(), false);
                std::fill_n(found->wrongDigits.begin(), text.size() - k, true);
            }
        }
        if (!found && k > 0 && head == r && tail != brought)
            found = make(MistakeKind::BringDown, index_, "おろす数字は、わられる数の " + spokenDigits(brought) + " です。");
        if (!found && remainder && value >= d)
            found = remainderTooLarge();
        if (!found)
            found = make(MistakeKind::Other, index_,
                         str(value) + " は、" + difference + " の答えに " + spokenDigits(brought) + " をおろした数と合いません。" +
                             "もう一度計算しましょう。");
    }
    if (!remainder) {
        numbers_.partial = v.value_or(0);
        numbers_.partialRow = index_;
        afterLine_ = true;
    }
    return found;
}

std::vector<Diagnosis> diagnose(const LongDivision& working, const std::vector<WrittenRow>& written,
                                PracticeLevel level)
{
    return diagnose(working, practiceRows(working), written, level);
}

std::vector<Diagnosis> diagnose(const LongDivision& working, const std::vector<PracticeRow>& rows,
                                const std::vector<WrittenRow>& written, PracticeLevel level)
{
    RowJudge judge(working, rows, level);
    std::vector<Diagnosis> found;
    for (const WrittenRow& row : written) {
        const std::size_t before = judge.index();
        if (judge.ended())
            break;
        if (auto d = judge.take(row))
            found.push_back(std::move(*d));
        if (judge.index() == before)
            break;
    }
    return found;
}

}  // namespace pelkano
