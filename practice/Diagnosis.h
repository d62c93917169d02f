#pragma once
// The rows a pupil writes in a long division, and what a wrong one shows. Every row is judged
// against the pupil's own earlier rows, not against the answer: a product is right when it is the
// pupil's quotient digit times the divisor, a difference when it is the pupil's partial dividend
// less the pupil's product with the right digits brought down. So a wrong product followed by a
// difference that is right for it is one mistake, not two. The mistake named is the first thing
// that went wrong, as one of a few kinds, with a short message in Japanese (UTF-8) that names the
// numbers involved and the check the pupil can do. No Qt, no exceptions.
#include "LongDivision.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace pelkano {

// "てびき": every row is cut into the cells of its answer and checked against it, a quotient
// digit at once. "ひとりで": the pupil places the first quotient digit, types each number whole
// (it is set right-aligned in its step's column), and a quotient digit is judged by the product
// and the difference that follow it, as the pupil would judge it.
enum class PracticeLevel { Guided = 0, Alone = 1 };

// One row to fill: a quotient digit (one cell of row 0) or one line of the working.
struct PracticeRow {
    enum class Kind { Quotient, Product, Difference, Remainder };
    Kind kind = Kind::Quotient;
    int row = 0;         // text row of the figure: 0 the quotient, 2 and down the working
    int firstDigit = 0;  // dividend digit (from 0, left) the row's first cell stands under or over
    int lastDigit = 0;   // dividend digit its last cell stands under or over
    int step = 0;        // the step of the working it belongs to
    std::string answer;  // the digits to write, left to right
    // A difference that may be written or left out: the one before a quotient 0 (87−86 with the
    // 6 brought down, "16", before the 0 of 8765 / 43). The line after the 0 goes on from it
    // ("165") when it was written; the working's own lines never hold it.
    bool optional = false;

    int cells() const { return static_cast<int>(answer.size()); }
};

// The rows of a working in writing order: each quotient digit, then the lines its step sets down.
std::vector<PracticeRow> practiceRows(const LongDivision& working);
// The same rows with the optional difference before each quotient 0 that follows a product (not
// where that difference is 0 itself: its 0 could not be told from the quotient's).
std::vector<PracticeRow> writingRows(const LongDivision& working);

// A row as the pupil wrote it: its digits (none when left empty) and, for a quotient digit, the
// dividend digit (from 0, left) it was written over. A number's column is its row's own.
struct WrittenRow {
    std::string digits;
    int column = 0;
};

enum class MistakeKind {
    QuotientPlace,     // 商の位置: a quotient digit over the wrong dividend digit
    QuotientZero,      // 商の0: no 0 where the partial dividend is less than the divisor
    QuotientTooLarge,  // 仮商が大きい: its product is more than the partial dividend
    QuotientTooSmall,  // 仮商が小さい: what is left is not less than the divisor
    Multiplication,    // かけ算: the product is not the quotient digit times the divisor
    Subtraction,       // ひき算: the difference is not the partial dividend less the product
    BringDown,         // おろす数: a wrong digit, no digit or too many digits brought down
    Remainder,         // あまり: the final remainder missing, or not less than the divisor
    Other,             // そのほか: a wrong row that fits no kind
};
inline constexpr int kMistakeKinds = 9;
inline constexpr std::array<MistakeKind, kMistakeKinds> kAllMistakeKinds{
    MistakeKind::QuotientPlace, MistakeKind::QuotientZero, MistakeKind::QuotientTooLarge,
    MistakeKind::QuotientTooSmall, MistakeKind::Multiplication, MistakeKind::Subtraction,
    MistakeKind::BringDown, MistakeKind::Remainder, MistakeKind::Other};

// "商の位置", "商の0", "仮商が大きい", "仮商が小さい", "かけ算", "ひき算", "おろす数", "あまり",
// "そのほか".
const char* mistakeName(MistakeKind kind);

struct Diagnosis {
    MistakeKind kind = MistakeKind::Other;
    std::size_t row = 0;      // the row that is wrong (a quotient digit judged later: its own row)
    std::size_t shownAt = 0;  // the row whose writing showed it
    std::string message;
    // Which digits of the written row are wrong, left to right; empty when all of them are (a
    // difference wrong in its subtraction keeps the digits brought down right).
    std::vector<bool> wrongDigits = {};
};

