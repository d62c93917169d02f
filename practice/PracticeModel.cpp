#include "PracticeModel.h"

#include <algorithm>
#include <numeric>

namespace pelkano {

namespace {

std::string str(long long n)
{
    return std::to_string(n);
}

// A typed number as it is set down: no leading zeros ("0" stays).
std::string withoutLeadingZeros(const std::string& digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return digits.empty() ? digits : std::string("0");
    return digits.substr(first);
}

constexpr int kMaxDigits = 9;

// What checks a row: the key, or the pad's button.
std::string enterWord(InputDevice device)
{
    return device == InputDevice::Pad ? "「たしかめる」" : "Enter キー";
}

}  // namespace

PracticeProblem::PracticeProblem(LongDivision working, PracticeLevel level)
    : working_(std::move(working)),
      level_(level),
      rows_(writingRows(working_)),
      dividend_(std::to_string(working_.dividend)),
      divisorDigits_(digitCount(working_.divisor))
{
    openRow();
}

void PracticeProblem::restart(PracticeLevel level)
{
    level_ = level;
    written_.clear();
    stale_.clear();
    current_ = 0;
    diagnosis_.reset();
    say_ = Say::Prompt;
    enterDue_ = false;
    openRow();
}

void PracticeProblem::openRow()
{
    checkedWrong_.reset();
    typed_.clear();
    wrongCells_.clear();
    wrongEntry_ = false;
    wrongDigits_.clear();
    cursor_ = 0;
    hintStage_ = 0;
    pointed_.clear();
    if (finished())
        return;
    const std::optional<std::size_t> from = carriedFrom(current_);
    const std::string carried = from ? written_[*from].digits : std::string();
    if (level_ == PracticeLevel::Guided) {
        typed_.assign(static_cast<std::size_t>(rows_[current_].cells()), ' ');
        typed_.replace(0, carried.size(), carried);
        wrongCells_.assign(typed_.size(), false);
        cursor_ = std::min(static_cast<int>(carried.size()), rows_[current_].cells() - 1);
    } else if (rows_[current_].kind == PracticeRow::Kind::Quotient) {
        cursor_ = minColumn();
        typedColumn_ = cursor_;
    } else {
        typed_ = carried;
    }
}

std::optional<std::size_t> PracticeProblem::carriedFrom(std::size_t row) const
{
    if (row >= rows_.size() || rows_[row].kind == PracticeRow::Kind::Quotient)
        return std::nullopt;
    std::size_t i = row;
    while (i > 0 && rows_[i - 1].kind == PracticeRow::Kind::Quotient)
        --i;
    if (i == row || i == 0 || !rows_[i - 1].optional || written_.size() < i || written_[i - 1].digits.empty())
        return std::nullopt;
    const PracticeRow& from = rows_[i - 1];
    const PracticeRow& to = rows_[row];
    if (from.firstDigit != to.firstDigit || !to.answer.starts_with(written_[i - 1].digits))
        return std::nullopt;
    return i - 1;
}

bool PracticeProblem::entryEmpty() const
{
    return typed_.find_first_not_of(' ') == std::string::npos;
}

void PracticeProblem::skipOptional()
{
    written_.push_back(WrittenRow{});
    ++current_;
    diagnosis_.reset();
    say_ = Say::Prompt;
    openRow();
}

int PracticeProblem::minColumn() const
{
    if (finished() || rows_[current_].step == 0)
        return 0;
    // Later quotient digits stand right of the ones written.
    for (std::size_t i = current_; i-- > 0;)
        if (rows_[i].kind == PracticeRow::Kind::Quotient)
            return written_[i].column + 1;
    return 0;
}

int PracticeProblem::cursor() const
{
    if (finished())
        return 0;
    if (level_ == PracticeLevel::Alone)
        return rows_[current_].kind == PracticeRow::Kind::Quotient ? cursor_ - minColumn() : 0;
    return cursor_;
}

char PracticeProblem::digit(std::size_t row, int cell) const
{
    if (cell < 0)
        return ' ';
    const auto at = static_cast<std::size_t>(cell);
    if (row < current_)
        return at < written_[row].digits.size() ? written_[row].digits[at] : ' ';
    if (row == current_ && !finished())
        return at < typed_.size() ? typed_[at] : ' ';
    return ' ';
}

bool PracticeProblem::wrong(std::size_t row, int cell) const
{
    if (row != current_ || finished() || cell < 0)
        return false;
    if (level_ == PracticeLevel::Alone)
        return wrongEntry_ && static_cast<std::size_t>(cell) < typed_.size() &&
               (wrongDigits_.empty() || wrongDigits_[static_cast<std::size_t>(cell)]);
    return static_cast<std::size_t>(cell) < wrongCells_.size() && wrongCells_[static_cast<std::size_t>(cell)];
}

int PracticeProblem::hints() const
{
    return std::accumulate(hints_.begin(), hints_.end(), 0);
}

int PracticeProblem::mistakes() const
{
    return std::accumulate(mistakes_.begin(), mistakes_.end(), 0);
}

PracticeProblem::Check PracticeProblem::type(int digit)
{
    if (finished() || digit < 0 || digit > 9)
        return Check::Incomplete;
    enterDue_ = false;
    if (say_ == Say::Incomplete)
        say_ = Say::Prompt;
    // A 0 first on the optional difference is the quotient's 0, written first.
    if (rows_[current_].optional && digit == 0 && entryEmpty())
        skipOptional();
    const char c = static_cast<char>('0' + digit);
    const PracticeRow& row = rows_[current_];
    Check result = Check::Incomplete;
    if (level_ == PracticeLevel::Guided) {
        const auto at = static_cast<std::size_t>(cursor_);
        typed_[at] = c;
        wrongCells_[at] = false;
        if (cursor_ + 1 < row.cells())
            ++cursor_;
        if (typed_.find(' ') != std::string::npos)
            return Check::Incomplete;
        result = judgeRow();
    } else if (row.kind == PracticeRow::Kind::Quotient) {
        if (typed_ != std::string(1, c) || typedColumn_ != cursor_)
            stale_.clear();  // the step is worked again from its new digit
        typed_.assign(1, c);
        typedColumn_ = cursor_;
        wrongEntry_ = false;
        result = judgeRow();
    } else {
        if (wrongEntry_) {
            typed_.clear();  // a number found wrong is written again
            wrongEntry_ = false;
            wrongDigits_.clear();
        }
        const int width = entryWidth();
        if (static_cast<int>(typed_.size()) < width)
            typed_ += c;
        if (static_cast<int>(typed_.size()) < width)
            return Check::Incomplete;
        result = judgeRow();
    }
    enterDue_ = true;
    return result;
}

void PracticeProblem::backspace()
{
    if (finished())
        return;
    enterDue_ = false;
    if (level_ == PracticeLevel::Alone) {
        wrongEntry_ = false;
        wrongDigits_.clear();
        if (!typed_.empty())
            typed_.pop_back();
        return;
    }
    if (typed_[static_cast<std::size_t>(cursor_)] == ' ' && cursor_ > 0)
        --cursor_;
    const auto at = static_cast<std::size_t>(cursor_);
    typed_[at] = ' ';
    wrongCells_[at] = false;
}

void PracticeProblem::moveLeft()
{
    if (finished())
        return;
    enterDue_ = false;
    // Alone, the arrows leave the optional difference for the quotient row.
    if (level_ == PracticeLevel::Alone && rows_[current_].optional && entryEmpty()) {
        skipOptional();
        return;
    }
    if (level_ == PracticeLevel::Guided || rows_[current_].kind == PracticeRow::Kind::Quotient)
        if (cursor_ > (level_ == PracticeLevel::Guided ? 0 : minColumn()))
            --cursor_;
}

void PracticeProblem::moveRight()
{
    if (finished())
        return;
    enterDue_ = false;
    if (level_ == PracticeLevel::Alone && rows_[current_].optional && entryEmpty()) {
        skipOptional();
        return;
    }
    if (level_ == PracticeLevel::Guided) {
        if (cursor_ + 1 < rows_[current_].cells())
            ++cursor_;
    } else if (rows_[current_].kind == PracticeRow::Kind::Quotient && cursor_ + 1 < dividendDigits()) {
        ++cursor_;
    }
}

bool PracticeProblem::tap(const Place& place)
{
    if (finished())
        return false;
    const std::vector<Place> open = openCells();
    const auto found = std::find(open.begin(), open.end(), place);
    if (found == open.end())
        return false;
    enterDue_ = false;
    // A tap on the quotient's cells leaves the optional difference out: the 0 is written first.
    if (rows_[current_].optional && place.row == 0) {
        skipOptional();
        if (level_ == PracticeLevel::Alone)
            cursor_ = place.column - divisorDigits_ - 1;
        return true;
    }
    if (level_ == PracticeLevel::Guided)
        cursor_ = static_cast<int>(found - open.begin());
    else if (rows_[current_].kind == PracticeRow::Kind::Quotient)
        cursor_ = place.column - divisorDigits_ - 1;
    return true;
}

RowJudge PracticeProblem::judgeUpToOpenRow() const
{
    RowJudge judge(working_, rows_, level_);
    for (const WrittenRow& w : written_)
        judge.take(w);
    return judge;
}

WrittenRow PracticeProblem::entry() const
{
    const PracticeRow& row = rows_[current_];
    if (level_ == PracticeLevel::Guided)
        return {typed_.find_first_not_of(' ') == std::string::npos ? std::string() : typed_, row.lastDigit};
    if (row.kind == PracticeRow::Kind::Quotient)
        return {typed_, typed_.empty() ? cursor_ : typedColumn_};
    return {withoutLeadingZeros(typed_), row.lastDigit};
}

PracticeProblem::Check PracticeProblem::check()
{
    if (finished())
        return Check::Incomplete;
    if (enterDue_) {
        enterDue_ = false;
        return Check::Incomplete;
    }
    return judgeRow();
}

PracticeProblem::Check PracticeProblem::judgeRow()
{
    if (finished())
        return Check::Incomplete;
    const PracticeRow& row = rows_[current_];
    const WrittenRow written = entry();
    // Nothing written yet: the line says what to write; no mistake is counted for a row the pupil
    // has not begun.
    if (entryEmpty()) {
        say_ = Say::Incomplete;
        return Check::Incomplete;
    }
    // A guided row is checked once every cell is filled.
    const bool partlyTyped = level_ == PracticeLevel::Guided && !written.digits.empty() &&
                             typed_.find(' ') != std::string::npos;
    // A row found wrong and not changed since says the same again, shows the same digits wrong,
    // and is not counted again.
    if (checkedWrong_ && written.digits == checkedWrong_->digits && written.column == checkedWrong_->column) {
        say_ = Say::Diagnosis;
        markWrong();
        return Check::Wrong;
    }
    RowJudge judge = judgeUpToOpenRow();
    std::optional<Diagnosis> found;
    if (!partlyTyped)
        found = judge.take(written);
    if (partlyTyped || judge.index() == current_) {
        say_ = Say::Incomplete;
        return Check::Incomplete;
    }
    if (!found && level_ == PracticeLevel::Guided && written.digits != row.answer)
        found = Diagnosis{MistakeKind::Other, current_, current_,
                          written.digits + " ではなく、ちがう数になります。もう一度計算しましょう。"};
    if (!found) {
        written_.push_back(written);
        ++current_;
        diagnosis_.reset();
        say_ = Say::Prompt;
        stale_.clear();
        openRow();
        return Check::Right;
    }
    ++mistakes_[static_cast<std::size_t>(found->kind)];
    diagnosis_ = found;
    checkedWrong_ = written;
    say_ = Say::Diagnosis;
    if (found->row < current_) {
        // A quotient digit shown wrong by the rows after it: it opens again, they wait, shown wrong.
        stale_.assign(written_.begin() + static_cast<std::ptrdiff_t>(found->row) + 1, written_.end());
        stale_.push_back(written);
        const WrittenRow quotient = written_[found->row];
        written_.resize(found->row);
        current_ = found->row;
        openRow();
        typed_ = quotient.digits;
        typedColumn_ = quotient.column;
        cursor_ = quotient.column;
        wrongEntry_ = true;
        checkedWrong_ = quotient;
        return Check::Wrong;
    }
    markWrong();
    return Check::Wrong;
}

void PracticeProblem::markWrong()
{
    if (level_ == PracticeLevel::Alone) {
        wrongEntry_ = !typed_.empty();
        wrongDigits_.clear();
        if (diagnosis_ && diagnosis_->row == current_ && diagnosis_->wrongDigits.size() == typed_.size())
            wrongDigits_ = diagnosis_->wrongDigits;
        return;
    }
    const std::string& answer = rows_[current_].answer;
    bool first = true;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        wrongCells_[i] = typed_[i] != ' ' && typed_[i] != answer[i];
        if (wrongCells_[i] && first) {
            cursor_ = static_cast<int>(i);
            first = false;
        }
    }
}

