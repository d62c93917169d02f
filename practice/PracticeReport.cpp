#include "PracticeReport.h"

#include <cstdio>
#include <string_view>

namespace pelkano {

namespace {

std::string str(long long n)
{
    return std::to_string(n);
}

std::string twoDigits(long long n)
{
    return n < 10 ? std::string("0").append(str(n)) : str(n);
}

// The civil date of a day count since 1970-01-01 (proleptic Gregorian calendar).
void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

// One CSV field: quoted when it holds a separator, a quote or a line end; text a spreadsheet
// would take for a formula gets a leading apostrophe.
std::string csvField(std::string text)
{
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' || text[0] == '\t' ||
                          text[0] == '\r'))
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// "name n回" for each count that is not 0, joined by "、".
std::string countsText(const std::vector<std::pair<std::string, int>>& counts)
{
    std::string text;
    for (const auto& [name, n] : counts) {
        if (n == 0)
            continue;
        if (!text.empty())
            text += "、";
        text += "「" + name + "」" + str(n) + "回";
    }
    return text;
}

}  // namespace

const char* levelName(PracticeLevel level)
{
    return level == PracticeLevel::Alone ? "ひとりで" : "てびき";
}

const char* levelKey(PracticeLevel level)
{
    return level == PracticeLevel::Alone ? "alone" : "guided";
}

std::optional<PracticeLevel> levelFromKey(const std::string& key)
{
    if (key == "guided")
        return PracticeLevel::Guided;
    if (key == "alone")
        return PracticeLevel::Alone;
    return std::nullopt;
}

const char* hintStepName(HintStep step)
{
    switch (step) {
    case HintStep::Ask:
        return "たずねる";
    case HintStep::Point:
        return "しめす";
    case HintStep::Tell:
        break;
    }
    return "おしえる";
}

std::string formatDateTime(std::int64_t ms, int utcOffsetMinutes)
{
    const long long seconds = (ms >= 0 ? ms / 1000 : (ms - 999) / 1000) + static_cast<long long>(utcOffsetMinutes) * 60;
    const long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const long long inDay = seconds - days * 86400;
    long long y = 0;
    unsigned m = 0;
    unsigned d = 0;
    civilFromDays(days, y, m, d);
    return str(y) + "-" + twoDigits(m) + "-" + twoDigits(d) + " " + twoDigits(inDay / 3600) + ":" +
           twoDigits(inDay / 60 % 60) + ":" + twoDigits(inDay % 60);
}

std::string formatDuration(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    return str(seconds / 60) + "分" + twoDigits(seconds % 60) + "秒";
}

std::string problemText(const PracticeItem& item)
{
    return str(item.dividend) + "÷" + str(item.divisor);
}

std::string answerText(const PracticeItem& item)
{
    if (item.divisor < 1)
        return "";
    const int r = item.dividend % item.divisor;
    return str(item.dividend / item.divisor) + (r == 0 ? "" : " あまり " + str(r));
}

std::string mistakesText(const ProblemResult& result)
{
    std::vector<std::pair<std::string, int>> counts;
    for (const MistakeKind kind : kAllMistakeKinds)
        counts.emplace_back(mistakeName(kind), result.mistakes[static_cast<std::size_t>(kind)]);
    return countsText(counts);
}

std::string hintsText(const ProblemResult& result)
{
    std::vector<std::pair<std::string, int>> counts;
    for (int s = 0; s < kHintSteps; ++s)
        counts.emplace_back(hintStepName(static_cast<HintStep>(s)), result.hints[static_cast<std::size_t>(s)]);
    return countsText(counts);
}

std::string stumblesText(const std::vector<std::pair<MistakeKind, int>>& stumbles)
{
    std::vector<std::pair<std::string, int>> counts;
    for (const auto& [kind, n] : stumbles)
        counts.emplace_back(mistakeName(kind), n);
    const std::string text = countsText(counts);
    return text.empty() ? "なし" : text;
}

std::string stumblesLine(const std::vector<std::pair<MistakeKind, int>>& stumbles)
{
    return "つまずき：" + stumblesText(stumbles);
}

std::string problemHeading(std::size_t index, std::size_t count)
{
    return "問題 " + str(static_cast<long long>(index + 1)) + " / " + str(static_cast<long long>(count));
}

std::vector<std::string> resultHeadings()
{
    return {"回", "問題", "答え", "1回で正解", "まちがい", "ヒント", "時間"};
}

std::vector<std::string> resultCells(const ProblemResult& r)
{
    return {str(r.round),          problemText(r.item), answerText(r.item), r.rightFirstTime() ? "○" : "",
            mistakesText(r),       hintsText(r),        formatDuration(r.seconds())};
}

std::string roundSummary(const PracticeSession& session)
{
    return "1回で正解した問題（ヒントなし）：" + str(session.rightFirstTime()) + " / " +
           str(static_cast<long long>(session.count())) + " 問\nヒントを使った回数：" + str(session.hints()) +
           " 回\nかかった時間：" + formatDuration(session.roundSeconds());
}

std::vector<std::string> resultsCsvHeadings()
{
    std::vector<std::string> heading{"名前", "日時", "回", "わられる数", "わる数", "型", "やり方"};
    for (const MistakeKind kind : kAllMistakeKinds)
        heading.push_back(mistakeName(kind));
    for (int s = 0; s < kHintSteps; ++s)
        heading.push_back(std::string("ヒント（") + hintStepName(static_cast<HintStep>(s)) + "）");
    heading.push_back("秒");
    return heading;
}

std::string csvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

std::string resultsCsv(const PracticeSession& session, int utcOffsetMinutes)
{
    std::string csv = kCsvByteOrderMark;
    const auto line = [&csv](const std::vector<std::string>& fields) { csv += csvLine(fields); };
    line(resultsCsvHeadings());
    for (const ProblemResult& r : session.results()) {
        std::vector<std::string> fields{session.name(),
                                        formatDateTime(r.finishedMs, utcOffsetMinutes),
                                        str(r.round),
                                        str(r.item.dividend),
                                        str(r.item.divisor),
                                        r.item.type > 0 ? str(r.item.type) : "",
                                        levelName(r.level)};
        for (const int n : r.mistakes)
            fields.push_back(str(n));
        for (const int n : r.hints)
            fields.push_back(str(n));
        fields.push_back(str(r.seconds()));
        line(fields);
    }
    return csv;
}

std::string resultsCsvFileName(const std::string& name, std::int64_t ms, int utcOffsetMinutes)
{
    // Blanks around the name, the ideographic one (U+3000) among them, are left out.
    constexpr std::string_view wide = "\u3000";
    const auto narrow = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    std::string_view n(name);
    for (;;) {
        if (n.starts_with(wide))
            n.remove_prefix(wide.size());
        else if (!n.empty() && narrow(n.front()))
            n.remove_prefix(1);
        else if (n.ends_with(wide))
            n.remove_suffix(wide.size());
        else if (!n.empty() && narrow(n.back()))
            n.remove_suffix(1);
        else
            break;
    }
    std::string safe;
    for (const char c : n) {
        const bool refused = std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos ||
                             static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        safe += refused ? '_' : c;
    }
    std::string day = formatDateTime(ms, utcOffsetMinutes).substr(0, 10);
    std::erase(day, '-');
    return "練習の結果" + (safe.empty() ? std::string() : "-" + safe) + "-" + day + ".csv";
}

}  // namespace pelkano
