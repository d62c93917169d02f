#pragma once
// Text to number at the window's edge, the print number's next value, and the file names of a
// print to file.
#include <QString>

#include <optional>

namespace pelkano {

inline const QString kAppTitle = QStringLiteral("Pelkano");
inline const QString kWarningTitle = QStringLiteral("警告");
inline const QString kNoTypeTicked = QStringLiteral("型を1つ以上選んでください。");
inline const QString kGeneratorFailed = QStringLiteral("問題を作れませんでした。");

// Decimal integer with an optional sign; blanks around it are ignored, and full-width digits and
// signs ("１２", "－３") read as their ASCII forms. Nothing else is read: no hexadecimal, no
// grouping, no fraction. Values outside int are not integers here.
std::optional<int> StrToInt(const QString& text);

// The conversion-error message that names the text it could not read.
QString conversionError(const QString& text);

// The number after n, or nothing when it would not fit in int.
std::optional<int> nextPrintNumber(int n);
QString printNumberLimitMessage(int n);

// The answer sheet's file beside the problem sheet's: "-answers" before the extension
// ("/tmp/w.pdf" -> "/tmp/w-answers.pdf"; "/tmp/w" -> "/tmp/w-answers").
QString answersFileName(const QString& fileName);
// The practice results' file beside it: "/tmp/w.pdf" -> "/tmp/w-results.pdf".
QString resultsFileName(const QString& fileName);

}  // namespace pelkano
