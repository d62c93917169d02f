// What a page's marking says: its verdicts' and reasons' texts and its counts.
#include "Marking.h"

namespace pelkano::marking {

const char* verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Right:
        return "正解";
    case Verdict::Wrong:
        return "まちがい";
    case Verdict::Check:
        return "要確認";
    case Verdict::Unanswered:
        return "無答";
    }
    return "";
}

const char* statusText(PageStatus status)
{
    switch (status) {
    case PageStatus::Marked:
        return "";
    case PageStatus::AnswerSheet:
        return "こたえの用紙";
    case PageStatus::NoCode:
        return "コードが読めません";
    case PageStatus::NoMarks:
        return "しるしが見つかりません";
    case PageStatus::NotPelkano:
        return "Pelkano の用紙ではありません";
    case PageStatus::NotMarkable:
        return "枠のない用紙と式の用紙は採点できません";
    }
    return "";
}

const char* statusEnglish(PageStatus status)
{
    switch (status) {
    case PageStatus::Marked:
        return "";
    case PageStatus::AnswerSheet:
        return "an answer sheet, not marked";
    case PageStatus::NoCode:
        return "the sheet's QR code cannot be read";
    case PageStatus::NoMarks:
        return "the four registration marks were not found";
    case PageStatus::NotPelkano:
        return "not a Pelkano worksheet";
    case PageStatus::NotMarkable:
        return "a sheet without the frame or in the expression style cannot be marked";
    }
    return "";
}

int PageResult::right() const
{
    int n = 0;
    for (const ProblemMark& p : problems)
        n += p.verdict == Verdict::Right ? 1 : 0;
    return n;
}

int PageResult::checks() const
{
    int n = 0;
    for (const ProblemMark& p : problems)
        n += p.verdict == Verdict::Check ? 1 : 0;
    return n;
}

std::array<int, kMistakeKinds> PageResult::mistakes() const
{
    std::array<int, kMistakeKinds> counts{};
    for (const ProblemMark& p : problems)
        if (p.verdict == Verdict::Wrong && p.mistake)
            ++counts[static_cast<std::size_t>(p.mistake->kind)];
    return counts;
}

}  // namespace pelkano::marking
