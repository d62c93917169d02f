#pragma once
// How a practice board looks, wherever it is drawn: the settings of its figure and the colours
// of what the pupil types, of mistakes, of the open row, of the cursor and of the cells a hint
// points at.
#include "DrawingSurface.h"
#include "PracticeModel.h"
#include "RenderSettings.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace pelkano {

struct BoardColour {
    int red, green, blue;

    // "#rrggbb"
    std::string hex() const
    {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", red & 0xff, green & 0xff, blue & 0xff);
        return text;
    }
};

inline constexpr BoardColour kTypedColour{0, 70, 200};
inline constexpr BoardColour kWrongColour{220, 0, 0};
inline constexpr BoardColour kOpenRowColour{255, 248, 200};
inline constexpr BoardColour kCursorColour{255, 215, 110};
inline constexpr BoardColour kPointedColour{190, 235, 190};

// The figure is drawn as a 2段2列 question in written style, framed, with the thinnest line.
inline RenderSettings boardSettings()
{
    RenderSettings s;
    s.pattern = LayoutPattern::R2C2;
    s.frame = true;
    s.lineWidth = 1;
    s.style = QuestionStyle::Written;
    return s;
}

// Where the board's squares lie, in its own pixels: cell j of text row r spans left + j * cell
// .. left + (j + 1) * cell across and top + r * cell .. top + (r + 1) * cell down.
struct BoardSquares {
    int cell = 40;
    int left = 20;
    int top = 20;
};

// The squares filled under the figure, in the order they are filled: the open row's, those a
// hint points at, the cursor's.
std::vector<std::pair<PracticeProblem::Place, BoardColour>> boardFills(const PracticeProblem& problem);

// Draws the question as the sheets draw it, and the line under each product that is done, in
// black on a surface of the board's pixels.
void drawBoardFigure(DrawingSurface& surface, const PracticeProblem& problem, const BoardSquares& squares);

// A digit the pupil has written, where its text cell starts and in which ink.
struct BoardDigit {
    int x = 0;
    int y = 0;
    char digit = ' ';
    PracticeProblem::Ink ink = PracticeProblem::Ink::Typed;
};
std::vector<BoardDigit> boardDigits(const PracticeProblem& problem, const BoardSquares& squares);

// Sets a surface to write the board's digits in the sheets' face at the squares' size.
void prepareBoardDigits(DrawingSurface& surface, const BoardSquares& squares);

}  // namespace pelkano
