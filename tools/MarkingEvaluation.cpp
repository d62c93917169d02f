#include "MarkingEvaluation.h"

#include "PupilWorking.h"

#include "Mark.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <set>
#include <thread>

namespace pelkano {

std::vector<marking::PageResult> markPdf(const QString& path, int threads, QString& error)
{
    std::vector<cli::ScanImage> scans = cli::decodeScan(path, error);
    if (!error.isEmpty())
        return {};
    std::vector<marking::PageResult> results(scans.size());
    std::atomic<std::size_t> next = 0;
    std::vector<std::thread> markers;
    for (int t = 0; t < std::max(1, threads); ++t) {
        markers.emplace_back([&] {
            marking::Marker marker;
            for (std::size_t i = next++; i < scans.size(); i = next++) {
                results[i] = marker.markPage(cli::greyImageOf(scans[i].image));
                scans[i].image = QImage();
            }
        });
    }
    for (std::thread& t : markers)
        t.join();
    return results;
}

namespace {

bool agrees(Outcome made, marking::Verdict verdict)
{
    switch (made) {
    case Outcome::Right:
        return verdict == marking::Verdict::Right;
    case Outcome::Wrong:
        return verdict == marking::Verdict::Wrong;
    case Outcome::Unanswered:
        break;
    }
    return verdict == marking::Verdict::Unanswered;
}

// Rows as "2 86 0 165", a row left empty as "_".
std::string rowsText(const std::vector<WrittenRow>& rows)
{
    std::string text;
    for (const WrittenRow& r : rows)
        text += (text.empty() ? "" : " ") + (r.digits.empty() ? std::string("_") : r.digits);
    return text;
}

std::string describe(const ProblemTruth& t, const std::string& judged, const std::vector<WrittenRow>& read = {})
{
    return "page " + std::to_string(t.page) + " problem " + std::to_string(t.slot + 1) + " (" + t.dividend + " ÷ " +
           t.divisor + ", type " + std::to_string(t.type) + "): made " + outcomeName(t.outcome) +
           (t.mistake ? std::string(" ") + mistakeName(*t.mistake) : std::string()) + ", judged " + judged +
           "; rows written " + rowsText(t.written) + ", read " + rowsText(read);
}

}  // namespace

MarkingFigures& MarkingFigures::operator+=(const MarkingFigures& o)
{
    problems += o.problems;
    unreadPages += o.unreadPages;
    checks += o.checks;
    judged += o.judged;
    judgedRight += o.judgedRight;
    wrongJudgedWrong += o.wrongJudgedWrong;
    kindNamed += o.kindNamed;
    for (std::size_t k = 0; k < kindMade.size(); ++k) {
        kindMade[k] += o.kindMade[k];
        kindFound[k] += o.kindFound[k];
    }
    misjudged.insert(misjudged.end(), o.misjudged.begin(), o.misjudged.end());
    return *this;
}

MarkingFigures compareMarks(const std::vector<ProblemTruth>& truth, const std::vector<marking::PageResult>& pages)
{
    MarkingFigures f;
    std::set<int> unread;
    for (const ProblemTruth& t : truth) {
        ++f.problems;
        const std::size_t p = static_cast<std::size_t>(t.page - 1);
        if (p >= pages.size() || pages[p].status != marking::PageStatus::Marked) {
            if (unread.insert(t.page).second)
                f.misjudged.push_back("page " + std::to_string(t.page) + " not read: " +
                                      (p < pages.size() ? marking::statusEnglish(pages[p].status) : "missing"));
            ++f.checks;
            continue;
        }
        const auto& problems = pages[p].problems;
        const auto found = std::find_if(problems.begin(), problems.end(),
                                        [&](const marking::ProblemMark& m) { return m.slot == t.slot; });
        if (found == problems.end()) {
            ++f.checks;
            f.misjudged.push_back(describe(t, "not at all"));
            continue;
        }
        if (found->verdict == marking::Verdict::Check) {
            ++f.checks;
            char sure[32];
            std::snprintf(sure, sizeof sure, "要確認 (%.3f)", found->confidence);
            f.misjudged.push_back(describe(t, sure, found->written));
            continue;
        }
        ++f.judged;
        std::string judged = marking::verdictName(found->verdict);
        if (found->mistake)
            judged += std::string(" ") + mistakeName(found->mistake->kind);
        if (!agrees(t.outcome, found->verdict)) {
            f.misjudged.push_back(describe(t, judged, found->written));
            continue;
        }
        ++f.judgedRight;
        if (t.outcome != Outcome::Wrong || !t.mistake)
            continue;
        ++f.wrongJudgedWrong;
        const auto k = static_cast<std::size_t>(
            std::find(kMadeMistakes.begin(), kMadeMistakes.end(), *t.mistake) - kMadeMistakes.begin());
        if (k >= kMadeMistakes.size())
            continue;
        ++f.kindMade[k];
        if (found->mistake && found->mistake->kind == *t.mistake) {
            ++f.kindNamed;
            ++f.kindFound[k];
        } else {
            f.misjudged.push_back(describe(t, judged, found->written));
        }
    }
    f.unreadPages = static_cast<int>(unread.size());
    return f;
}

}  // namespace pelkano
