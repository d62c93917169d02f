#include "Pages.h"

namespace pelkano {

PageList pagesOf(const std::vector<ProblemSheet>& sheets, AnswerSheets answers)
{
    PageList pages;
    const auto add = [&pages](const ProblemSheet& sheet, bool showAnswers) {
        pages.push_back(sheet);
        pages.back().showAnswers = showAnswers;
    };
    for (const ProblemSheet& sheet : sheets) {
        add(sheet, false);
        if (answers == AnswerSheets::AfterEach)
            add(sheet, true);
    }
    if (answers == AnswerSheets::AtEnd)
        for (const ProblemSheet& sheet : sheets)
            add(sheet, true);
    return pages;
}

}  // namespace pelkano
