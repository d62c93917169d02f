// The functions the page calls in the WebAssembly module. Each takes and returns text (UTF-8;
// structured answers as JSON); the returned text stays valid until the next call. Everything the
// page shows is decided here or in the layers below: the page only builds its controls from
// pk_info, passes the controls on as a fragment and shows what comes back.
#include "JsonText.h"
#include "PracticeDriver.h"
#include "PracticeReport.h"
#include "SheetOptions.h"
#include "SheetRequest.h"
#include "TypePages.h"
#include "TypeRules.h"
#include "Units.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>

using namespace pelkano;
using namespace pelkano::web;

namespace {

std::string reply;
SheetRequest lastRequest;
SheetSet lastSet;
PageList lastPages;
PracticeDriver practice;
std::string practiceFragment;  // the fragment that made the run's problems ("" for problems given)

std::string json(const std::string& text)
{
    return jsonString(text);
}

const char* answersName(AnswerSheets answers)
{
    return answers == AnswerSheets::AtEnd ? "end" : answers == AnswerSheets::AfterEach ? "1" : "0";
}

const char* layoutCaption(LayoutPattern pattern)
{
    static const char* const captions[kLayoutPatternCount] = {"2段2列", "3段2列", "4段2列",
                                                              "2段3列", "3段3列", "4段3列"};
    return captions[static_cast<int>(pattern)];
}

std::string range(const IntOption& o)
{
    return "[" + std::to_string(o.low) + "," + std::to_string(o.high) + "," + std::to_string(o.fallback) + "]";
}

const char* answer(std::string text)
{
    reply = std::move(text);
    return reply.c_str();
}

std::string requestJson(const ReadRequest& read)
{
    const SheetRequest& r = read.request;
    std::string notes;
    for (const std::string& n : read.notes)
        notes += (notes.empty() ? "" : ",") + json(n);
    std::string types;
    for (int t : r.types)
        types += (types.empty() ? "" : ",") + std::to_string(t);
    return "{\"fragment\":" + json(fragmentOf(r)) + ",\"practice\":" + (r.practice ? "true" : "false") +
           ",\"types\":[" + types + "],\"layout\":" +
           json(layoutName(r.settings.pattern)) + ",\"sheets\":" + std::to_string(r.sheets) +
           ",\"printNumber\":" + std::to_string(r.printNumber) +
           ",\"seed\":" + (r.seed ? json(std::to_string(*r.seed)) : "null") + ",\"answers\":" +
           json(answersName(r.answers)) + ",\"style\":" + json(styleName(r.settings.style)) +
           ",\"frame\":" + (r.settings.frame ? "true" : "false") +
           ",\"tentative\":" + (r.settings.tentative ? "true" : "false") +
           ",\"sameMix\":" + (r.sameMix ? "true" : "false") +
           ",\"drawsAsBefore\":" + (r.drawsAsBefore ? "true" : "false") + ",\"firstSheet\":" + std::to_string(r.firstSheet) +
           ",\"balanced\":" + (r.balanced ? "true" : "false") + ",\"order\":" + json(orderName(r.easyOrder)) +
           ",\"numbers\":" + json(numberStyleName(r.settings.marks.numbers)) +
           ",\"headerFields\":" + (r.settings.marks.headerFields ? "true" : "false") +
           ",\"check\":" + (r.settings.marks.check ? "true" : "false") +
           ",\"answerList\":" + (r.settings.marks.answerList ? "true" : "false") + ",\"margin\":" +
           std::to_string(r.settings.leftMargin) + ",\"lineWidth\":" + std::to_string(r.settings.lineWidth) +
           ",\"sentence\":" + json(r.settings.sentence) + ",\"pageSize\":" + json(r.paper->name) +
           ",\"paperMargin\":" + std::to_string(r.paperMargin) +
           ",\"canMake\":" + (r.types.empty() ? "false" : "true") + ",\"notes\":[" + notes + "]}";
}

// The problems of a practice: the first sheet of the set the request makes, as the window's 練習
// makes them (the ticked types, the layout's count).
std::vector<PracticeItem> practiceItems(const SheetSet& set)
{
    return set.sheets.empty() ? std::vector<PracticeItem>{} : sheetItems(set.sheets.front());
}

// A practice request: one sheet's problems, from the fragment's seed or a new one.
SheetRequest practiceRequest(const char* fragment, bool newSeed)
{
    SheetRequest r = readFragment(fragment).request;
    r.practice = true;
    r.sheets = 1;
    if (newSeed)
        r.seed.reset();
    return r;
}

const char* practiceState(bool handled = true)
{
    std::string state = practice.stateJson();
    state.insert(1, std::string("\"handled\":") + (handled ? "true," : "false,"));
    return answer(std::move(state));
}

// The practice of a request started (or, with a run going, its next round begun): the fragment
// that makes the same problems again and the state; an error when nothing can be worked.
const char* practiceStarted(SheetRequest r, const std::string& levelKey, double nowMs, bool newRound)
{
    if (r.types.empty())
        return answer("{\"error\":" + json("練習する型を一つ以上選んでください。") + "}");
    const SheetSet set = makeSet(r);
    r.seed = set.seed;
    std::vector<PracticeItem> items = practiceItems(set);
    const bool started = newRound && practice.session() ? practice.startRound(std::move(items), nowMs)
                                                         : practice.start(std::move(items), levelOfKey(levelKey), nowMs);
    if (!started)
        return answer("{\"error\":" + json("練習できる問題を作れませんでした。") + "}");
    practiceFragment = fragmentOf(r);
    return answer("{\"fragment\":" + json(practiceFragment) + ",\"resumed\":false,\"state\":" + practice.stateJson() +
                  "}");
}

}  // namespace

