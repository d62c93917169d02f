#include "SheetRequest.h"

#include "OptionText.h"
#include "SheetOptions.h"
#include "SheetCode.h"
#include "SvgSurface.h"
#include "Utf8.h"

#include <algorithm>
#include <set>

namespace pelkano::web {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string decode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string encode(const std::string& text)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= 'A' && byte <= 'Z') || byte == '-' || byte == '_' || byte == '.' || byte == ',';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

// The caption of the control an option sets.
std::string captionOf(const std::string& key)
{
    static const std::pair<const char*, const char*> captions[] = {
        {"practice", "練習"}, {"types", "型"}, {"layout", "問題数"}, {"seed", "シード"}, {"print-number", "プリント番号"},
        {"sheets", "枚数"}, {"answers", "答えの用紙"}, {"style", "問題形式"}, {"frame", "枠の有無"}, {"tentative", "仮商を答えに書く"},
        {"margin", "左余白"}, {"line-width", "枠線の太さ"}, {"page-size", "用紙"}, {"paper-margin", "用紙の余白"},
        {"dpi", "解像度"}, {"balanced", "型をまんべんなく"}, {"order", "やさしい順"}, {"numbers", "問題番号"},
        {"header-fields", "月日・名前・点の欄"}, {"check", "検算"}, {"answer-list", "答えの一覧"},
        {"same-mix", "どの用紙も同じ型の組み合わせ"}, {"first-sheet", "セットの何枚目から"}};
    for (const auto& [name, caption] : captions)
        if (key == name)
            return caption;
    return key;
}

// The first `count` characters of a UTF-8 text (a byte that is not one counts as one), and
// whether that is all of it.
std::string firstCharacters(const std::string& text, std::size_t count, bool& whole)
{
    std::size_t end = text.size();
    std::size_t seen = 0;
    forEachCodePoint(text, [&](char32_t, std::size_t at, std::size_t) {
        if (seen++ == count && end == text.size())
            end = at;
    });
    whole = end == text.size();
    return text.substr(0, end);
}

// A text of the address as a note echoes it: at most kEchoedCharacters characters, then "…".
std::string echoed(const std::string& text)
{
    constexpr std::size_t kEchoedCharacters = 20;
    bool whole = true;
    const std::string start = firstCharacters(text, kEchoedCharacters, whole);
    return printable(start) + (whole ? "" : "…");
}

// 左余白（margin=0）
std::string shown(const std::string& key, const std::string& value)
{
    return captionOf(key) + "（" + echoed(key) + "=" + echoed(value) + "）";
}

// Notes about the unusable parts of one address: the first few in full, the rest counted, so
// that a hostile address gives one short message.
constexpr std::size_t kNotesInFull = 3;
constexpr std::size_t kUnknownKeysNamed = 3;

}  // namespace