// The pupil's numbers before a row, taken from the pupil's own earlier rows.
struct PupilNumbers {
    long long partial = 0;      // the step's partial dividend
    int quotient = -1;          // the step's quotient digit, -1 before it is written
    long long product = 0;      // the step's product (0 before it is written and in a 0 step)
    long long minuend = 0;      // the last subtraction: the partial dividend of the last step with
    long long subtrahend = 0;   //   a product, and that product
    std::string brought;        // the digits brought down since that product
    std::size_t quotientRow = 0;   // the row of the step's quotient digit
    std::optional<std::size_t> productRow;     // the row of the last product written
    std::optional<std::size_t> partialRow;     // the row that shows the step's partial dividend
                                               // (none: the dividend's own digits)
    std::optional<std::size_t> minuendRow;     // the row that shows the minuend (none: the dividend)
};

// Judges rows one by one, each against the pupil's own earlier rows.
class RowJudge {
public:
    // rows: practiceRows(working).
    RowJudge(const LongDivision& working, const std::vector<PracticeRow>& rows, PracticeLevel level);

    // Judges rows()[index()] as written and takes the pupil's numbers from it. A mistake in a
    // quotient digit (its place, its 0, too large or too small) ends the judging: nothing after
    // it can be read against it. An empty row other than a missing 0 or a missing remainder is
    // not judged (nothing happens).
    std::optional<Diagnosis> take(const WrittenRow& written);
    std::size_t index() const { return index_; }
    bool ended() const { return ended_; }
    // The numbers the next row is written from.
    const PupilNumbers& numbers() const { return numbers_; }
    // The step's partial dividend as the pupil would now work it out for the next row (a 0 step's
    // partial dividend comes from the previous remainder and the digit brought down).
    long long nextPartial() const;
    // The value the next row must hold to agree with the pupil's rows: a quotient digit's right
    // digit, a product, a difference with its digits brought down, a remainder.
    long long expected() const;
    // The dividend digits a difference or remainder row brings down: those the pupil's rows left
    // to bring, and a difference's own digit.
    std::string broughtDown(const PracticeRow& row) const;
    // The dividend digit (from 0, left) the next quotient digit belongs over.
    int quotientColumn() const;

private:
    std::optional<Diagnosis> takeQuotient(const PracticeRow& row, const WrittenRow& written);
    std::optional<Diagnosis> takeProduct(const WrittenRow& written);
    std::optional<Diagnosis> takeLine(const PracticeRow& row, const WrittenRow& written);
    std::optional<Diagnosis> pendingTooSmall();
    // A quotient digit q too small or too large for the partial dividend p; ends the judging.
    Diagnosis tooSmall(int q, long long p);
    Diagnosis tooLarge(int q, long long p);
    Diagnosis make(MistakeKind kind, std::size_t row, std::string message) const;
    int rightDigit() const;

    const LongDivision& w_;
    const std::vector<PracticeRow>& rows_;
    PracticeLevel level_;
    std::string dividend_;
    std::size_t index_ = 0;
    bool ended_ = false;
    bool afterProduct_ = false;  // the previous row was a product
    bool afterLine_ = false;     // the previous row was a difference (the next partial dividend)
    PupilNumbers numbers_;
};

// Every mistake in the rows a pupil wrote (written[i] for rows[i], in writing order), the first
// first; the judging ends after a mistake in a quotient digit.
std::vector<Diagnosis> diagnose(const LongDivision& working, const std::vector<WrittenRow>& written,
                                PracticeLevel level);
// The same over rows of the pupil's choice (writingRows: written[i] for rows[i], an optional row
// left out as an empty WrittenRow).
std::vector<Diagnosis> diagnose(const LongDivision& working, const std::vector<PracticeRow>& rows,
                                const std::vector<WrittenRow>& written, PracticeLevel level);

// Digits as they are read out one by one: "6", "6 と 5".
std::string spokenDigits(const std::string& digits);

// The digits of n >= 0, units first (0 has one digit).
std::vector<int> digitsOf(long long n);

// A decimal text's value with its leading zeros dropped ("016" is 16); nothing for no digits.
std::optional<long long> numberOf(const std::string& digits);

}  // namespace pelkano