int PracticeProblem::entryWidth() const
{
    const PracticeRow& row = rows_[current_];
    return std::min(row.kind == PracticeRow::Kind::Difference ? dividendDigits() : row.lastDigit + 1, kMaxDigits);
}

int PracticeProblem::entryStart() const
{
    const PracticeRow& row = rows_[current_];
    const int n = std::max(1, static_cast<int>(typed_.size()));
    if (row.kind == PracticeRow::Kind::Difference)
        return std::max(0, std::min(row.firstDigit, dividendDigits() - n));
    return row.lastDigit - n + 1;
}

namespace {

// The parts of a hint, in the order they are given; each is counted by its HintStep.
enum HintPart { kPlaceQuestion, kPlace, kQuestion, kLook, kTentative, kCheck, kWrite };

HintStep stepOf(int part)
{
    switch (part) {
    case kPlaceQuestion:
    case kQuestion:
        return HintStep::Ask;
    case kWrite:
        return HintStep::Tell;
    default:
        return HintStep::Point;
    }
}

}  // namespace

std::vector<int> PracticeProblem::hintPlan(const RowJudge& judge) const
{
    const PracticeRow& row = rows_[current_];
    if (row.kind != PracticeRow::Kind::Quotient)
        return {kQuestion, kLook, kWrite};
    std::vector<int> plan;
    if (level_ == PracticeLevel::Alone && row.step == 0 && dividendDigits() > 1)
        plan = {kPlaceQuestion, kPlace};
    else
        plan = {kQuestion};
    // The value: the tentative quotient and how it is found, then the check of its product.
    if (judge.nextPartial() >= working_.divisor)
        plan.insert(plan.end(), {kTentative, kCheck});
    else if (plan.size() == 1)
        plan.push_back(kLook);
    plan.push_back(kWrite);
    return plan;
}

