#pragma once
// The practice window: problems worked on screen one at a time, in the squares of the written
// division, each row judged as it is completed; then a summary for the teacher. It only draws
// the practice model and passes on the pupil's keys and taps. Keys: 0-9, Backspace, Left and
// Right within the open row, Enter to check the row (and to go on once a problem is done), H for
// a hint; the pad beside the figure does the same by touch or mouse, and a tap on a cell of the
// open row moves the cursor there. The level ("てびき", "ひとりで") is kept in the settings.
#include "PageOutput.h"
#include "PracticeModel.h"

#include <QIcon>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTableWidget;

namespace pelkano {

// The 16 by 16 glyph of the button that opens the practice window.
QIcon practiceGlyph();

// The settings key of the practice level ("guided" or "alone").
inline constexpr const char* kPracticeLevelKey = "practice/level";

// Where the figure's cells lie on the practice board, in the widget's pixels (logical: the
// painter scales them by the screen's device pixel ratio). Cell j of row r spans
// left + j * cell .. left + (j + 1) * cell, top + r * cell .. top + (r + 1) * cell.
struct BoardCells {
    static constexpr int kCell = 40;
    int cell = kCell;
    int left = kCell / 2;
    int top = kCell / 2;

    QRect cellRect(int row, int column) const;
    QRect cellRect(const PracticeProblem::Place& place) const { return cellRect(place.row, place.column); }
    // The cell under a point of the widget, if any.
    std::optional<PracticeProblem::Place> placeAt(const QPoint& point) const;
};

// Draws one problem being worked: the question as the sheets draw it, the pupil's digits in
// their cells (black when checked right, blue while unchecked, red when found wrong), the open
// row and its cursor highlighted, and the cells a hint points at.
class PracticeBoard final : public QWidget {
    Q_OBJECT
public:
    explicit PracticeBoard(QWidget* parent);
    void setProblem(const PracticeProblem* problem);
    // The size that holds the largest of these figures.
    void fitTo(const std::vector<PracticeItem>& problems);
    QSize sizeHint() const override { return fit_; }
    QSize minimumSizeHint() const override { return fit_; }
    BoardCells cells() const { return {}; }

signals:
    // A press on the cell of text row `row` and column `column` of the figure.
    void tapped(int row, int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const PracticeProblem* problem_ = nullptr;
    QSize fit_{400, 480};
};

// What the practice window asks of the main window.
struct PracticeHooks {
    // New problems of the same kinds for "もう一度"; empty when none could be made (the maker
    // tells why).
    std::function<std::vector<PracticeItem>()> makeMore;
    // "にがてプリント": tick these types in the main window and preview a new sheet of them.
    std::function<void(const std::vector<int>& types)> weakSheet;
    // Shows one page drawn by `page` in a print preview over `parent`, printed as the worksheets are.
    std::function<void(QWidget* parent, const PagePainter& page)> printPage;
};

class PracticeWindow final : public QWidget {
    Q_OBJECT
public:
    // problems must hold at least one that can be worked.
    PracticeWindow(std::vector<PracticeItem> problems, PracticeHooks hooks, QWidget* parent = nullptr);
    ~PracticeWindow() override;

    const PracticeSession& session() const { return *session_; }
    bool showingSummary() const;
    PracticeBoard* board() const { return board_; }

    // What the pupil's keys, taps and the pad do.
    void pressDigit(int digit);
    void pressBackspace();
    void pressLeft();
    void pressRight();
    void pressEnter();
    void pressHint();
    void tap(const PracticeProblem::Place& place);
    void setLevel(PracticeLevel level);

    // Writes the run's results as CSV to the file; empty when written, else what went wrong.
    QString saveCsv(const QString& path) const;
    // Draws the results page as it is printed.
    void drawResults(DrawingSurface& surface, int width, int height) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startRound(std::vector<PracticeItem> problems);
    void showProblem();
    void showSummary();
    void again();
    void retryMissed();
    void refresh();
    void saveCsvClick();

    std::unique_ptr<PracticeSession> session_;
    PracticeHooks hooks_;
    QSize workingSize_;  // the window's size before the summary widened it

    QStackedWidget* pages_ = nullptr;
    QLabel* heading_ = nullptr;
    QLineEdit* name_ = nullptr;
    QRadioButton* levelGuided_ = nullptr;
    QRadioButton* levelAlone_ = nullptr;
    PracticeBoard* board_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* btnHint_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableWidget* results_ = nullptr;
    QLabel* stumbles_ = nullptr;
    QPushButton* btnAgain_ = nullptr;
    QPushButton* btnRetryMissed_ = nullptr;
    QPushButton* btnWeakSheet_ = nullptr;
    QPushButton* btnSaveCsv_ = nullptr;
    QPushButton* btnPrintResults_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};

}  // namespace pelkano
