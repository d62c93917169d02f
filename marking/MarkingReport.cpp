#include "MarkingReport.h"

#include "PracticeReport.h"

namespace pelkano::marking {

std::string pageLine(const ScanPage& page)
{
    const PageResult& r = page.result;
    std::string line = page.file + " page " + std::to_string(page.page) + ": ";
    if (r.status != PageStatus::Marked && r.status != PageStatus::AnswerSheet) {
        line += std::string("not read: ") + statusText(r.status) + " (" +
                (r.detail.empty() ? statusEnglish(r.status) : r.detail) + ")";
        return line;
    }
    line += "print " + std::to_string(r.sheet.printNumber) + ", code " + r.code + ", ";
    if (r.status == PageStatus::AnswerSheet)
        return line + statusText(r.status) + " (" + statusEnglish(r.status) + ")";
    line += std::to_string(r.right()) + "/" + std::to_string(r.problems.size()) + " right";
    const std::array<int, kMistakeKinds> kinds = r.mistakes();
    std::string mistakes;
    for (std::size_t k = 0; k < kinds.size(); ++k)
        if (kinds[k] > 0)
            mistakes += std::string(mistakes.empty() ? "" : " ") + mistakeName(kAllMistakeKinds[k]) + " " +
                        std::to_string(kinds[k]);
    line += ", mistakes " + (mistakes.empty() ? std::string("none") : mistakes);
    int unanswered = 0;
    for (const ProblemMark& p : r.problems)
        unanswered += p.verdict == Verdict::Unanswered ? 1 : 0;
    if (unanswered > 0)
        line += ", " + std::string(verdictName(Verdict::Unanswered)) + " " + std::to_string(unanswered);
    return line + ", " + verdictName(Verdict::Check) + " " + std::to_string(r.checks());
}

std::string marksCsv(const std::vector<ScanPage>& pages)
{
    std::string csv = kCsvByteOrderMark;
    std::vector<std::string> heading = resultsCsvHeadings();
    const std::size_t own = heading.size();
    for (const char* name : {"ファイル", "ページ", "コード", "プリント番号", "判定"})
        heading.push_back(name);
    csv += csvLine(heading);
    for (const ScanPage& page : pages) {
        const PageResult& r = page.result;
        if (r.status != PageStatus::Marked)
            continue;
        for (const ProblemMark& p : r.problems) {
            // Name, date, round: not on a scan. Hints and seconds: none on paper.
            std::vector<std::string> fields{"", "", "", p.dividend, p.divisor, p.type > 0 ? std::to_string(p.type) : "",
                                            levelName(PracticeLevel::Alone)};
            for (const MistakeKind kind : kAllMistakeKinds)
                fields.push_back(p.verdict == Verdict::Wrong && p.mistake && p.mistake->kind == kind ? "1" : "0");
            while (fields.size() + 1 < own)
                fields.push_back("0");
            fields.push_back("");
            fields.push_back(page.file);
            fields.push_back(std::to_string(page.page));
            fields.push_back(r.code);
            fields.push_back(std::to_string(r.sheet.printNumber));
            fields.push_back(verdictName(p.verdict));
            csv += csvLine(fields);
        }
    }
    return csv;
}

}  // namespace pelkano::marking