extern "C" {

// What the page builds its controls from: the types with their descriptions, the nine type
// pages, the layouts, the papers, the ranges of the numbers and the practice's levels.
EMSCRIPTEN_KEEPALIVE const char* pk_info()
{
    std::string types;
    for (int t = 1; t <= kTypeCount; ++t)
        types += std::string(t > 1 ? "," : "") + "[" + std::to_string(t) + "," + json(typeDescriptionText(t)) + "]";
    std::string pages;
    for (int p = 1; p <= kTypePageCount; ++p) {
        const TypePage& page = typePages()[static_cast<std::size_t>(p - 1)];
        std::string boxes;
        for (const BoxPlace& b : page.boxes)
            boxes += (boxes.empty() ? "[" : ",[") + std::to_string(b.type) + "," + std::to_string(b.left) + "," +
                     std::to_string(b.top) + "]";
        pages += std::string(p > 1 ? "," : "") + "{\"title\":" + json(typePageTitle(p)) + ",\"picture\":[" +
                 std::to_string(page.pictureLeft) + "," + std::to_string(page.pictureTop) + "],\"boxes\":[" + boxes +
                 "]}";
    }
    std::string layouts;
    for (int i = 0; i < kLayoutPatternCount; ++i)
        layouts += std::string(i > 0 ? "," : "") + "[" + json(layoutName(static_cast<LayoutPattern>(i))) + "," +
                   json(layoutCaption(static_cast<LayoutPattern>(i))) + "]";
    std::string levels;
    for (const PracticeLevel level : {PracticeLevel::Guided, PracticeLevel::Alone})
        levels += std::string(levels.empty() ? "" : ",") + "[" + json(levelKey(level)) + "," + json(levelName(level)) + "]";
    std::string unitList;
    for (const Unit& unit : units()) {
        std::string unitTypes;
        for (int t : unit.types)
            unitTypes += (unitTypes.empty() ? "" : ",") + std::to_string(t);
        unitList += (unitList.empty() ? "[" : ",[") + json(unit.name) + ",[" + unitTypes + "]]";
    }
    std::string papersList;
    for (const Paper& p : papers())
        papersList += (papersList.empty() ? "" : ",") + json(p.name);
    return answer("{\"types\":[" + types + "],\"pages\":[" + pages + "],\"layouts\":[" + layouts +
                  "],\"papers\":[" + papersList + "],\"ranges\":{\"margin\":" + range(kMarginOption) +
                  ",\"lineWidth\":" + range(kLineWidthOption) + ",\"sheets\":" + range(kDrawnSheetsOption) +
                  ",\"paperMargin\":" + range(kPaperMarginOption) + "},\"sentence\":" + json(kDefaultSentence) +
                  ",\"units\":[" + unitList + "],\"levels\":[" + levels + "],\"boxSize\":[" + std::to_string(kTypeBoxWidth) + "," + std::to_string(kTypeBoxHeight) + "]}");
}

// The request a fragment makes, every option filled in, with a note for each part not used.
EMSCRIPTEN_KEEPALIVE const char* pk_read(const char* fragment)
{
    return answer(requestJson(readFragment(fragment)));
}

// The fragment after a type's box was ticked or unticked.
EMSCRIPTEN_KEEPALIVE const char* pk_tick(const char* fragment, int type, int checked)
{
    SheetRequest r = readFragment(fragment).request;
    if (type >= 1 && type <= kTypeCount)
        r.types = tick(r.types, type, checked != 0);
    return answer(fragmentOf(r));
}

// Makes the set of sheets a fragment asks for and keeps its pages for pk_page. Answers the seed
// used, the fragment that makes the same set again, the page count, the problems of each sheet
// and the generator's warning, if any.
EMSCRIPTEN_KEEPALIVE const char* pk_make(const char* fragment)
{
    const ReadRequest read = readFragment(fragment);
    if (read.request.types.empty())
        return answer("{\"error\":" + json("型を一つ以上選んでください。") + "}");
    lastRequest = read.request;
    lastSet = makeSet(lastRequest);
    lastRequest.seed = lastSet.seed;
    lastPages = pagesOf(lastRequest, lastSet);
    std::string sheets;
    for (const ProblemSheet& s : lastSet.sheets) {
        std::string problems;
        for (int i = 0; i < s.count; ++i) {
            const auto k = static_cast<std::size_t>(i);
            problems += std::string(i > 0 ? "," : "") + "[" + std::to_string(s.types[k]) + "," + s.dividends[k] +
                        "," + s.divisors[k] + "]";
        }
        sheets += std::string(sheets.empty() ? "" : ",") + "{\"printNumber\":" + std::to_string(s.printNumber) +
                  ",\"problems\":[" + problems + "]}";
    }
    const Paper& paper = *lastRequest.paper;
    return answer("{\"seed\":" + json(std::to_string(lastSet.seed)) + ",\"fragment\":" + json(fragmentOf(lastRequest)) +
                  ",\"pages\":" + std::to_string(lastPages.size()) + ",\"sheets\":[" + sheets + "],\"warning\":" +
                  json(lastSet.complete ? "" : kSheetWarning) + ",\"paper\":[" + json(paper.name) + "," +
                  std::to_string(paper.widthMm) + "," + std::to_string(paper.heightMm) + "]}");
}

// The fragment after the set of a fragment was printed: the print number goes on past its last
// sheet and the next set gets new problems (no seed), as in the window.
EMSCRIPTEN_KEEPALIVE const char* pk_printed(const char* fragment)
{
    SheetRequest r = readFragment(fragment).request;
    r.printNumber = nextPrintNumber(r.printNumber, r.sheets);
    r.seed.reset();
    r.firstSheet = 0;
    return answer(fragmentOf(r));
}

// コードから作る: the fragment that makes the sheet of a typed code and its answer sheet, with the
// other settings of `fragment`; or the fragment unchanged and the message why the code makes none.
EMSCRIPTEN_KEEPALIVE const char* pk_from_code(const char* fragment, const char* code)
{
    const ReadRequest read = requestFromCode(code, readFragment(fragment).request);
    return answer("{\"fragment\":" + json(fragmentOf(read.request)) + ",\"error\":" +
                  json(read.notes.empty() ? "" : read.notes.front()) + "}");
}

// Page i (from 0) of the set pk_make made, as an SVG document.
EMSCRIPTEN_KEEPALIVE const char* pk_page(int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= lastPages.size())
        return answer("");
    return answer(pageSvg(lastRequest, lastPages[static_cast<std::size_t>(i)]));
}

