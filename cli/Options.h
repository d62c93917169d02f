#pragma once
// Reading the command line of pelkano-sheets into plain values. Every failure carries a one-line
// message naming the value that could not be read.
#include "Sheet.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelkano::cli {

struct UsageError {
    std::string message;
};

// "1-4,12,20": single types and ascending ranges, each 1..78, in the order given.
std::vector<int> parseTypeList(const std::string& text, std::string& error);
// "2x2", "3x2", "4x2", "2x3", "3x3", "4x3" (rows x columns).
std::optional<LayoutPattern> parseLayout(const std::string& text);
std::optional<long long> parseInteger(const std::string& text);

}  // namespace pelkano::cli
