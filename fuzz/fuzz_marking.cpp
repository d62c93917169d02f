// Reading a scan with arbitrary input: a small grey image of any pixels through the whole page
// reader (QR code, sheet code, marks, squares), a QR text through the reading of its code, and a
// figure's squares read with any scores judged against any division. Nothing may crash, hang or
// judge a problem without a verdict the page can show.
#include "FuzzInput.h"
#include "Marking.h"
#include "QrReader.h"
#include "WorkingReader.h"

#include <cstdlib>

using namespace pelkano;
using namespace pelkano::marking;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    // The code a QR text names, read as the page reader reads it.
    const std::string qrText = input.text();
    (void)decodeSheetCode(codeInQrText(qrText));

    // A division and its squares read with any scores.
    const int dividend = input.word() * 16 + input.byte();
    const int divisor = std::max(1, static_cast<int>(input.word()));
    const LongDivision working = LongDivision::of(dividend, divisor);
    FigureReading reading(input.inRange(0, 12), input.inRange(0, 9));
    for (CellScores& cell : reading.cells) {
        float sum = 0;
        for (float& p : cell)
            sum += p = static_cast<float>(input.byte());
        for (float& p : cell)
            p = sum > 0 ? p / sum : 1.0f / kClasses;
    }
    const WorkingJudgement judged = judgeWorking(working, reading);
    if (judged.verdict == Verdict::Wrong && !judged.mistake)
        std::abort();  // a wrong problem always says what went wrong first
    if (!(judged.confidence >= 0 && judged.confidence <= 1))
        std::abort();

    // A small page of any pixels (what is left of the input, white after it).
    GreyImage page;
    page.width = input.inRange(1, 160);
    page.height = input.inRange(1, 160);
    page.pixels.assign(static_cast<std::size_t>(page.width * page.height), 255);
    for (std::uint8_t& p : page.pixels) {
        if (input.empty())
            break;
        p = input.byte();
    }
    const PageResult result = markPage(page);
    if (result.status != PageStatus::Marked && !result.problems.empty())
        std::abort();  // a page not marked has no verdicts
    return 0;
}