PracticeProblem::Check PracticeProblem::hint()
{
    if (finished())
        return Check::Incomplete;
    enterDue_ = false;
    const RowJudge judge = judgeUpToOpenRow();
    const std::vector<int> plan = hintPlan(judge);
    const int part = plan[static_cast<std::size_t>(std::min<int>(hintStage_, static_cast<int>(plan.size()) - 1))];
    ++hints_[static_cast<std::size_t>(stepOf(part))];
    ++hintStage_;
    pointed_.clear();
    if (part != kWrite) {
        hintText_ = hintText(part, judge, pointed_);
        say_ = Say::Hint;
        return Check::Incomplete;
    }
    say_ = Say::Prompt;
    const PracticeRow& row = rows_[current_];
    // A row the hint checked: an Enter right after it belongs to it.
    const auto written = [&](Check c) {
        enterDue_ = enterDue_ || c != Check::Incomplete;
        return c;
    };
    if (level_ == PracticeLevel::Guided) {
        const std::string& answer = row.answer;
        for (std::size_t i = 0; i < answer.size(); ++i) {
            if (typed_[i] != answer[i]) {
                cursor_ = static_cast<int>(i);
                return written(type(answer[i] - '0'));
            }
        }
        return written(judgeRow());
    }
    const long long expected = judge.expected();
    if (row.kind == PracticeRow::Kind::Quotient) {
        cursor_ = judge.quotientColumn();
        return written(type(static_cast<int>(expected)));
    }
    const std::string answer = str(expected);
    if (wrongEntry_) {
        typed_.clear();
        wrongEntry_ = false;
        wrongDigits_.clear();
    }
    std::size_t same = 0;
    while (same < typed_.size() && same < answer.size() && typed_[same] == answer[same])
        ++same;
    typed_.resize(same);
    // Never more digits than the row has cells: a number too long for them is checked when they
    // are full (a product too long shows its quotient digit too large).
    const auto width = static_cast<std::size_t>(entryWidth());
    if (typed_.size() < answer.size() && typed_.size() < width)
        typed_ += answer[typed_.size()];
    return written(typed_ == answer || typed_.size() >= width ? judgeRow() : Check::Incomplete);
}

