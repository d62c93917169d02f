#include "PracticeDriver.h"

#include "BoardLook.h"
#include "JsonText.h"
#include "PracticeReport.h"
#include "ResultsPage.h"
#include "SvgSurface.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pelkano::web {

namespace {

std::string str(long long n)
{
    return std::to_string(n);
}

std::string boolean(bool b)
{
    return b ? "true" : "false";
}

std::int64_t milliseconds(double ms)
{
    return std::isfinite(ms) ? static_cast<std::int64_t>(std::llround(ms)) : 0;
}

}  // namespace

std::optional<PracticeProblem::Place> BoardCells::placeAt(double x, double y) const
{
    if (!(x >= left) || !(y >= top) || cell <= 0)
        return std::nullopt;
    const double column = std::floor((x - left) / cell);
    const double row = std::floor((y - top) / cell);
    if (column > 1000 || row > 1000)
        return std::nullopt;
    return PracticeProblem::Place{static_cast<int>(row), static_cast<int>(column)};
}

BoardCells boardCells(const BoardExtent& fit, double width, double height)
{
    // The figure's cells and half a cell on every side.
    const double across = std::isfinite(width) ? width / (fit.columns + 1) : 0;
    const double down = std::isfinite(height) ? height / (fit.rows + 1) : 0;
    const double fits = std::floor(std::min(across, down));
    const int cell = fits >= kMaxCell ? kMaxCell : fits <= kMinCell ? kMinCell : static_cast<int>(fits);
    return {cell, cell / 2, cell / 2};
}

int boardWidth(const BoardExtent& fit, const BoardCells& cells)
{
    return 2 * cells.left + fit.columns * cells.cell;
}

int boardHeight(const BoardExtent& fit, const BoardCells& cells)
{
    return 2 * cells.top + fit.rows * cells.cell;
}

std::string boardSvg(const PracticeProblem& p, const BoardExtent& fit, const BoardCells& f)
{
    const int width = boardWidth(fit, f);
    const int height = boardHeight(fit, f);
    const LongDivision& w = p.working();
    const PracticeItem item{w.dividend, w.divisor, 0};
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + str(width) + "\" height=\"" + str(height) +
                      "\" viewBox=\"0 0 " + str(width) + ' ' + str(height) + "\" data-cell=\"" + str(f.cell) +
                      "\" data-left=\"" + str(f.left) + "\" data-top=\"" + str(f.top) + "\" role=\"img\" aria-label=\"" +
                      problemText(item) + "\">\n";
    const auto fill = [&](const PracticeProblem::Place& place, BoardColour colour) {
        out += "<rect x=\"" + str(f.left + place.column * f.cell) + "\" y=\"" + str(f.top + place.row * f.cell) +
               "\" width=\"" + str(f.cell) + "\" height=\"" + str(f.cell) + "\" fill=\"" + colour.hex() + "\"/>\n";
    };
    out += "<rect width=\"" + str(width) + "\" height=\"" + str(height) + "\" fill=\"#fff\"/>\n";
    for (const auto& [place, colour] : boardFills(p))
        fill(place, colour);

    const BoardSquares squares{f.cell, f.left, f.top};
    SvgSurface figure;
    drawBoardFigure(figure, p, squares);
    out += figure.elements();

    // One surface for each ink, its text coloured by the group it is put in.
    static_assert(static_cast<int>(PracticeProblem::Ink::Done) == 0 && static_cast<int>(PracticeProblem::Ink::Typed) == 1 &&
                  static_cast<int>(PracticeProblem::Ink::Wrong) == 2);
    SvgSurface inks[3];
    for (SvgSurface& s : inks)
        prepareBoardDigits(s, squares);
    for (const BoardDigit& d : boardDigits(p, squares))
        inks[static_cast<int>(d.ink)].textOut(d.x, d.y, std::string(1, d.digit));
    out += "<g class=\"done\">\n" + inks[0].elements() + "</g>\n";
    out += std::string("<g class=\"typed\" fill=\"") + kTypedColour.hex() + "\">\n" + inks[1].elements() + "</g>\n";
    out += std::string("<g class=\"wrong\" fill=\"") + kWrongColour.hex() + "\">\n" + inks[2].elements() + "</g>\n";
    return out + "</svg>\n";
}

std::optional<std::vector<PracticeItem>> itemsOfText(std::string_view text)
{
    std::vector<PracticeItem> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string_view part = text.substr(start, end - start);
        start = end + 1;
        int numbers[3] = {0, 0, 0};
        int count = 0;
        const char* at = part.data();
        const char* const stop = part.data() + part.size();
        while (count < 3) {
            const auto [next, error] = std::from_chars(at, stop, numbers[count]);
            if (error != std::errc() || next == at)
                return std::nullopt;
            ++count;
            at = next;
            if (at == stop)
                break;
            if (*at != '/')
                return std::nullopt;
            ++at;
        }
        if (at != stop || count < 2)
            return std::nullopt;
        items.push_back({numbers[0], numbers[1], count == 3 ? numbers[2] : 0});
    }
    return items;
}

