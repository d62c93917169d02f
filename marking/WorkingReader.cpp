#include "WorkingReader.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace pelkano::marking {

FigureReading::FigureReading(int rows_, int columns_)
    : rows(std::max(0, rows_)), columns(std::max(0, columns_)),
      cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), [] {
          CellScores blank{};
          blank[kBlank] = 1;
          return blank;
      }())
{
}

CellScores& FigureReading::at(int row, int column)
{
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
}

const CellScores& FigureReading::at(int row, int column) const
{
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
}

namespace {

int topClass(const CellScores& s)
{
    return static_cast<int>(std::max_element(s.begin(), s.end()) - s.begin());
}

bool isDigit(int c)
{
    return c >= 0 && c <= 9;
}

// The digits a square may hold, the likeliest first: its top reading alone when that is sure.
std::vector<int> candidates(const CellScores& s)
{
    const int top = topClass(s);
    if (s[static_cast<std::size_t>(top)] >= kSureReading)
        return {top};
    std::vector<int> out;
    for (int c = 0; c <= 9; ++c)
        if (s[static_cast<std::size_t>(c)] >= kSupportedReading)
            out.push_back(c);
    std::sort(out.begin(), out.end(), [&s](int a, int b) { return s[static_cast<std::size_t>(a)] > s[static_cast<std::size_t>(b)]; });
    return out;
}

// How sure the reading `chosen` of a square is: its own probability, and where the pupil's
// other rows chose it among the square's readings, the probability of the readings it was
// chosen from.
double sureness(const CellScores& s, int chosen, bool agreed)
{
    const double own = s[static_cast<std::size_t>(chosen)];
    if (!agreed)
        return own;
    double best = 0;
    for (int c = 0; c <= 9; ++c)
        if (c != chosen)
            best = std::max(best, static_cast<double>(s[static_cast<std::size_t>(c)]));
    return std::min(1.0, own + best);
}

// A row's written squares, left to right: their scores.
struct RowCells {
    std::vector<const CellScores*> cells;
    std::string top() const
    {
        std::string digits;
        for (const CellScores* s : cells)
            digits += static_cast<char>('0' + topClass(*s));
        return digits;
    }
};

// The reading of the row's squares that gives `target`, among those the squares support.
std::optional<std::string> agreeingReading(const RowCells& row, const std::string& target)
{
    if (target.size() != row.cells.size())
        return std::nullopt;
    for (std::size_t i = 0; i < target.size(); ++i) {
        const std::vector<int> c = candidates(*row.cells[i]);
        if (std::find(c.begin(), c.end(), target[i] - '0') == c.end())
            return std::nullopt;
    }
    return target;
}

// How much likelier the squares make the reading taken than `number` written ending in the
// column where the read digits end (at `lastColumn` when none was read), as a natural logarithm:
// over the whole text row (the number and nothing else on it), or over the number's own squares.
// Small where a misread square could have made a mistake: the pupil may well have written the
// number the working asks for.
double readingAdvantage(const FigureReading& reading, int textRow, const std::string& number, int lastColumn,
                        bool wholeRow)
{
    if (textRow < 0 || textRow >= reading.rows)
        return 0;
    int end = -1;
    for (int c = 0; c < reading.columns && wholeRow; ++c)
        if (isDigit(topClass(reading.at(textRow, c))))
            end = c;
    if (end < 0)
        end = lastColumn;
    const int begin = end - static_cast<int>(number.size()) + 1;
    const int from = wholeRow ? 0 : std::max(0, begin);
    const int to = wholeRow ? reading.columns : std::min(reading.columns, end + 1);
    double advantage = 0;
    for (int c = from; c < to; ++c) {
        const CellScores& s = reading.at(textRow, c);
        const int other = c >= begin && c <= end ? number[static_cast<std::size_t>(c - begin)] - '0' : kBlank;
        constexpr double kFloor = 1e-9;
        advantage += std::log(std::max(kFloor, static_cast<double>(s[static_cast<std::size_t>(topClass(s))]))) -
                     std::log(std::max(kFloor, static_cast<double>(s[static_cast<std::size_t>(other)])));
    }
    return advantage;
}

}  // namespace

