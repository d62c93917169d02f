// Drawing with arbitrary input: one figure by Hissan with any dividend, divisor and bracket
// texts, then a whole page by MakePrint with any problems and sentence, under any settings (the
// tentative quotients too) and surface size, on the recording surface.
#include "FuzzInput.h"
#include "Hissan.h"
#include "PageLayout.h"
#include "RecordingSurface.h"

#include <cstdlib>

using namespace pelkano;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    RenderSettings settings;
    settings.pattern = static_cast<LayoutPattern>(input.inRange(0, kLayoutPatternCount - 1));
    settings.leftMargin = input.inRange(1, 70);
    settings.lineWidth = input.inRange(1, 4);
    settings.frame = input.byte() & 1;
    settings.style = static_cast<QuestionStyle>(input.byte() & 1);
    const bool answers = input.byte() & 1;
    const int width = input.word();
    const int height = input.word();
    const int x = input.word();
    const int y = input.word();
    const std::string dividend = input.text();
    const std::string divisor = input.text();
    const std::string bracket = input.text();

    test::RecordingSurface surface;
    Hissan(surface, Scale::fromSurface(width, height), x, y, dividend, divisor, bracket, settings, answers);

    ProblemSheet sheet;
    sheet.count = input.inRange(0, problemCount(settings.pattern));
    sheet.printNumber = static_cast<int>(input.word()) - 32768;
    sheet.showAnswers = answers;
    settings.sentence = input.text();
    for (int i = 0; i < sheet.count; ++i) {
        sheet.dividends[static_cast<std::size_t>(i)] = input.text();
        sheet.divisors[static_cast<std::size_t>(i)] = input.text();
    }
    settings.tentative = input.byte() & 1;
    // A sheet with a code gets the marks and the QR code while the setting is on.
    settings.registrationMarks = input.byte() & 1;
    if (input.byte() & 1) {
        // Seeds of up to 56 bits: codes of every length a QR code holds.
        const std::uint64_t seed = (static_cast<std::uint64_t>(input.word()) << 40) | static_cast<std::uint64_t>(input.word());
        const int type = input.inRange(1, kTypeCount);
        sheet.origin = SheetOrigin{{seed, {type}, settings.pattern, false}, input.word()};
    }
    surface.clear();
    MakePrint(surface, width, height, sheet, settings);
    for (const test::Call& call : surface.calls()) {
        if (call.op == test::Op::PenWidth && call.value < 1)
            std::abort();  // no pen thinner than a device pixel
        // The frame's dotted lines have the setting's width, never scaled (the solid strokes
        // through tried quotient digits grow with their digits).
        const bool drawn = call.op == test::Op::Rectangle || call.op == test::Op::LineTo;
        if (drawn && call.state.penStyle == PenStyle::Dot && call.state.penWidth != settings.lineWidth)
            std::abort();
        // The marks and the QR code's modules, black and solid, stay on the surface.
        const bool black = call.op == test::Op::Rectangle && call.state.brushStyle == BrushStyle::Solid &&
                           call.state.brushColor == Color::Black;
        if (black && (call.x < 0 || call.y < 0 || call.x2 > width || call.y2 > height))
            std::abort();
    }
    return 0;
}
