#pragma once
// The programs from outside the project that tests run (poppler's pdftoppm and pdftotext read
// back the PDF files the program writes), listed with their Debian packages in
// outside-programs.txt. A test that needs one fails when it is missing, naming the program and
// the package that gives it: a skip would let a machine without the package pass, and hide that
// scripts/install-deps.sh does not install it.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <source_location>

namespace pelkano::test {

// Runs `program` from PATH with `arguments` and returns what it wrote to standard output. The
// current test fails (at the caller's line) and the result is empty when the program is missing,
// when scripts/install-deps.sh does not install its package, when it fails, or when it does not
// end within `timeoutMs`.
QByteArray runOutsideProgram(const QString& program, const QStringList& arguments, int timeoutMs = 60000,
                             std::source_location caller = std::source_location::current());

// The text of each page of a PDF, in page order, as pdftotext reads it (failing as above).
QStringList pdfPageTexts(const QString& pdf, std::source_location caller = std::source_location::current());

}  // namespace pelkano::test
