#pragma once
// The practice on the web page: a run of problems worked with the browser's keys and taps on the
// figure, the figure drawn as SVG in squares as large as the room the page gives it, and what the
// page shows of the run as JSON. The model, the messages, the summary and the saved table are the
// window's own (practice/); this only passes the page's input on and draws. Plain C++, no Qt:
// built natively too, where a replay of a page's keys gives what the page gives.
#include "Paper.h"
#include "PracticeModel.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano::web {

// The figure's squares on the page, in CSS pixels: cell j of text row r spans left + j * cell ..
// left + (j + 1) * cell across and top + r * cell .. top + (r + 1) * cell down, as the window's
// board lays them out.
struct BoardCells {
    int cell = 40;
    int left = 20;
    int top = 20;
    // The cell under a point of the board, if any.
    std::optional<PracticeProblem::Place> placeAt(double x, double y) const;
};

// Squares no smaller than a finger can hit and no larger than a figure needs.
inline constexpr int kMinCell = 24;
inline constexpr int kMaxCell = 96;
// The largest squares (kMinCell to kMaxCell) with which a round's figures (their extent) and half
// a square around them fit in width by height CSS pixels.
BoardCells boardCells(const BoardExtent& fit, double width, double height);
// The whole board's size in CSS pixels.
int boardWidth(const BoardExtent& fit, const BoardCells& cells);
int boardHeight(const BoardExtent& fit, const BoardCells& cells);

// The problem as it is being worked, as an SVG document of the board's size, drawn as the window
// draws it: the question as on the sheets, the open row's cells, the cursor and the cells a hint
// points at filled, the pupil's digits in the sheets' face (black when checked right, blue while
// unchecked, red when found wrong), and the line under each product that is done.
std::string boardSvg(const PracticeProblem& problem, const BoardExtent& fit, const BoardCells& cells);

// "8765/43/27,612/6": dividend, divisor and (optional) type of each problem; nothing for a text
// that is not such a list.
std::optional<std::vector<PracticeItem>> itemsOfText(std::string_view text);

// The level a page kept ("guided", "alone"); てびき for anything else.
PracticeLevel levelOfKey(std::string_view key);

class PracticeDriver {
public:
    // A new run of these problems at a level; false (nothing changes) when none can be worked.
    bool start(std::vector<PracticeItem> items, PracticeLevel level, double nowMs);
    // A new round of the run (results and name stay); false when none of them can be worked.
    bool startRound(std::vector<PracticeItem> items, double nowMs);
    // まちがえた問題をもう一度.
    bool retryMissed(double nowMs);
    bool running() const { return session_ && !session_->empty(); }
    const PracticeSession* session() const { return session_.get(); }

    // A key by its name in the browser (KeyboardEvent.key), as the window's keys: "0" to "9",
    // "Backspace" or "Delete", "ArrowLeft", "ArrowRight", "Enter", "h" or "H" for a hint. False
    // for any other key and while the summary is shown (the key is left to the page). fromPad:
    // pressed on the page's pad; the status line then names the pad's buttons, else the keys.
    bool key(std::string_view name, double nowMs, bool fromPad = false);
    // A press at (x, y) on the board last drawn, shown as shownWidth by shownHeight CSS pixels
    // (a touch or a mouse: the status line names the pad's buttons).
    void tap(double x, double y, double shownWidth, double shownHeight);
    void setName(std::string name);
    void setLevel(PracticeLevel level);

    // What the page shows, as JSON: the heading, the status line, the level, whether the problem
    // is done; with the summary, the round's totals, the table of every problem of the run and
    // the stumbling points.
    std::string stateJson() const;
    // The open problem's board in the room of width by height CSS pixels; remembered for tap().
    std::string board(double width, double height);
    // The table as the window saves it, and the name it is offered under; minutesBehindUtc as the
    // browser gives it (Date.getTimezoneOffset: -540 in Japan).
    std::string csv(int minutesBehindUtc) const;
    std::string csvFileName(double nowMs, int minutesBehindUtc) const;
    // The results on one page of that paper, as the window prints them, as an SVG document at dpi
    // with paperMargin millimetres left blank on every side, as the sheets are.
    std::string resultsPage(const Paper& paper, int dpi, int paperMargin, int minutesBehindUtc) const;

private:
    std::unique_ptr<PracticeSession> session_;
    BoardExtent fit_;
    BoardCells drawn_;
};

}  // namespace pelkano::web
