#pragma once
// The pages of a set of sheets, in the order they are printed. Plain C++, no Qt.
#include "Sheet.h"

#include <vector>

namespace pelkano {

// One page: the sheet as it is to be drawn (its showAnswers decides whether figures carry answers).
using PageList = std::vector<ProblemSheet>;

// Where the answer sheets go in a set: none, each right after its sheet, or all after the last
// sheet in the same order.
enum class AnswerSheets { None, AfterEach, AtEnd };

// The pages of a set of sheets: each sheet without answers, and its answer sheet where asked.
// With answerList, each answer sheet is followed by the page listing its answers (each sheet,
// when no answer sheets are asked for).
PageList pagesOf(const std::vector<ProblemSheet>& sheets, AnswerSheets answers, bool answerList = false);

}  // namespace pelkano
