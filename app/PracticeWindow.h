#pragma once
// The practice window: the sheet's problems worked on screen one at a time, in the squares of the
// written division, each row checked as it is completed; then a summary. Keys: 0-9, Backspace,
// Left and Right within the open row, Enter to check the row (and to go on once a problem is
// done), H for a hint; the 10-key pad beside the figure does the same by touch or mouse.
#include "PracticeModel.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace pelkano {

// The 16 by 16 glyph of the button that opens the practice window.
QIcon practiceGlyph();

// Where the figure's cells lie on the practice board, in the widget's pixels (logical: the
// painter scales them by the screen's device pixel ratio). Cell j of row r spans
// left + j * cell .. left + (j + 1) * cell, top + r * cell .. top + (r + 1) * cell.
struct BoardCells {
    static constexpr int kCell = 40;
    int cell = kCell;
    int left = kCell / 2;
    int top = kCell / 2;
    int dividendCell = 0;  // the cell of the dividend's first digit (divisor digits + bracket)

    static BoardCells of(const LongDivision& working);
    QRect cellRect(int row, int column) const;
    // Cell i of a row to fill.
    QRect rowCell(const PracticeRow& row, int i) const;
};

// Draws one problem being worked: the question as the sheets draw it, the pupil's digits in
// their cells (black when checked right, blue while unchecked, red when found wrong) and the
// open row and its cursor highlighted.
class PracticeBoard final : public QWidget {
    Q_OBJECT
public:
    explicit PracticeBoard(QWidget* parent);
    void setProblem(const PracticeProblem* problem);
    // The size that holds the largest of these figures.
    void fitTo(const std::vector<LongDivision>& problems);
    QSize sizeHint() const override { return fit_; }
    QSize minimumSizeHint() const override { return fit_; }
    BoardCells cells() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PracticeProblem* problem_ = nullptr;
    QSize fit_{400, 480};
};

class PracticeWindow final : public QWidget {
    Q_OBJECT
public:
    // New problems for "もう一度"; empty when none could be made (the maker tells why).
    using MakeProblems = std::function<std::vector<LongDivision>()>;

    // problems must not be empty.
    PracticeWindow(std::vector<LongDivision> problems, MakeProblems makeMore, QWidget* parent = nullptr);
    ~PracticeWindow() override;

    const PracticeSession& session() const { return *session_; }
    bool showingSummary() const;
    PracticeBoard* board() const { return board_; }

    // What the pupil's keys and the pad do.
    void pressDigit(int digit);
    void pressBackspace();
    void pressLeft();
    void pressRight();
    void pressEnter();
    void pressHint();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void start(std::vector<LongDivision> problems);
    void showProblem();
    void showSummary();
    void again();
    void afterCheck(PracticeProblem::Check result);
    void refresh(const QString& status);
    QString prompt() const;

    std::unique_ptr<PracticeSession> session_;
    MakeProblems makeMore_;
    QElapsedTimer clock_;

    QStackedWidget* pages_ = nullptr;
    QLabel* heading_ = nullptr;
    PracticeBoard* board_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* btnHint_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* btnAgain_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};

}  // namespace pelkano
