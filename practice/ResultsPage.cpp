#include "ResultsPage.h"

#include "PracticeReport.h"

#include <algorithm>
#include <array>

namespace pelkano {

namespace {

constexpr int kLeft = 14;
constexpr int kRight = 306;
constexpr int kTableTop = 62;
constexpr int kTableBottom = 428;
constexpr double kRowUnits = 10.0;  // a line of the table, when the page has room for it

// Column edges of the table in layout units: 回, 問題, 答え, 1回で正解, まちがい, ヒント, 時間.
constexpr std::array<int, 8> kColumns{kLeft, 26, 74, 126, 154, 226, 280, kRight};

// Draws the text with its cell's top-left at (x, y), at the given height or, when it would be
// wider than maxWidth, at the height at which it fits.
void fitText(DrawingSurface& surface, int x, int y, int maxWidth, int height, const std::string& text)
{
    if (text.empty())
        return;
    surface.setFontHeight(std::max(1, height));
    const int width = surface.textWidth(text);
    if (width > maxWidth && width > 0)
        surface.setFontHeight(std::max(1, height * maxWidth / width));
    surface.textOut(x, y, text);
}

void rule(DrawingSurface& surface, const Scale& scale, double y)
{
    surface.moveTo(scale.S(kLeft), scale.S(y));
    surface.lineTo(scale.S(kRight), scale.S(y));
}

}  // namespace

void drawResultsPage(DrawingSurface& surface, int width, int height, const PracticeSession& session,
                     int utcOffsetMinutes)
{
    const Scale scale = Scale::fromSurface(width, height);
    surface.setBrushStyle(BrushStyle::Solid);
    surface.setBrushColor(Color::White);
    surface.setPenColor(Color::White);
    surface.rectangle(0, 0, scale.S(319), scale.S(440));
    surface.setPenColor(Color::Black);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(std::max(1, scale.S(0.4)));
    surface.setBrushStyle(BrushStyle::Clear);
    surface.setFontUnderline(false);

    const std::vector<ProblemResult>& results = session.results();
    surface.setFontName(kGothicFace);
    fitText(surface, scale.S(kLeft), scale.S(10), scale.S(80), scale.S(10), "練習の結果");
    surface.setFontName(kMinchoFace);
    fitText(surface, scale.S(118), scale.S(13), scale.S(30), scale.S(7), "なまえ");
    fitText(surface, scale.S(146), scale.S(13), scale.S(kRight - 148), scale.S(7), session.name());
    rule(surface, scale, 21.5);

    const int text = scale.S(5.5);
    const int lineWidth = scale.S(kRight - kLeft);
    int right = 0;
    long long hints = 0;
    for (const ProblemResult& r : results) {
        right += r.rightFirstTime() ? 1 : 0;
        hints += r.hintCount();
    }
    const long long seconds = workingSeconds(results);
    std::string when = "日時：";
    if (!results.empty())
        when += formatDateTime(results.front().startedMs, utcOffsetMinutes).substr(0, 16) + " 〜 " +
                formatDateTime(results.back().finishedMs, utcOffsetMinutes).substr(11, 5);
    fitText(surface, scale.S(kLeft), scale.S(27), lineWidth, text, when);
    fitText(surface, scale.S(kLeft), scale.S(36), lineWidth, text,
            "問題 " + std::to_string(results.size()) + " 問　1回で正解 " + std::to_string(right) + " 問　ヒント " +
                std::to_string(hints) + " 回　時間 " + formatDuration(seconds));
    surface.setFontName(kGothicFace);
    fitText(surface, scale.S(kLeft), scale.S(46), lineWidth, scale.S(6.5),
            stumblesLine(session.stumbles()));

    // The table: a heading and one line a problem, as small as it must be to hold them all.
    const double rowUnits =
        std::min(kRowUnits, static_cast<double>(kTableBottom - kTableTop) / static_cast<double>(results.size() + 1));
    const auto rowTop = [&](std::size_t i) { return kTableTop + rowUnits * static_cast<double>(i); };
    const int cellText = std::max(1, scale.S(rowUnits * 0.55));
    const auto drawRow = [&](std::size_t i, const std::vector<std::string>& cells) {
        const int y = scale.S(rowTop(i) + rowUnits * 0.22);
        for (std::size_t c = 0; c < cells.size() && c + 1 < kColumns.size(); ++c)
            fitText(surface, scale.S(kColumns[c] + 1), y, scale.S(kColumns[c + 1] - kColumns[c] - 2), cellText, cells[c]);
        rule(surface, scale, rowTop(i + 1));
    };
    drawRow(0, resultHeadings());
    surface.setFontName(kMinchoFace);
    for (std::size_t i = 0; i < results.size(); ++i)
        drawRow(i + 1, resultCells(results[i]));
    if (results.empty())
        fitText(surface, scale.S(kLeft + 1), scale.S(rowTop(1) + 2), lineWidth, text, "まだ終えた問題はありません。");
    rule(surface, scale, kTableTop);
}

}  // namespace pelkano
