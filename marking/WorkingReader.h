#pragma once
// A figure's squares as read, turned into the rows a pupil wrote and judged by the practice's
// diagnosis. Where a square is read unsurely, the reading that the pupil's own other rows make
// likely is chosen, as a teacher reads a careless digit, but only among the readings the square
// itself supports.
#include "Diagnosis.h"
#include "Marking.h"
#include "Recognizer.h"

#include <optional>
#include <vector>

namespace pelkano::marking {

// What was read in a figure's squares over the dividend's digits: text row 0 the quotient, row 1
// the dividend line (not read), rows 2 and down the working. Column 0 is the dividend's first digit.
struct FigureReading {
    int rows = 0;
    int columns = 0;
    std::vector<CellScores> cells;  // row by row

    FigureReading(int rows_, int columns_);
    CellScores& at(int row, int column);
    const CellScores& at(int row, int column) const;
};

// A class read with at least this probability is taken without looking at the other rows.
inline constexpr float kSureReading = 0.9f;
// A class below this probability is never chosen.
inline constexpr float kSupportedReading = 0.08f;
// A wrong row is judged wrong only where its squares make what was read at least e^this times
// likelier than the number the working asks for (else 要確認).
inline constexpr double kLeastAdvantage = 10;

struct WorkingJudgement {
    Verdict verdict = Verdict::Unanswered;
    std::optional<Diagnosis> mistake;
    std::vector<WrittenRow> written;
    double confidence = 1;
    int mistakeTextRow = -1;  // the figure's text row of the first mistake
};

WorkingJudgement judgeWorking(const LongDivision& working, const FigureReading& reading);

}  // namespace pelkano::marking
