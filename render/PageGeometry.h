#pragma once
// Where a worksheet page puts what it draws, decided once: MakePrint draws from it, and a reader
// of a scanned page finds each square, mark and code where it was drawn.
//
// Units: device pixels of the surface MakePrint draws on (width by height; x to the right, y
// down, (0, 0) its top-left corner, which on paper is the printable area's). A PixelRect covers
// x..x+width-1 by y..y+height-1, as DrawingSurface::rectangle covers x1..x2-1 by y1..y2-1. An
// empty rectangle (width 0) is not drawn.
#include "Hissan.h"
#include "Paper.h"
#include "QrCode.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <array>
#include <string>
#include <vector>

namespace pelkano {

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// One figure's squares. Rows count down from the figure's top row (the first tentative row, else
// the quotient's); columns count right from its left edge: the divisor's digits, the bracket, the
// dividend's digits. The square at (row, column) has its top-left corner at square(row, column)
// and is cell by cell pixels; the frame's lines run along the squares' edges. The quotient's
// digits stand in the dividend's columns of quotientRow, each over the dividend digit whose
// bringing down produced it; the question (divisor, bracket, dividend) in dividendRow; working
// row r of the written working (LongDivision's WorkingLine::row, 2 and on) in row quotientRow + r,
// each number ending in the dividend column of its last digit.
struct FigureGeometry {
    int slot = 0;  // index into the sheet's dividends and divisors
    int x = 0;     // the left edge of column 0
    int y = 0;     // the top edge of row 0
    int cell = 0;  // side of a square
    int rows = 0;     // rows of the frame, the tentative rows included
    int columns = 0;  // divisorDigits + 1 + dividendDigits
    int tentativeRows = 0;  // rows above the quotient's for the tentative quotients (answer pages)
    int quotientRow = 0;    // = tentativeRows
    int dividendRow = 0;    // = quotientRow + 1
    int divisorColumn = 0;  // the divisor's first digit; always 0
    int divisorDigits = 0;
    int bracketColumn = 0;  // = divisorDigits
    int dividendColumn = 0; // the dividend's first digit: bracketColumn + 1
    int dividendDigits = 0;

    PixelPoint square(int row, int column) const { return {x + column * cell, y + row * cell}; }
    PixelRect squareRect(int row, int column) const { return {x + column * cell, y + row * cell, cell, cell}; }
    PixelRect frame() const { return {x, y, columns * cell, rows * cell}; }
};

// The four registration marks: their order in PageGeometry::marks.
enum class MarkCorner { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

struct PageGeometry {
    Scale scale;        // DrawScale of the page
    FigureCells cells;  // what every figure is drawn on
    bool frame = false; // the frames are drawn (else the squares are where the texts stand)
    std::vector<FigureGeometry> figures;  // in reading order, slot 0 first
    // Marks and code for reading the page back: marked on a sheet drawn in the written style with
    // its frame, that has a code, while settings.registrationMarks is on and the surface has room
    // for the marks; a sheet that cannot be marked gets the QR code alone, in the header.
    bool marked = false;
    std::array<PixelRect, 4> marks{};  // solid squares, by MarkCorner; empty unless marked
    PixelRect qr;         // the QR code's modules, without their quiet zone; empty unless drawn
    int qrModule = 0;     // side of one module
    std::string qrText;   // what the QR code holds: the sheet's code as printed (set with the code)
    QrModules qrModules;  // its modules, drawn from qr's top-left corner; none when qr is empty
    PixelRect codeText;   // the printed code line ("コード ..."); empty on a sheet without a code
    PixelRect nameField;  // the header's bracketed name field, "（" to "）"
    PixelRect answerMark; // where an answer page says "こたえ" (also on a problem page, blank there)
};

// The layout of the page that MakePrint(surface, width, height, sheet, settings) draws.
PageGeometry pageGeometry(int width, int height, const ProblemSheet& sheet, const RenderSettings& settings);

}  // namespace pelkano