std::string PracticeProblem::prompt(InputDevice device) const
{
    const PracticeRow& row = rows_[current_];
    const bool alone = level_ == PracticeLevel::Alone;
    const bool pad = device == InputDevice::Pad;
    const std::string enter = enterWord(device);
    switch (row.kind) {
    case PracticeRow::Kind::Quotient:
        if (alone && row.step == 0 && dividendDigits() > 1)
            return std::string("商をたてる位置を ") + (pad ? "◀ ▶" : "←→") + " で選んで、商を書きましょう。";
        return "商をたてましょう。";
    case PracticeRow::Kind::Product:
        return alone ? "かけ算の答えを書いて、" + enter + "を押しましょう。" : "かけ算の答えを書きましょう。";
    case PracticeRow::Kind::Difference:
        return alone ? "ひき算をして次の数字をおろし、" + enter + "を押しましょう。" : "ひき算をして、次の数字をおろしましょう。";
    case PracticeRow::Kind::Remainder:
        break;
    }
    return alone ? "ひき算をして、あまりを書いたら" + std::string(pad ? "" : " ") + enter + "を押しましょう。"
                 : "ひき算をして、あまりを書きましょう。";
}

std::string PracticeProblem::message(InputDevice device) const
{
    if (finished())
        return "できました！";
    switch (say_) {
    case Say::Diagnosis:
        if (!diagnosis_)
            return prompt(device);
        // With a one-digit divisor the quotient digit comes from the multiplication table, not
        // from a tentative quotient.
        if (working_.divisor < 10 && diagnosis_->kind == MistakeKind::QuotientTooLarge)
            return "「商が大きい」" + diagnosis_->message;
        if (working_.divisor < 10 && diagnosis_->kind == MistakeKind::QuotientTooSmall)
            return "「商が小さい」" + diagnosis_->message;
        return std::string("「") + mistakeName(diagnosis_->kind) + "」" + diagnosis_->message;
    case Say::Hint:
        return hintText_;
    case Say::Incomplete:
        if (level_ == PracticeLevel::Guided)
            return "まだ書いていないますがあります。";
        if (rows_[current_].kind == PracticeRow::Kind::Quotient)
            return "商の数字を書きましょう。";
        if (rows_[current_].kind == PracticeRow::Kind::Remainder)
            return "あまりを書いて、" + enterWord(device) + "を押しましょう。わり切れたときは 0 を書きます。";
        return "数を書いてから" + std::string(device == InputDevice::Pad ? "" : " ") + enterWord(device) + "を押しましょう。";
    case Say::Prompt:
        break;
    }
    return prompt(device);
}