// The first sheet of the set with its answers, as the preview shows it.
EMSCRIPTEN_KEEPALIVE const char* pk_preview()
{
    if (lastSet.sheets.empty())
        return answer("");
    ProblemSheet sheet = lastSet.sheets.front();
    sheet.showAnswers = true;
    return answer(pageSvg(lastRequest, sheet));
}

// The fragment for the other mode: practice (1) or the teacher's page (0), with new problems.
EMSCRIPTEN_KEEPALIVE const char* pk_mode(const char* fragment, int practiceMode)
{
    SheetRequest r = readFragment(fragment).request;
    r.practice = practiceMode != 0;
    r.seed.reset();
    return answer(fragmentOf(r));
}

// A practice run of the problems a fragment makes, at the level the page kept ("guided", "alone";
// てびき for anything else). Answers the fragment that makes the same problems and the state, or
// an error.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_start(const char* fragment, const char* level, double nowMs)
{
    SheetRequest r = practiceRequest(fragment, false);
    // Back in the history to the run's own problems: the run goes on, nothing of it lost.
    if (practice.running() && r.seed && fragmentOf(r) == practiceFragment)
        return answer("{\"fragment\":" + json(practiceFragment) + ",\"resumed\":true,\"state\":" +
                      practice.stateJson() + "}");
    return practiceStarted(std::move(r), level, nowMs, false);
}

