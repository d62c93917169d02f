#include "Pages.h"

namespace pelkano {

PageList pagesOf(const std::vector<ProblemSheet>& sheets, AnswerSheets answers, bool answerList)
{
    PageList pages;
    const auto list = [&pages](const ProblemSheet& sheet) {
        pages.push_back(sheet);
        pages.back().showAnswers = true;
        pages.back().answerList = true;
    };
    const auto add = [&](const ProblemSheet& sheet, bool showAnswers) {
        pages.push_back(sheet);
        pages.back().showAnswers = showAnswers;
        pages.back().answerList = false;
        if (showAnswers && answerList)
            list(sheet);
    };
    for (const ProblemSheet& sheet : sheets) {
        add(sheet, false);
        if (answers == AnswerSheets::AfterEach)
            add(sheet, true);
        else if (answers == AnswerSheets::None && answerList)
            list(sheet);
    }
    if (answers == AnswerSheets::AtEnd)
        for (const ProblemSheet& sheet : sheets)
            add(sheet, true);
    return pages;
}

}  // namespace pelkano