std::string PracticeProblem::hintText(int part, const RowJudge& judge, std::vector<Place>& cells) const
{
    // A line that goes on from the difference written before the 0: only digits to bring down.
    if (const auto from = carriedFrom(current_); from && (part == kQuestion || part == kLook)) {
        const PracticeRow& row = rows_[current_];
        const std::string& carried = written_[*from].digits;
        const std::string more = row.answer.substr(std::min(carried.size(), row.answer.size()));
        if (part == kQuestion)
            return carried + " の右に、つぎは何をおろすかな？";
        numberCells(*from, carried, cells);
        for (int i = row.lastDigit - static_cast<int>(more.size()) + 1; i <= row.lastDigit; ++i)
            cells.push_back({1, column(i)});
        return "わられる数の " + spokenDigits(more) + " を " + carried + " の右におろします。";
    }
    switch (part) {
    case kPlaceQuestion:
    case kQuestion:
        return question(judge);
    case kPlace:
    case kLook:
        return pointer(judge, cells);
    default:
        break;
    }
    // The quotient digit's value, from the partial dividend the pupil's rows give.
    const PracticeRow& row = rows_[current_];
    const long long p = judge.nextPartial();
    const int d = working_.divisor;
    const std::string ds = str(d);
    const std::string ps = str(p);
    if (row.step == 0)
        for (int i = 0; i <= row.lastDigit; ++i)
            cells.push_back({1, column(i)});
    else if (rows_[current_ - 1].kind == PracticeRow::Kind::Difference)
        numberCells(current_ - 1, written_[current_ - 1].digits, cells);
    else
        cells.push_back({1, column(row.lastDigit)});
    const int t = tentativeQuotient(static_cast<int>(std::min<long long>(p, 999'999'999)), d);
    if (part == kTentative) {
        if (d < 10) {
            for (int i = 0; i < divisorDigits_; ++i)
                cells.push_back({1, i});
            return "九九の " + ds + " のだんで、" + ps + " をこえないいちばん大きい数をさがそう。" + ds + "×" + str(t) +
                   "=" + str(static_cast<long long>(t) * d) + " だね。";
        }
        // The partial dividend without the divisor's last digits, and the divisor's first digit.
        cells.resize(cells.size() - std::min(cells.size(), static_cast<std::size_t>(divisorDigits_ - 1)));
        cells.push_back({1, 0});
        const TentativeParts parts = tentativeParts(p, d);
        const long long q = parts.head / parts.lead;
        const long long left = parts.head % parts.lead;
        std::string text = ps + " の " + str(parts.head) + " と " + ds + " の " + str(parts.lead) + " で見当をつけます。" +
                           str(parts.head) + "÷" + str(parts.lead) + "=" + str(q) +
                           (left > 0 ? " あまり " + str(left) : std::string()) + " なので、";
        text += q > 9 ? "見当の商は 9 にします。" : "見当の商は " + str(t) + " です。";
        return text;
    }
    // The check of the product: each guess too large is made 1 smaller.
    for (int i = 0; i < divisorDigits_; ++i)
        cells.push_back({1, i});
    std::string text;
    int q = t;
    for (; q > 0 && static_cast<long long>(q) * d > p; --q)
        text += str(q) + "×" + ds + "=" + str(static_cast<long long>(q) * d) + " は " + ps + " より大きいので、1 小さくします。";
    text += str(q) + "×" + ds + "=" + str(static_cast<long long>(q) * d) + " は " + ps + " をこえません。";
    if (d < 10 && q < 9)
        text += str(q + 1) + "×" + ds + "=" + str(static_cast<long long>(q + 1) * d) + " はこえます。";
    return text + "商にする数は何かな？";
}

std::string PracticeProblem::question(const RowJudge& judge) const
{
    const PracticeRow& row = rows_[current_];
    const PupilNumbers& n = judge.numbers();
    const std::string d = str(working_.divisor);
    switch (row.kind) {
    case PracticeRow::Kind::Quotient:
        if (level_ == PracticeLevel::Alone && row.step == 0 && dividendDigits() > 1)
            return "商はどの数字の上からたつかな？ " + dividend_.substr(0, 1) + " の中に " + d + " は入るかな？";
        return str(judge.nextPartial()) + "の中に" + d + "はいくつ？";
    case PracticeRow::Kind::Product:
        return str(std::max(n.quotient, 0)) + "×" + d + "は？";
    case PracticeRow::Kind::Difference:
    case PracticeRow::Kind::Remainder:
        break;
    }
    const std::string brought = judge.broughtDown(row);
    std::string text = str(n.minuend) + "−" + str(n.subtrahend) + "は？";
    if (!brought.empty())
        text += " そのあと " + spokenDigits(brought) + " をおろします。";
    return text;
}

void PracticeProblem::numberCells(std::size_t row, const std::string& digits, std::vector<Place>& cells) const
{
    const int last = rows_[row].lastDigit;
    for (int i = 0; i < static_cast<int>(digits.size()); ++i)
        cells.push_back({rows_[row].row, column(last - static_cast<int>(digits.size()) + 1 + i)});
}