// A run of the problems given as "8765/43/27,612/6" (dividend/divisor/type), answering the state.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_problems(const char* problems, const char* level, double nowMs)
{
    const auto items = itemsOfText(problems);
    if (!items || !practice.start(*items, levelOfKey(level), nowMs))
        return answer("{\"error\":" + json("練習できる問題がありません。") + "}");
    practiceFragment.clear();
    return practiceState();
}

// もう一度: a new round of new problems of the fragment's kinds; the run's results stay.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_again(const char* fragment, double nowMs)
{
    return practiceStarted(practiceRequest(fragment, true), "", nowMs, true);
}

// まちがえた問題をもう一度.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_retry(double nowMs)
{
    practice.retryMissed(nowMs);
    return practiceState();
}

// A key by its KeyboardEvent.key name, fromPad 1 when pressed on the page's pad; "handled" says
// whether it was the practice's.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_key(const char* key, double nowMs, int fromPad)
{
    return practiceState(practice.key(key, nowMs, fromPad != 0));
}

// A press at (x, y) CSS pixels on the board shown as width by height.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_tap(double x, double y, double width, double height)
{
    practice.tap(x, y, width, height);
    return practiceState();
}

EMSCRIPTEN_KEEPALIVE const char* pk_practice_level(const char* level)
{
    practice.setLevel(levelOfKey(level));
    return practiceState();
}

EMSCRIPTEN_KEEPALIVE const char* pk_practice_name(const char* name)
{
    practice.setName(name);
    return practiceState();
}

EMSCRIPTEN_KEEPALIVE const char* pk_practice_state()
{
    return practiceState();
}

// The open problem's board as SVG, in the room of width by height CSS pixels.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_board(double width, double height)
{
    return answer(practice.board(width, height));
}

// The run's table as the window saves it, and its file name; minutesBehindUtc is the browser's
// Date.getTimezoneOffset().
EMSCRIPTEN_KEEPALIVE const char* pk_practice_csv(int minutesBehindUtc)
{
    return answer(practice.csv(minutesBehindUtc));
}

// The size in bytes of the last answer, for the page to take its bytes as they are (a text decoder
// would drop the CSV's byte order mark).
EMSCRIPTEN_KEEPALIVE int pk_reply_size()
{
    return static_cast<int>(reply.size());
}

EMSCRIPTEN_KEEPALIVE const char* pk_practice_csv_name(double nowMs, int minutesBehindUtc)
{
    return answer(practice.csvFileName(nowMs, minutesBehindUtc));
}

// The results page on the fragment's paper, as SVG, with the paper's size.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_results(const char* fragment, int minutesBehindUtc)
{
    const SheetRequest r = readFragment(fragment).request;
    const Paper& paper = *r.paper;
    return answer("{\"svg\":" + json(practice.resultsPage(paper, r.dpi, r.paperMargin, minutesBehindUtc)) +
                  ",\"paper\":[" + json(paper.name) + "," + std::to_string(paper.widthMm) + "," +
                  std::to_string(paper.heightMm) + "]}");
}

// にがてプリント: the teacher's page for a new sheet of the types of the run's problems that had a
// mistake.
EMSCRIPTEN_KEEPALIVE const char* pk_practice_weak(const char* fragment)
{
    SheetRequest r = readFragment(fragment).request;
    r.practice = false;
    r.seed.reset();
    if (practice.session() && !practice.session()->weakTypes().empty())
        r.types = practice.session()->weakTypes();
    return answer(fragmentOf(r));
}

}  // extern "C"

int main()
{
    return 0;
}