ReadRequest readFragment(std::string_view fragment)
{
    ReadRequest read;
    SheetRequest& r = read.request;
    r.paper = paperByName("A4");
    r.settings.marks.numbers = kDefaultNumberStyle;
    std::size_t notesLeftOut = 0;
    std::vector<std::string> unknownKeys;  // named in the note, in the order first given
    std::set<std::string> unknownOthers;    // every unknown key, each once
    const auto note = [&](const std::string& key, const std::string& value, const std::string& what) {
        if (read.notes.size() < kNotesInFull)
            read.notes.push_back(shown(key, value) + "は使えないので、既定の値にしました。" + what);
        else
            ++notesLeftOut;
    };
    const auto intValue = [&](const IntOption& option, const std::string& value, int& target) {
        const auto v = readIntOption(option, value);
        if (v)
            target = *v;
        else
            note(option.name, value,
                 std::to_string(option.low) + "から" + std::to_string(option.high) + "までの整数にしてください。");
    };

    std::size_t start = 0;
    while (start <= fragment.size()) {
        const std::size_t end = std::min(fragment.find('&', start), fragment.size());
        const std::string_view part = fragment.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const std::size_t equals = part.find('=');
        const std::string key = decode(part.substr(0, equals));
        const std::string value = equals == std::string_view::npos ? std::string() : decode(part.substr(equals + 1));

        if (key == "practice") {
            if (value.empty() || value == "0" || value == "1")
                r.practice = value != "0";
            else
                note(key, value, "練習は practice か practice=1 と書いてください。");
        } else if (key == "types") {
            // "types=" is no type ticked, as the page writes it then.
            std::string error;
            std::vector<int> types = value.empty() ? std::vector<int>{} : parseTypeList(value, error);
            if (types.empty() && !value.empty())
                note(key, value, "型は1から78までの番号と範囲（1-4,12 など）で、同じ型を二度入れずに書いてください。");
            else
                r.types = std::move(types);
        } else if (key == "layout") {
            const auto layout = parseLayout(value);
            if (layout)
                r.settings.pattern = *layout;
            else
                note(key, value, "問題数は 2x2, 3x2, 4x2, 2x3, 3x3, 4x3（段x列）のどれかにしてください。");
        } else if (key == "seed") {
            const auto seed = parseSeed(value);
            if (seed)
                r.seed = *seed;
            else
                note(key, value, "シードは0から18446744073709551615までの整数にしてください。");
        } else if (key == "print-number") {
            const auto number = parseInteger(value);
            if (number && *number >= -2147483647LL - 1 && *number <= 2147483647LL)
                r.printNumber = static_cast<int>(*number);
            else
                note(key, value, "プリント番号は -2147483648 から 2147483647 までの整数にしてください。");
        } else if (key == "sheets") {
            int sheets = 1;
            intValue(kDrawnSheetsOption, value, sheets);
            r.sheets = sheets;
        } else if (key == "answers") {
            if (value == "0")
                r.answers = AnswerSheets::None;
            else if (value == "1")
                r.answers = AnswerSheets::AfterEach;
            else if (value == "end")
                r.answers = AnswerSheets::AtEnd;
            else
                note(key, value, "答えの用紙は 0（なし）、1（各問題用紙の後）、end（最後にまとめて）のどれかにしてください。");
        } else if (key == "style") {
            const auto style = parseStyle(value);
            if (style)
                r.settings.style = *style;
            else
                note(key, value, "問題形式は written（筆算）か expression（式）にしてください。");
        } else if (key == "frame") {
            if (value == "0" || value == "1")
                r.settings.frame = value == "1";
            else
                note(key, value, "枠の有無は 1（あり）か 0（なし）にしてください。");
        } else if (key == "tentative") {
            if (value == "0" || value == "1")
                r.settings.tentative = value == "1";
            else
                note(key, value, "仮商を答えに書くかどうかは 1（書く）か 0（書かない）にしてください。");
        } else if (key == "balanced" || key == "header-fields" || key == "check" || key == "answer-list") {
            bool& target = key == "balanced"        ? r.balanced
                           : key == "header-fields" ? r.settings.marks.headerFields
                           : key == "check"         ? r.settings.marks.check
                                                    : r.settings.marks.answerList;
            if (value == "0" || value == "1")
                target = value == "1";
            else
                note(key, value, captionOf(key) + "は 1（する）か 0（しない）にしてください。");
        } else if (key == "same-mix") {
            // "before": the set of an older code, drawn as sets were drawn then.
            if (value == "0" || value == "1" || value == "before") {
                r.sameMix = value != "0";
                r.drawsAsBefore = value == "before";
            } else
                note(key, value, captionOf(key) + "は 1（する）か 0（しない）にしてください。");
        } else if (key == "first-sheet") {
            const auto index = parseInteger(value);
            if (index && *index >= 0 && *index <= kMaxSheetIndex)
                r.firstSheet = *index;
            else
                note(key, value, "0から" + std::to_string(kMaxSheetIndex) + "までの整数にしてください。");
        } else if (key == "order") {
            const auto easy = parseEasyOrder(value);
            if (easy)
                r.easyOrder = *easy;
            else
                note(key, value, "並べ方は random（くじ引き）か easy（やさしい順）にしてください。");
        } else if (key == "numbers") {
            const auto numbers = parseNumberStyle(value);
            if (numbers)
                r.settings.marks.numbers = *numbers;
            else
                note(key, value, "問題番号は circled（①②…）、parens（(1)(2)…）、none（なし）のどれかにしてください。");
        } else if (key == "margin") {
            intValue(kMarginOption, value, r.settings.leftMargin);
        } else if (key == "line-width") {
            intValue(kLineWidthOption, value, r.settings.lineWidth);
        } else if (key == "sentence") {
            bool whole = true;
            r.settings.sentence = firstCharacters(value, kSentenceMaxLength, whole);
            if (!whole && read.notes.size() < kNotesInFull)
                read.notes.push_back("問題文は" + std::to_string(kSentenceMaxLength) + "字までなので、それより後は使いませんでした。");
            else if (!whole)
                ++notesLeftOut;
        } else if (key == "page-size") {
            const Paper* paper = paperByName(value);
            if (paper)
                r.paper = paper;
            else
                note(key, value, "用紙は " + paperNames() + " のどれかにしてください。");
        } else if (key == "paper-margin") {
            intValue(kPaperMarginOption, value, r.paperMargin);
        } else if (key == "dpi") {
            intValue(kDpiOption, value, r.dpi);
        } else if (unknownOthers.insert(key).second && unknownKeys.size() < kUnknownKeysNamed) {
            unknownKeys.push_back(key);
        }
    }
    if (!unknownKeys.empty()) {
        std::string named;
        for (const std::string& key : unknownKeys)
            named += "「" + echoed(key) + "」";
        if (unknownOthers.size() > unknownKeys.size())
            named += "ほか" + std::to_string(unknownOthers.size() - unknownKeys.size()) + "個";
        read.notes.push_back("アドレスの" + named + "は知らない指定なので、使いませんでした。");
    }
    if (notesLeftOut > 0)
        read.notes.push_back("ほかに" + std::to_string(notesLeftOut) + "か所、使えない指定がありました。");
    const std::string beyond = lastPrintNumberProblem(r.printNumber, r.sheets);
    if (!beyond.empty()) {
        read.notes.push_back("プリント番号 " + std::to_string(r.printNumber) + " から " + std::to_string(r.sheets) +
                             " 枚の番号は扱えないため、1枚にしました。");
        r.sheets = 1;
    }
    return read;
}