std::string PracticeProblem::pointer(const RowJudge& judge, std::vector<Place>& cells) const
{
    const PracticeRow& row = rows_[current_];
    const PupilNumbers& n = judge.numbers();
    const int d = working_.divisor;
    const std::string ds = str(d);
    const auto divisorCells = [&] {
        for (int i = 0; i < divisorDigits_; ++i)
            cells.push_back({1, i});
    };
    const auto dividendCells = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            cells.push_back({1, column(i)});
    };
    switch (row.kind) {
    case PracticeRow::Kind::Quotient: {
        const long long p = judge.nextPartial();
        if (level_ == PracticeLevel::Alone && row.step == 0 && dividendDigits() > 1) {
            dividendCells(0, row.lastDigit);
            divisorCells();
            cells.push_back({0, column(row.lastDigit)});
            const std::string over = dividend_.substr(static_cast<std::size_t>(row.lastDigit), 1);
            if (p < d)
                return str(p) + " の中に " + ds + " は入らないので、商は " + over + " の上に 0 と書きます。";
            return str(p) + " の中に " + ds + " は入るので、商は " + over + " の上にたちます。";
        }
        if (row.step == 0)
            dividendCells(0, row.lastDigit);
        else if (rows_[current_ - 1].kind == PracticeRow::Kind::Difference)
            numberCells(current_ - 1, written_[current_ - 1].digits, cells);
        else
            dividendCells(row.lastDigit, row.lastDigit);
        const bool tentative = p >= d && d >= 10;
        // The tentative quotient looks at the partial dividend without its last digits and at
        // the divisor's first digit.
        if (tentative)
            cells.resize(cells.size() - std::min(cells.size(), static_cast<std::size_t>(divisorDigits_ - 1)));
        if (tentative)
            cells.push_back({1, 0});
        else
            divisorCells();
        if (p < d)
            return str(p) + " と " + ds + " をくらべよう。";
        if (d < 10)
            return "九九の " + ds + " のだんで、" + str(p) + " をこえないいちばん大きい数をさがそう。";
        const TentativeParts parts = tentativeParts(p, d);
        return str(parts.head) + " の中に " + str(parts.lead) + " はいくつかな？ それを見当の商にして、" + ds +
               " をかけてたしかめよう。";
    }
    case PracticeRow::Kind::Product: {
        for (std::size_t i = current_; i-- > 0;)
            if (rows_[i].kind == PracticeRow::Kind::Quotient) {
                cells.push_back({0, column(written_[i].column)});
                break;
            }
        divisorCells();
        const std::string q = str(std::max(n.quotient, 0));
        return "商の " + q + " と わる数の " + ds + " をかけます。" +
               (d < 10 ? "九九で考えよう。" : "一の位から順にかけよう。");
    }
    case PracticeRow::Kind::Difference:
    case PracticeRow::Kind::Remainder:
        break;
    }
    // The minuend, the product and the digits to bring down.
    if (n.minuendRow)
        numberCells(*n.minuendRow, written_[*n.minuendRow].digits, cells);
    else if (n.productRow)
        dividendCells(0, rows_[*n.productRow].lastDigit);
    if (n.productRow)
        numberCells(*n.productRow, written_[*n.productRow].digits, cells);
    const std::string brought = judge.broughtDown(row);
    if (!brought.empty())
        dividendCells(row.lastDigit - static_cast<int>(brought.size()) + 1, row.lastDigit);
    std::string text = str(n.minuend) + " から " + str(n.subtrahend) +
                       " をひきます。一の位から順にひいて、ひけないときは上の位から 1 くり下げよう。";
    if (!brought.empty())
        text += "ひいたら、わられる数の " + spokenDigits(brought) + " をおろします。";
    if (row.kind == PracticeRow::Kind::Remainder)
        text += "あまりは " + ds + " より小さくなります。";
    return text;
}

void PracticeProblem::addEntry(std::vector<Cell>& cells, std::size_t row, const WrittenRow& written, Ink ink) const
{
    const PracticeRow& r = rows_[row];
    if (r.kind == PracticeRow::Kind::Quotient) {
        if (!written.digits.empty())
            cells.push_back({{0, column(written.column)}, written.digits.front(), ink});
        return;
    }
    const int n = static_cast<int>(written.digits.size());
    for (int i = 0; i < n; ++i)
        cells.push_back({{r.row, column(r.lastDigit - n + 1 + i)}, written.digits[static_cast<std::size_t>(i)], ink});
}

std::vector<PracticeProblem::Cell> PracticeProblem::shownCells() const
{
    std::vector<Cell> cells;
    // An optional difference that a later line goes on from is shown by that line.
    std::vector<bool> carried(rows_.size(), false);
    for (std::size_t r = 0; r < rows_.size() && r <= current_; ++r)
        if (const auto from = carriedFrom(r))
            carried[*from] = true;
    for (std::size_t r = 0; r < written_.size(); ++r)
        if (!carried[r])
            addEntry(cells, r, written_[r], Ink::Done);
    if (finished())
        return cells;
    const PracticeRow& open = rows_[current_];
    if (level_ == PracticeLevel::Guided) {
        for (int i = 0; i < open.cells(); ++i) {
            const char c = typed_[static_cast<std::size_t>(i)];
            if (c != ' ')
                cells.push_back({{open.row, column(open.firstDigit + i)}, c,
                                 wrongCells_[static_cast<std::size_t>(i)] ? Ink::Wrong : Ink::Typed});
        }
    } else if (open.kind == PracticeRow::Kind::Quotient) {
        addEntry(cells, current_, WrittenRow{typed_, typedColumn_}, wrongEntry_ ? Ink::Wrong : Ink::Typed);
    } else {
        const int start = entryStart();
        for (int i = 0; i < static_cast<int>(typed_.size()); ++i)
            cells.push_back({{open.row, column(start + i)}, typed_[static_cast<std::size_t>(i)],
                             wrong(current_, i) ? Ink::Wrong : Ink::Typed});
    }
    for (std::size_t j = 0; j < stale_.size() && current_ + 1 + j < rows_.size(); ++j)
        addEntry(cells, current_ + 1 + j, stale_[j], Ink::Wrong);
    return cells;
}