PracticeLevel levelOfKey(std::string_view key)
{
    return levelFromKey(std::string(key)).value_or(PracticeLevel::Guided);
}

bool PracticeDriver::start(std::vector<PracticeItem> items, PracticeLevel level, double nowMs)
{
    items = workableItems(std::move(items));
    if (items.empty())
        return false;
    fit_ = boardExtent(items);
    session_ = std::make_unique<PracticeSession>(std::move(items), level, milliseconds(nowMs));
    session_->setInputDevice(InputDevice::Pad);  // until a keyboard is used
    return true;
}

bool PracticeDriver::startRound(std::vector<PracticeItem> items, double nowMs)
{
    if (!session_)
        return false;
    items = workableItems(std::move(items));
    const BoardExtent fit = boardExtent(items);
    if (!session_->startRound(std::move(items), milliseconds(nowMs)))
        return false;
    fit_ = fit;
    return true;
}

bool PracticeDriver::retryMissed(double nowMs)
{
    return session_ && startRound(session_->missed(), nowMs);
}

bool PracticeDriver::key(std::string_view name, double nowMs, bool fromPad)
{
    if (!running() || session_->roundOver())
        return false;
    session_->setInputDevice(fromPad ? InputDevice::Pad : InputDevice::Keyboard);
    const std::int64_t ms = milliseconds(nowMs);
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9')
        session_->typeDigit(name[0] - '0', ms);
    else if (name == "Backspace" || name == "Delete")
        session_->backspace();
    else if (name == "ArrowLeft")
        session_->moveLeft();
    else if (name == "ArrowRight")
        session_->moveRight();
    else if (name == "Enter")
        session_->enter(ms);
    else if (name == "h" || name == "H")
        session_->hint(ms);
    else
        return false;
    return true;
}

void PracticeDriver::tap(double x, double y, double shownWidth, double shownHeight)
{
    if (!running() || session_->roundOver())
        return;
    session_->setInputDevice(InputDevice::Pad);
    // The board may be shown larger or smaller than it was drawn.
    if (shownWidth > 0 && shownHeight > 0) {
        x *= boardWidth(fit_, drawn_) / shownWidth;
        y *= boardHeight(fit_, drawn_) / shownHeight;
    }
    if (const auto place = drawn_.placeAt(x, y))
        session_->tap(*place);
}

void PracticeDriver::setName(std::string name)
{
    if (session_)
        session_->setName(std::move(name));
}

void PracticeDriver::setLevel(PracticeLevel level)
{
    if (session_ && session_->level() != level)
        session_->setLevel(level);
}

std::string PracticeDriver::stateJson() const
{
    if (!running())
        return "{\"running\":false}";
    const PracticeSession& s = *session_;
    std::string j = "{\"running\":true,\"summary\":" + boolean(s.roundOver()) + ",\"heading\":" +
                    jsonString(problemHeading(s.index(), s.count())) +
                    ",\"message\":" + jsonString(s.message()) + ",\"finished\":" + boolean(s.problem().finished()) +
                    ",\"level\":" + jsonString(levelKey(s.level()));
    j += ",\"name\":" + jsonString(s.name()) + ",\"results\":" + str(static_cast<long long>(s.results().size()));
    if (s.roundOver()) {
        j += ",\"totals\":" + jsonString(roundSummary(s)) + ",\"headings\":" + jsonStrings(resultHeadings()) +
             ",\"rows\":[";
        for (std::size_t i = 0; i < s.results().size(); ++i)
            j.append(i > 0 ? "," : "").append(jsonStrings(resultCells(s.results()[i])));
        j += "],\"stumbles\":" + jsonString(stumblesLine(s.stumbles())) +
             ",\"canRetry\":" + boolean(!s.missed().empty()) + ",\"canWeak\":" + boolean(!s.weakTypes().empty());
    }
    return j + "}";
}

std::string PracticeDriver::board(double width, double height)
{
    if (!running())
        return "";
    drawn_ = boardCells(fit_, width, height);
    return boardSvg(session_->problem(), fit_, drawn_);
}

std::string PracticeDriver::csv(int minutesBehindUtc) const
{
    return session_ ? resultsCsv(*session_, -minutesBehindUtc) : std::string();
}

std::string PracticeDriver::csvFileName(double nowMs, int minutesBehindUtc) const
{
    return resultsCsvFileName(session_ ? session_->name() : std::string(), milliseconds(nowMs), -minutesBehindUtc);
}

std::string PracticeDriver::resultsPage(const Paper& paper, int dpi, int paperMargin, int minutesBehindUtc) const
{
    if (!session_)
        return "";
    return pageSvg([&](DrawingSurface& surface, int width, int height) {
        drawResultsPage(surface, width, height, *session_, -minutesBehindUtc);
    }, paper.widthMm, paper.heightMm, dpi, paperMargin);
}

}  // namespace pelkano::web
