// The functions the page calls in the WebAssembly module. Each takes and returns text (UTF-8;
// structured answers as JSON); the returned text stays valid until the next call. Everything the
// page shows is decided here or in the layers below: the page only builds its controls from
// pk_info, passes the controls on as a fragment and shows what comes back.
#include "SheetOptions.h"
#include "SheetRequest.h"
#include "TypePages.h"
#include "TypeRules.h"

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

std::string json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
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
    return "{\"fragment\":" + json(fragmentOf(r)) + ",\"types\":[" + types + "],\"layout\":" +
           json(layoutName(r.settings.pattern)) + ",\"sheets\":" + std::to_string(r.sheets) +
           ",\"printNumber\":" + std::to_string(r.printNumber) +
           ",\"seed\":" + (r.seed ? json(std::to_string(*r.seed)) : "null") + ",\"answers\":" +
           json(answersName(r.answers)) + ",\"style\":" + json(styleName(r.settings.style)) +
           ",\"frame\":" + (r.settings.frame ? "true" : "false") +
           ",\"tentative\":" + (r.settings.tentative ? "true" : "false") + ",\"margin\":" +
           std::to_string(r.settings.leftMargin) + ",\"lineWidth\":" + std::to_string(r.settings.lineWidth) +
           ",\"sentence\":" + json(r.settings.sentence) + ",\"pageSize\":" + json(r.paper->name) +
           ",\"paperMargin\":" + std::to_string(r.paperMargin) +
           ",\"canMake\":" + (r.types.empty() ? "false" : "true") + ",\"notes\":[" + notes + "]}";
}

}  // namespace

extern "C" {

// What the page builds its controls from: the types with their descriptions, the nine type
// pages, the layouts, the papers and the ranges of the numbers.
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
    std::string papersList;
    for (const Paper& p : papers())
        papersList += (papersList.empty() ? "" : ",") + json(p.name);
    return answer("{\"types\":[" + types + "],\"pages\":[" + pages + "],\"layouts\":[" + layouts +
                  "],\"papers\":[" + papersList + "],\"ranges\":{\"margin\":" + range(kMarginOption) +
                  ",\"lineWidth\":" + range(kLineWidthOption) + ",\"sheets\":" + range(kDrawnSheetsOption) +
                  ",\"paperMargin\":" + range(kPaperMarginOption) + "},\"sentence\":" + json(kDefaultSentence) +
                  ",\"boxSize\":[" + std::to_string(kTypeBoxWidth) + "," + std::to_string(kTypeBoxHeight) + "]}");
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
    return answer(fragmentOf(r));
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

}  // extern "C"

int main()
{
    return 0;
}