std::string fragmentOf(const SheetRequest& r)
{
    const RenderSettings& s = r.settings;
    std::string f = std::string(r.practice ? "practice&" : "") + "types=" + formatTypeList(r.types) + "&layout=" + layoutName(s.pattern);
    if (r.seed)
        f += "&seed=" + std::to_string(*r.seed);
    f += "&print-number=" + std::to_string(r.printNumber) + "&sheets=" + std::to_string(r.sheets);
    f += std::string("&answers=") +
         (r.answers == AnswerSheets::AtEnd ? "end" : r.answers == AnswerSheets::AfterEach ? "1" : "0");
    f += std::string("&style=") + styleName(s.style) + "&frame=" + (s.frame ? "1" : "0");
    f += std::string("&tentative=") + (s.tentative ? "1" : "0");
    f += std::string("&balanced=") + (r.balanced ? "1" : "0") + "&order=" + orderName(r.easyOrder);
    f += std::string("&same-mix=") + (!r.sameMix ? "0" : r.drawsAsBefore ? "before" : "1");
    if (r.firstSheet != 0)
        f += "&first-sheet=" + std::to_string(r.firstSheet);
    f += std::string("&numbers=") + numberStyleName(s.marks.numbers) + "&header-fields=" +
         (s.marks.headerFields ? "1" : "0") + "&check=" + (s.marks.check ? "1" : "0") + "&answer-list=" +
         (s.marks.answerList ? "1" : "0");
    f += "&margin=" + std::to_string(s.leftMargin) + "&line-width=" + std::to_string(s.lineWidth);
    f += "&sentence=" + encode(s.sentence) + "&page-size=" + (r.paper ? r.paper->name : "A4");
    f += "&paper-margin=" + std::to_string(r.paperMargin);
    if (r.dpi != kDpiOption.fallback)
        f += "&dpi=" + std::to_string(r.dpi);
    return f;
}

