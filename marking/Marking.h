#pragma once
// A scanned worksheet page in, every problem on it judged. The page's four registration marks
// and its QR code are found, the sheet is made again from its code, every square of every figure
// is mapped onto the scan (a homography from the four marks), the square's dotted lines are taken
// out and what the pupil wrote in it is read; each figure's rows, read as a pupil writes them, are
// judged by the practice's diagnosis. No Qt: the front ends decode PDF and image files.
#include "Diagnosis.h"
#include "GreyImage.h"
#include "Sheet.h"
#include "SheetCode.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelkano::marking {

// A point of the scan or of the page, in pixels (x right, y down).
struct Point {
    double x = 0;
    double y = 0;
};
// Four corners: top-left, top-right, bottom-right, bottom-left as the page has them (on a scan
// upside down they stand where the scan puts them).
using Quad = std::array<Point, 4>;

// What was judged of one problem.
enum class Verdict {
    Right,       // 正解
    Wrong,       // まちがい: the first mistake's kind and message are given
    Check,       // 要確認: read too uncertainly to judge; for the teacher to look at
    Unanswered,  // 無答: nothing written
};
// "正解", "まちがい", "要確認", "無答".
const char* verdictName(Verdict verdict);

struct ProblemMark {
    int slot = 0;  // the problem's place on the sheet, from 0, in generation order
    int type = 0;
    std::string dividend;
    std::string divisor;
    Verdict verdict = Verdict::Unanswered;
    // For a wrong problem: the first mistake (its kind and message).
    std::optional<Diagnosis> mistake;
    // The rows as read, in writing order (one for each row the practice asks for).
    std::vector<WrittenRow> written;
    // How sure the reading is, 0 to 1: below kCheckBelow the problem is 要確認.
    double confidence = 0;
    // Where it stands on the scan: the figure's rows that its working takes, and the row of the
    // first mistake.
    Quad figure{};
    std::optional<Quad> mistakeRow;
};

// Below this confidence a problem is 要確認 rather than judged.
inline constexpr double kCheckBelow = 0.5;

enum class PageStatus {
    Marked,       // a worksheet, every problem judged
    AnswerSheet,  // "こたえの用紙": recognised, not marked
    NoCode,       // "コードが読めません"
    NoMarks,      // "しるしが見つかりません"
    NotPelkano,   // "Pelkano の用紙ではありません"
    NotMarkable,  // a sheet without the frame or in the expression style
};
// The Japanese reason shown for a page that was not marked ("" for a marked one).
const char* statusText(PageStatus status);
// The same in English, for the command line.
const char* statusEnglish(PageStatus status);

struct PageResult {
    PageStatus status = PageStatus::NoCode;
    std::string detail;  // in English, where the status alone does not say why
    std::string code;  // the sheet's code as printed, when it was read
    std::optional<SheetCode> sheetCode;
    ProblemSheet sheet;  // made again from the code
    std::vector<ProblemMark> problems;
    // Maps page coordinates (the page drawn at pageWidth by pageHeight) onto the scan.
    std::array<double, 9> pageToScan{};
    int pageWidth = 0;
    int pageHeight = 0;
    int leftMargin = 15;  // the sheet's left margin setting, as its figures were found
    Quad header{};  // where the score goes: the top of the page, on the scan

    int right() const;
    int checks() const;
    // The mistakes of each kind, in kAllMistakeKinds order.
    std::array<int, kMistakeKinds> mistakes() const;
};

// Marks pages, keeping the sheets it made again (a class set's sheets come from one recipe).
class Marker {
public:
    Marker();
    ~Marker();
    Marker(const Marker&) = delete;
    Marker& operator=(const Marker&) = delete;

    PageResult markPage(const GreyImage& page);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One page, and pages in order, each on its own.
PageResult markPage(const GreyImage& page);
std::vector<PageResult> markPages(const std::vector<GreyImage>& pages);

// The largest image the layer reads (width times height: A3 at 600 dpi is 70 million); a larger
// one is refused before any pixel is looked at, and front ends decode no more than this.
inline constexpr long long kMaxPixels = 80'000'000;

}  // namespace pelkano::marking
