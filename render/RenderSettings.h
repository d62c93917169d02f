#pragma once
// The window's settings that drawing reads at the moment it draws.
#include "Sheet.h"

#include <string>

namespace pelkano {

enum class QuestionStyle { Written = 0, Expression = 1 };  // "筆算", "式"

inline constexpr const char* kDefaultSentence = "つぎの計算をしましょう";

struct RenderSettings {
    LayoutPattern pattern = LayoutPattern::R2C3;
    int leftMargin = 15;  // layout units, 1..70
    int topOffset = 50;   // layout units, where the first row of problems starts
    bool frame = true;    // "枠の有無": あり
    int lineWidth = 1;    // frame line width in device pixels, 1..4
    QuestionStyle style = QuestionStyle::Written;
    std::string sentence = kDefaultSentence;
    // "仮商を答えに書く": answer pages show, above each quotient digit, the digits tried before it.
    bool tentative = false;
    // "採点用のしるし": sheets in the written style with their frame carry registration marks and a
    // QR code of their code, so that a scan of the worked sheet can be read back.
    bool registrationMarks = true;
    // Problem numbers, the header's fields, the check under each worked figure and the answer list
    // (none by default: the plain sheet; the front ends number problems ①②… unless told not to).
    SheetMarks marks{};
};

}  // namespace pelkano
