#pragma once
// What a practice reports to the teacher, as text for any front end: the level's names, each
// problem's line of the summary, the stumbling points, the table saved as CSV. UTF-8, no Qt.
#include "PracticeModel.h"

#include <optional>
#include <string>
#include <vector>

namespace pelkano {

// "てびき", "ひとりで".
const char* levelName(PracticeLevel level);
// The level as the settings keep it ("guided", "alone"), and back; nothing for any other text.
const char* levelKey(PracticeLevel level);
std::optional<PracticeLevel> levelFromKey(const std::string& key);

// "たずねる", "しめす", "おしえる".
const char* hintStepName(HintStep step);

// Milliseconds since 1970 UTC as local time "2024-05-01 10:23:45", the local time being
// utcOffsetMinutes ahead of UTC.
std::string formatDateTime(std::int64_t ms, int utcOffsetMinutes);
// "1分05秒".
std::string formatDuration(long long seconds);

// "8765÷43" and "203 あまり 36" (a division without remainder: "24").
std::string problemText(const PracticeItem& item);
std::string answerText(const PracticeItem& item);
// "「かけ算」1回、「ひき算」2回" (kinds in their order); "" when none.
std::string mistakesText(const ProblemResult& result);
// "「たずねる」1回、「しめす」1回、「おしえる」2回"; "" when none.
std::string hintsText(const ProblemResult& result);
// "「ひき算」3回、「かけ算」1回"; "なし" when there were none.
std::string stumblesText(const std::vector<std::pair<MistakeKind, int>>& stumbles);
// "つまずき：「ひき算」3回、「かけ算」1回", as the summary and the results page head it.
std::string stumblesLine(const std::vector<std::pair<MistakeKind, int>>& stumbles);
// "問題 2 / 10": the problem at `index` (from 0) of `count`.
std::string problemHeading(std::size_t index, std::size_t count);

// The summary's table: a heading and one line a problem, the same in the window and on paper.
std::vector<std::string> resultHeadings();
std::vector<std::string> resultCells(const ProblemResult& result);

// The round's totals: right at the first try, hints, time.
std::string roundSummary(const PracticeSession& session);

// The run's table as CSV for a spreadsheet: UTF-8 with a byte order mark, CRLF line ends, a
// heading line, then one line a finished problem: name, date and time it was finished, round,
// dividend, divisor, type, level, the mistakes of each kind, the hints of each step, seconds.
// A field that a spreadsheet would read as a formula is written as text.
std::string resultsCsv(const PracticeSession& session, int utcOffsetMinutes);
// That table's heading, for tables that add columns of their own (a marked class set's).
std::vector<std::string> resultsCsvHeadings();
// One line of such a table, with its CRLF; a formula-like field written as text.
std::string csvLine(const std::vector<std::string>& fields);
inline constexpr const char* kCsvByteOrderMark = "\xEF\xBB\xBF";
// The name that table is offered under: "練習の結果-はなこ-20240501.csv" ("練習の結果-20240501.csv"
// without a name), the pupil's name without the blanks around it and with "_" for the characters
// file names refuse, on the local day of ms.
std::string resultsCsvFileName(const std::string& name, std::int64_t ms, int utcOffsetMinutes);

}  // namespace pelkano