ReadRequest requestFromCode(std::string_view code, const SheetRequest& current)
{
    ReadRequest read;
    read.request = current;
    const DecodedCode decoded = decodeSheetCode(code);
    if (!decoded.code) {
        read.notes.push_back(codeMessage(decoded, code));
        return read;
    }
    const SheetCode& c = *decoded.code;
    const SetRecipe& recipe = c.origin.recipe;
    for (int t : recipe.types) {
        if (!ruleFor(t)) {
            read.notes.push_back("型 " + std::to_string(t) + " の問題は、この版では作れません。");
            return read;
        }
    }
    SheetRequest& r = read.request;
    r.practice = false;
    r.types = recipe.types;
    r.settings.pattern = recipe.pattern;
    r.seed = recipe.seed;
    r.sameMix = recipe.sameMix;
    r.drawsAsBefore = recipe.drawsAsBefore;
    r.balanced = recipe.balanced;
    r.easyOrder = recipe.easyOrder;
    r.settings.marks = c.marks;
    r.firstSheet = c.origin.index;
    r.printNumber = c.printNumber;
    r.sheets = 1;
    r.answers = AnswerSheets::AfterEach;
    return read;
}

std::vector<int> tick(const std::vector<int>& types, int type, bool checked)
{
    SelectedTypes selected;
    for (int t : types)
        selected.tick(t, true);
    // A box that is ticked already is in the list once.
    if (!checked || std::find(types.begin(), types.end(), type) == types.end())
        selected.tick(type, checked);
    std::vector<int> out;
    for (const std::string& entry : selected.entries())
        out.push_back(std::stoi(entry));
    return out;
}

int nextPrintNumber(int first, long long sheets)
{
    const long long next = static_cast<long long>(first) + (sheets > 0 ? sheets : 1);
    return next > 2147483647LL ? static_cast<int>(next - 1) : static_cast<int>(next);
}

SheetSet makeSet(const SheetRequest& r)
{
    SheetSet set;
    // A set without a seed gets one as the window's プレビュー and pelkano-sheets draw it: from a
    // source seeded once from the clock, in the few bits that keep the codes of its sheets short.
    static SeededRandom clock(SeededRandom::clockSeed());
    set.seed = r.seed ? *r.seed : newSetSeed(clock);
    const SetRecipe recipe{set.seed, r.types, r.settings.pattern, r.sameMix, r.balanced, r.easyOrder, r.drawsAsBefore};
    SeededRandom random(set.seed);
    // Loaded once, as the window and the tool load them at start-up.
    static const NumberTables tables = NumberTables::load();
    SilentReporter quiet;
    RuleContext ctx{random, tables, quiet};
    buildSheets(recipe, r.firstSheet, r.sheets, r.printNumber, ctx,
                [&](long long, const ProblemSheet& sheet, bool complete) {
                    set.sheets.push_back(sheet);
                    set.complete = set.complete && complete;
                    return true;
                });
    return set;
}

PageList pagesOf(const SheetRequest& request, const SheetSet& set)
{
    return pelkano::pagesOf(set.sheets, request.answers, request.settings.marks.answerList);
}

std::string pageSvg(const SheetRequest& r, const ProblemSheet& page)
{
    const Paper& paper = r.paper ? *r.paper : *paperByName("A4");
    return pelkano::pageSvg(page, r.settings, paper.widthMm, paper.heightMm, r.dpi, r.paperMargin);
}

}  // namespace pelkano::web