std::vector<PracticeProblem::Place> PracticeProblem::openCells() const
{
    std::vector<Place> cells;
    if (finished())
        return cells;
    const PracticeRow& open = rows_[current_];
    if (level_ == PracticeLevel::Guided) {
        for (int i = 0; i < open.cells(); ++i)
            cells.push_back({open.row, column(open.firstDigit + i)});
        // The quotient 0 may be written before the optional difference.
        if (open.optional && entryEmpty())
            cells.push_back({0, column(rows_[current_ + 1].lastDigit)});
    } else if (open.kind == PracticeRow::Kind::Quotient) {
        for (int i = minColumn(); i < dividendDigits(); ++i)
            cells.push_back({0, column(i)});
    } else if (open.kind == PracticeRow::Kind::Difference) {
        // From the first digit to the dividend's end: how many digits come down is the pupil's.
        for (int i = entryStart(); i < dividendDigits(); ++i)
            cells.push_back({open.row, column(i)});
        if (open.optional && entryEmpty())
            for (int i = minColumn(); i < dividendDigits(); ++i)
                cells.push_back({0, column(i)});
    } else {
        for (int i = open.lastDigit + 1 - entryWidth(); i <= open.lastDigit; ++i)
            cells.push_back({open.row, column(i)});
    }
    return cells;
}

std::optional<PracticeProblem::Place> PracticeProblem::cursorPlace() const
{
    if (finished())
        return std::nullopt;
    const PracticeRow& open = rows_[current_];
    if (level_ == PracticeLevel::Guided)
        return Place{open.row, column(open.firstDigit + cursor_)};
    if (open.kind == PracticeRow::Kind::Quotient)
        return Place{0, column(cursor_)};
    if (open.kind == PracticeRow::Kind::Difference)
        return Place{open.row,
                     column(std::min(entryStart() + static_cast<int>(typed_.size()), dividendDigits() - 1))};
    return Place{open.row, column(open.lastDigit)};
}

std::vector<int> PracticeProblem::underlinedRows() const
{
    std::vector<int> rows;
    for (std::size_t r = 0; r < written_.size(); ++r)
        if (rows_[r].kind == PracticeRow::Kind::Product)
            rows.push_back(rows_[r].row);
    return rows;
}

std::vector<std::string> PracticeProblem::picture() const
{
    const std::string divisor = std::to_string(working_.divisor);
    const std::size_t width = divisor.size() + 1 + dividend_.size();
    std::vector<std::string> lines(static_cast<std::size_t>(working_.rows()), std::string(width, ' '));
    lines[1] = divisor + ")" + dividend_;
    for (const Cell& c : shownCells())
        if (c.at.row >= 0 && c.at.row < static_cast<int>(lines.size()) && c.at.column >= 0 &&
            c.at.column < static_cast<int>(width))
            lines[static_cast<std::size_t>(c.at.row)][static_cast<std::size_t>(c.at.column)] = c.digit;
    return lines;
}

int ProblemResult::mistakeCount() const
{
    return std::accumulate(mistakes.begin(), mistakes.end(), 0);
}

int ProblemResult::hintCount() const
{
    return std::accumulate(hints.begin(), hints.end(), 0);
}

std::vector<PracticeItem> workableItems(std::vector<PracticeItem> items)
{
    constexpr int kLargest = 999'999'999;
    std::erase_if(items, [](const PracticeItem& i) {
        return i.dividend < 0 || i.dividend > kLargest || i.divisor < 1 || i.divisor > kLargest;
    });
    return items;
}

std::vector<PracticeItem> sheetItems(const ProblemSheet& sheet)
{
    std::vector<PracticeItem> items;
    for (std::size_t i = 0; i < static_cast<std::size_t>(sheet.count); ++i)
        if (auto w = LongDivision::ofText(sheet.dividends[i], sheet.divisors[i]))
            items.push_back({w->dividend, w->divisor, sheet.types[i]});
    return items;
}

BoardExtent boardExtent(const std::vector<PracticeItem>& items)
{
    BoardExtent extent;
    for (const PracticeItem& item : workableItems(items)) {
        extent.columns = std::max(extent.columns, digitCount(item.divisor) + 1 + digitCount(item.dividend));
        extent.rows = std::max(extent.rows, LongDivision::of(item.dividend, item.divisor).rows());
    }
    return extent;
}

PracticeSession::PracticeSession(std::vector<PracticeItem> items, PracticeLevel level, std::int64_t nowMs)
    : level_(level)
{
    startRound(std::move(items), nowMs);
}

