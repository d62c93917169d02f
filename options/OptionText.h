#pragma once
// Reading the texts of the options that describe a set of sheets: the type list, the layout and
// whole numbers, and echoing a text safely in a one-line message. Plain C++, no Qt: the
// command-line tool and the web page read their options through these same functions.
#include "Sheet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano {

// "1-4,12,20": single types and ascending ranges, each 1..78, in the order given.
std::vector<int> parseTypeList(const std::string& text, std::string& error);
// "2x2", "3x2", "4x2", "2x3", "3x3", "4x3" (rows x columns).
std::optional<LayoutPattern> parseLayout(const std::string& text);
// Decimal digits with at most one leading sign; nothing else, no overflow.
std::optional<long long> parseInteger(const std::string& text);
// Whether text is a whole number as parseInteger reads it but too large (or small) for it.
bool beyondInteger(const std::string& text);
// A seed of the generator: 0 to 18446744073709551615 (all of its 64 bits), decimal digits with
// an optional plus sign.
std::optional<std::uint64_t> parseSeed(const std::string& text);

// Text as it may be echoed in a one-line message: control characters (C0, DEL, C1) and bytes
// that are not UTF-8 are written as \n, \t, \xNN or \u{NN}; everything else is kept.
std::string printable(std::string_view text);

}  // namespace pelkano