WorkingJudgement judgeWorking(const LongDivision& working, const FigureReading& reading)
{
    WorkingJudgement out;
    const int nD = reading.columns;

    // Nothing written at all: unanswered, as sure as the squares are blank.
    bool anything = false;
    double blankSure = 1;
    for (int r = 0; r < reading.rows; ++r) {
        if (r == 1)
            continue;
        for (int c = 0; c < nD; ++c) {
            const CellScores& s = reading.at(r, c);
            anything = anything || topClass(s) != kBlank;
            blankSure = std::min(blankSure, static_cast<double>(s[kBlank]));
        }
    }
    if (!anything) {
        out.confidence = blankSure;
        out.verdict = blankSure >= kCheckBelow ? Verdict::Unanswered : Verdict::Check;
        return out;
    }

    // The working's lines as the pupil set them down: the written rows of the frame in order, each
    // taken for the next line, so a line a row off its place is read where it is. A pupil who
    // wrote the difference before each quotient 0 wrote one line more for each.
    std::vector<int> linesWritten;
    for (int r = 2; r < reading.rows; ++r)
        for (int c = 0; c < nD; ++c)
            if (isDigit(topClass(reading.at(r, c)))) {
                linesWritten.push_back(r);
                break;
            }
    const auto lineCount = [](const std::vector<PracticeRow>& rows) {
        return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const PracticeRow& row) {
            return row.kind != PracticeRow::Kind::Quotient;
        }));
    };
    std::vector<PracticeRow> rows = practiceRows(working);
    if (std::vector<PracticeRow> withOptional = writingRows(working);
        lineCount(withOptional) != lineCount(rows) && lineCount(withOptional) == linesWritten.size())
        rows = std::move(withOptional);
    std::vector<int> paperRow(rows.size(), 0);
    for (std::size_t i = 0, line = 0; i < rows.size(); ++i)
        if (rows[i].kind != PracticeRow::Kind::Quotient)
            paperRow[i] = line < linesWritten.size() ? linesWritten[line++] : -1;

    RowJudge judge(working, rows, PracticeLevel::Alone);
    double sure = 1;
    // A row read with a scribble on it, or with a square between its digits read as blank, may
    // have lost a digit: a mistake found on it is the teacher's to look at. The squares read as
    // blank or as a scribble count towards how sure the reading is here; the digits where the
    // row's number is settled.
    bool doubtful = false;
    const auto rowCells = [&](int textRow) {
        RowCells row;
        if (textRow < 0 || textRow >= reading.rows)
            return row;
        int gaps = 0, pending = 0;
        for (int c = 0; c < nD; ++c) {
            const CellScores& s = reading.at(textRow, c);
            const int top = topClass(s);
            if (isDigit(top)) {
                row.cells.push_back(&s);
                gaps += pending;
                pending = 0;
            } else {
                sure = std::min(sure, static_cast<double>(s[static_cast<std::size_t>(top)]));
                pending += row.cells.empty() ? 0 : 1;
            }
            doubtful = doubtful || top == kScribble;
        }
        doubtful = doubtful || gaps > 0;
        return row;
    };

    // The quotient may stand off its place: every quotient digit is read that many squares off.
    int firstWritten = -1;
    for (int c = 0; c < nD && reading.rows > 0; ++c)
        if (isDigit(topClass(reading.at(0, c)))) {
            firstWritten = c;
            break;
        }
    const int shift = firstWritten >= 0 && !rows.empty() ? firstWritten - rows.front().lastDigit : 0;

    bool missing = false;
    for (std::size_t i = 0; i < rows.size() && !judge.ended(); ++i) {
        const PracticeRow& row = rows[i];
        WrittenRow written;
        if (row.kind == PracticeRow::Kind::Quotient) {
            const int column = row.lastDigit + shift;
            written.column = column;
            if (column >= 0 && column < nD && reading.rows > 0) {
                const CellScores& s = reading.at(0, column);
                const int top = topClass(s);
                if (isDigit(top)) {
                    int chosen = top;
                    bool agreed = false;
                    // The digit whose product the next row holds, if the square supports it.
                    if (i + 1 < rows.size() && rows[i + 1].kind == PracticeRow::Kind::Product) {
                        const RowCells next = rowCells(paperRow[i + 1]);
                        const auto product = numberOf(next.top());
                        bool supported = false;
                        for (const int q : candidates(s))
                            if (product && static_cast<long long>(q) * working.divisor == *product) {
                                agreed = q != top;
                                chosen = q;
                                supported = true;
                                break;
                            }
                        // A product of the right digit under a digit read otherwise: the digit is
                        // likelier misread than the pupil's (whose product would be of their digit).
                        const long long right = judge.expected();
                        doubtful = doubtful || (!supported && product && chosen != right && right > 0 &&
                                                right * working.divisor == *product);
                    }
                    // A digit the working asks for is as sure as the readings it was chosen from.
                    sure = std::min(sure, sureness(s, chosen, agreed || chosen == judge.expected()));
                    written.digits = std::string(1, static_cast<char>('0' + chosen));
                } else {
                    sure = std::min(sure, static_cast<double>(s[static_cast<std::size_t>(top)]));
                    doubtful = doubtful || top == kScribble;
                }
            }
        } else {
            written.column = row.firstDigit;
            const RowCells cells = rowCells(paperRow[i]);
            written.digits = cells.top();
            const std::string target = std::to_string(judge.expected());
            if (written.digits != target)
                if (const auto agreeing = agreeingReading(cells, target))
                    written.digits = *agreeing;
            // The number the working asks for is as sure as the readings it was chosen from.
            for (std::size_t k = 0; k < cells.cells.size(); ++k) {
                const int digit = written.digits[k] - '0';
                sure = std::min(sure, sureness(*cells.cells[k], digit, written.digits == target));
            }
        }
        missing = missing || written.digits.empty();
        out.written.push_back(written);
        const std::string expected = std::to_string(judge.expected());
        if (auto found = judge.take(written); found && !out.mistake) {
            // A mistake in a row read otherwise than the working asks for, where the squares make
            // what it asks for not much less likely than what was read: a misread square could
            // have made it.
            if (written.digits != expected) {
                // A line not written at all (every written line was taken before it) is looked
                // for on the frame's row after the last line written; where the frame has no such
                // row, nothing can have been misread.
                const int textRow = paperRow[i] >= 0      ? paperRow[i]
                                    : linesWritten.empty() ? 2
                                                           : linesWritten.back() + 1;
                const double advantage =
                    row.kind == PracticeRow::Kind::Quotient ? readingAdvantage(reading, 0, expected, row.lastDigit + shift, false)
                    : textRow < reading.rows                ? readingAdvantage(reading, textRow, expected, row.lastDigit, true)
                                                            : kLeastAdvantage;
                doubtful = doubtful || advantage < kLeastAdvantage;
            }
            out.mistake = std::move(found);
            const std::size_t at = std::min(out.mistake->row, rows.size() - 1);
            out.mistakeTextRow = rows[at].kind == PracticeRow::Kind::Quotient ? 0 : paperRow[at];
            break;
        }
    }

    out.confidence = sure;
    if (out.mistake) {
        out.verdict = Verdict::Wrong;
    } else if (missing) {
        // Rows left empty that the judging passes over: the working is not finished.
        out.verdict = Verdict::Wrong;
        out.mistake = Diagnosis{MistakeKind::Other, out.written.size(), out.written.size(),
                                "とちゅうの式が書かれていないところがあります。"};
        for (std::size_t i = 0; i < out.written.size(); ++i)
            if (out.written[i].digits.empty()) {
                out.mistake->row = out.mistake->shownAt = i;
                out.mistakeTextRow = rows[i].kind == PracticeRow::Kind::Quotient ? 0 : paperRow[i];
                break;
            }
    } else {
        out.verdict = Verdict::Right;
    }
    if (out.verdict == Verdict::Wrong && doubtful)
        out.confidence = std::min(out.confidence, kCheckBelow / 2);
    if (out.confidence < kCheckBelow)
        out.verdict = Verdict::Check;
    return out;
}

}  // namespace pelkano::marking