bool PracticeSession::startRound(std::vector<PracticeItem> items, std::int64_t nowMs)
{
    items = workableItems(std::move(items));
    if (items.empty())
        return false;
    if (!problems_.empty() || roundOver_)
        ++round_;
    items_ = std::move(items);
    problems_.clear();
    problems_.reserve(items_.size());
    for (const PracticeItem& i : items_)
        problems_.emplace_back(LongDivision::of(i.dividend, i.divisor), level_);
    index_ = 0;
    recorded_ = false;
    roundOver_ = false;
    roundStartMs_ = problemStartMs_ = lastInputMs_ = nowMs;
    return true;
}

void PracticeSession::setLevel(PracticeLevel level)
{
    level_ = level;
    for (std::size_t i = index_; i < problems_.size(); ++i)
        if (!problems_[i].finished())
            problems_[i].restart(level);
}

int PracticeSession::rightFirstTime() const
{
    return static_cast<int>(std::count_if(problems_.begin(), problems_.end(),
                                          [](const PracticeProblem& p) { return p.rightFirstTime(); }));
}

int PracticeSession::hints() const
{
    int n = 0;
    for (const PracticeProblem& p : problems_)
        n += p.hints();
    return n;
}

void PracticeSession::recordIfFinished(std::int64_t nowMs)
{
    lastInputMs_ = nowMs;
    if (recorded_ || empty() || !problem().finished())
        return;
    const PracticeProblem& p = problem();
    ProblemResult r;
    r.item = item();
    r.level = p.level();
    r.round = round_;
    r.mistakes = p.mistakeCounts();
    r.hints = p.hintCounts();
    r.startedMs = problemStartMs_;
    r.finishedMs = nowMs;
    results_.push_back(r);
    recorded_ = true;
}

void PracticeSession::typeDigit(int digit, std::int64_t nowMs)
{
    if (empty() || roundOver_)
        return;
    problem().type(digit);
    recordIfFinished(nowMs);
}

void PracticeSession::backspace()
{
    if (!empty() && !roundOver_)
        problem().backspace();
}

void PracticeSession::moveLeft()
{
    if (!empty() && !roundOver_)
        problem().moveLeft();
}

void PracticeSession::moveRight()
{
    if (!empty() && !roundOver_)
        problem().moveRight();
}

void PracticeSession::tap(const PracticeProblem::Place& place)
{
    if (!empty() && !roundOver_)
        problem().tap(place);
}

void PracticeSession::enter(std::int64_t nowMs)
{
    if (empty() || roundOver_)
        return;
    if (!problem().finished()) {
        problem().check();
        recordIfFinished(nowMs);
        return;
    }
    lastInputMs_ = nowMs;
    if (lastProblem()) {
        roundOver_ = true;
        return;
    }
    ++index_;
    recorded_ = false;
    problemStartMs_ = nowMs;
}

void PracticeSession::hint(std::int64_t nowMs)
{
    if (empty() || roundOver_)
        return;
    problem().hint();
    recordIfFinished(nowMs);
}

std::string PracticeSession::message() const
{
    if (empty())
        return "";
    if (!problem().finished())
        return problem().message(device_);
    const std::string next = device_ == InputDevice::Pad ? "「次へ」" : "Enter キー";
    return "できました！ " + next + (lastProblem() ? "で結果を見ましょう。" : "で次の問題へ進みましょう。");
}

long long PracticeSession::roundSeconds() const
{
    std::vector<ProblemResult> round;
    for (const ProblemResult& r : results_)
        if (r.round == round_)
            round.push_back(r);
    return workingSeconds(round);
}

long long workingSeconds(const std::vector<ProblemResult>& results)
{
    long long seconds = 0;
    for (const ProblemResult& r : results)
        seconds += r.seconds();
    return seconds;
}

std::vector<std::pair<MistakeKind, int>> PracticeSession::stumbles() const
{
    std::array<int, kMistakeKinds> totals{};
    for (const ProblemResult& r : results_)
        for (std::size_t k = 0; k < totals.size(); ++k)
            totals[k] += r.mistakes[k];
    std::vector<std::pair<MistakeKind, int>> list;
    for (const MistakeKind kind : kAllMistakeKinds)
        if (totals[static_cast<std::size_t>(kind)] > 0)
            list.emplace_back(kind, totals[static_cast<std::size_t>(kind)]);
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return list;
}

std::vector<PracticeItem> PracticeSession::missed() const
{
    std::vector<PracticeItem> items;
    for (std::size_t i = 0; i < problems_.size(); ++i)
        if (problems_[i].mistakes() > 0 || problems_[i].hints() > 0)
            items.push_back(items_[i]);
    return items;
}

std::vector<int> PracticeSession::weakTypes() const
{
    std::vector<int> types;
    for (const ProblemResult& r : results_)
        if (r.mistakeCount() > 0 && r.item.type > 0 && std::find(types.begin(), types.end(), r.item.type) == types.end())
            types.push_back(r.item.type);
    return types;
}

}  // namespace pelkano
