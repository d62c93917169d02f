#include "PracticeModel.h"

#include <stdexcept>

namespace pelkano {

namespace {

PracticeRow::Kind kindOf(WorkingKind kind)
{
    switch (kind) {
    case WorkingKind::Product:
        return PracticeRow::Kind::Product;
    case WorkingKind::Difference:
        return PracticeRow::Kind::Difference;
    case WorkingKind::Remainder:
        break;
    }
    return PracticeRow::Kind::Remainder;
}

}  // namespace

std::vector<PracticeRow> practiceRows(const LongDivision& working)
{
    std::vector<PracticeRow> rows;
    std::size_t line = 0;
    for (std::size_t i = 0; i < working.steps.size(); ++i) {
        const DivisionStep& step = working.steps[i];
        rows.push_back({PracticeRow::Kind::Quotient, 0, step.lastDigit, std::to_string(step.quotientDigit)});
        for (; line < working.lines.size() && working.lines[line].step == static_cast<int>(i); ++line) {
            const WorkingLine& l = working.lines[line];
            const std::string digits = std::to_string(l.value);
            rows.push_back({kindOf(l.kind), l.row, l.lastDigit - static_cast<int>(digits.size()) + 1, digits});
        }
    }
    return rows;
}

PracticeProblem::PracticeProblem(LongDivision working)
    : working_(std::move(working)), rows_(practiceRows(working_))
{
    if (!rows_.empty()) {
        typed_.assign(static_cast<std::size_t>(rows_.front().cells()), ' ');
        wrong_.assign(typed_.size(), false);
    }
}

char PracticeProblem::digit(std::size_t row, int cell) const
{
    if (row >= rows_.size() || cell < 0 || cell >= rows_[row].cells())
        return ' ';
    if (row < current_)
        return rows_[row].answer[static_cast<std::size_t>(cell)];
    if (row == current_)
        return typed_[static_cast<std::size_t>(cell)];
    return ' ';
}

bool PracticeProblem::wrong(std::size_t row, int cell) const
{
    return row == current_ && cell >= 0 && cell < static_cast<int>(wrong_.size()) && wrong_[static_cast<std::size_t>(cell)];
}

PracticeProblem::Check PracticeProblem::type(int digit)
{
    if (finished() || digit < 0 || digit > 9)
        return Check::Incomplete;
    const auto at = static_cast<std::size_t>(cursor_);
    typed_[at] = static_cast<char>('0' + digit);
    wrong_[at] = false;
    if (cursor_ + 1 < rows_[current_].cells())
        ++cursor_;
    return checkIfComplete();
}

void PracticeProblem::backspace()
{
    if (finished())
        return;
    if (typed_[static_cast<std::size_t>(cursor_)] == ' ' && cursor_ > 0)
        --cursor_;
    const auto at = static_cast<std::size_t>(cursor_);
    typed_[at] = ' ';
    wrong_[at] = false;
}

void PracticeProblem::moveLeft()
{
    if (!finished() && cursor_ > 0)
        --cursor_;
}

void PracticeProblem::moveRight()
{
    if (!finished() && cursor_ + 1 < rows_[current_].cells())
        ++cursor_;
}

PracticeProblem::Check PracticeProblem::checkIfComplete()
{
    return typed_.find(' ') == std::string::npos ? check() : Check::Incomplete;
}

PracticeProblem::Check PracticeProblem::check()
{
    if (finished() || typed_.find(' ') != std::string::npos)
        return Check::Incomplete;
    const std::string& answer = rows_[current_].answer;
    if (typed_ == answer) {
        ++current_;
        cursor_ = 0;
        const std::size_t cells = finished() ? 0 : static_cast<std::size_t>(rows_[current_].cells());
        typed_.assign(cells, ' ');
        wrong_.assign(cells, false);
        return Check::Right;
    }
    ++mistakes_;
    bool first = true;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        wrong_[i] = typed_[i] != answer[i];
        if (wrong_[i] && first) {
            cursor_ = static_cast<int>(i);
            first = false;
        }
    }
    return Check::Wrong;
}

PracticeProblem::Check PracticeProblem::hint()
{
    if (finished())
        return Check::Incomplete;
    const std::string& answer = rows_[current_].answer;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        if (typed_[i] != answer[i]) {
            cursor_ = static_cast<int>(i);
            ++hints_;
            return type(answer[i] - '0');
        }
    }
    return check();
}

std::vector<std::string> PracticeProblem::picture() const
{
    const std::string divisor = std::to_string(working_.divisor);
    const std::string dividend = std::to_string(working_.dividend);
    const std::size_t first = divisor.size() + 1;  // cell of the dividend's first digit
    std::vector<std::string> lines(static_cast<std::size_t>(working_.rows()), std::string(first + dividend.size(), ' '));
    lines[1] = divisor + ")" + dividend;
    for (std::size_t r = 0; r < rows_.size(); ++r)
        for (int c = 0; c < rows_[r].cells(); ++c)
            lines[static_cast<std::size_t>(rows_[r].row)][first + static_cast<std::size_t>(rows_[r].firstDigit + c)] =
                digit(r, c);
    return lines;
}

PracticeSession::PracticeSession(std::vector<LongDivision> problems)
{
    if (problems.empty())
        throw std::invalid_argument("a practice needs at least one problem");
    problems_.reserve(problems.size());
    for (LongDivision& w : problems)
        problems_.emplace_back(std::move(w));
}

bool PracticeSession::next()
{
    if (lastProblem() || !problem().finished())
        return false;
    ++index_;
    return true;
}

int PracticeSession::rightFirstTime() const
{
    int n = 0;
    for (const PracticeProblem& p : problems_)
        n += p.rightFirstTime() ? 1 : 0;
    return n;
}

int PracticeSession::hints() const
{
    int n = 0;
    for (const PracticeProblem& p : problems_)
        n += p.hints();
    return n;
}

}  // namespace pelkano
