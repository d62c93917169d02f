#pragma once
// The marking's evaluation: a class's made-up scans read back from their PDF, marked, and every
// judgement compared with what the pupils were made to write. Shared by bench_marking and the
// marking's test.
#include "GreyImage.h"
#include "Marking.h"
#include "ScanMaker.h"

#include <QImage>
#include <QString>

#include <array>
#include <string>
#include <vector>

namespace pelkano {


// Every page of a PDF read as pelkano-sheets --mark reads it, marked by `threads` markers at
// once; in page order. Empty error on success.
std::vector<marking::PageResult> markPdf(const QString& path, int threads, QString& error);

// What the marking got right, counted over problems.
struct MarkingFigures {
    int problems = 0;
    int unreadPages = 0;     // pages the marking could not mark (their problems count as 要確認)
    int checks = 0;          // 要確認, those of unread pages included
    int judged = 0;          // the rest
    int judgedRight = 0;     // judged as they were made: right, wrong or unanswered
    int wrongJudgedWrong = 0;
    int kindNamed = 0;       // of those, the first mistake's kind named as it was made
    std::array<int, 8> kindMade{};   // wrong problems of each kind (kMadeMistakes order) judged wrong
    std::array<int, 8> kindFound{};  // of those, the kind named right
    // One line for each problem judged otherwise than made, and for each page not read.
    std::vector<std::string> misjudged;

    // Adds another class's counts.
    MarkingFigures& operator+=(const MarkingFigures& other);

    double judgedRightShare() const { return judged > 0 ? static_cast<double>(judgedRight) / judged : 0; }
    double confidentWrongPerThousand() const
    {
        return problems > 0 ? 1000.0 * (judged - judgedRight) / problems : 0;
    }
    double checkShare() const { return problems > 0 ? static_cast<double>(checks) / problems : 0; }
    double kindShare() const { return wrongJudgedWrong > 0 ? static_cast<double>(kindNamed) / wrongJudgedWrong : 0; }
};

// pages[i] is the marking of the scan's page i + 1.
MarkingFigures compareMarks(const std::vector<ProblemTruth>& truth, const std::vector<marking::PageResult>& pages);

}  // namespace pelkano
