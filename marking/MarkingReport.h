#pragma once
// What marking a set of scans reports, as text for any front end: a line a page, and the table
// of every problem for a spreadsheet.
#include "Marking.h"

#include <string>
#include <vector>

namespace pelkano::marking {

// A page of a scanned file and what was read on it.
struct ScanPage {
    std::string file;  // as the user named it
    int page = 1;      // from 1
    PageResult result;
};

// "scan.pdf page 1: print 5, code 6RF8-P0B2-JT, 10/12 right, mistakes かけ算 1 ひき算 1, 要確認 1";
// "scan.pdf page 2: not read: コードが読めません (the sheet's QR code cannot be read)";
// an answer sheet is named so ("こたえの用紙").
std::string pageLine(const ScanPage& page);

// One line a problem of every marked page: the practice's results columns (the judging's level,
// the first mistake counted under its kind) and ファイル, ページ, コード, プリント番号, 判定.
// UTF-8 with a byte order mark, CRLF line ends.
std::string marksCsv(const std::vector<ScanPage>& pages);

}  // namespace pelkano::marking
