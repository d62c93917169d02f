#pragma once
// The code at the foot of a sheet, from which the same sheet is made again: what decides its
// problems (its origin: the set's recipe and the sheet's place in the set) and its print number.
//
// The symbols are the 32 of Crockford's base 32 (0-9 and A-Z without I, L, O and U), shown in
// groups of four joined by hyphens. Reading is forgiving where a person may be: letters in either
// case, O for 0, I and L for 1, full-width forms, and any hyphens and blanks. The last three
// symbols are a 15-bit cyclic check over all the others, so a code with one symbol mistyped, or
// two neighbours swapped, is always refused, never read as another sheet.
#include "Sheet.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelkano {

struct SheetCode {
    SheetOrigin origin;
    int printNumber = 0;
    SheetMarks marks{};  // a code of the first version names the plain sheet
    friend bool operator==(const SheetCode&, const SheetCode&) = default;
};

// Seeds up to this fit a code; a sheet of a larger seed (--seed takes any 64-bit one) has none.
inline constexpr std::uint64_t kMaxCodeSeed = 0x7FFF'FFFF'FFFF'FFFFull;

// "0R7K-3M2X-9B4T-WW5E": the code of a sheet; empty for a sheet that no code can name (no type,
// a type outside 1..78 or twice, an index outside 0..kMaxSheetIndex, a seed above kMaxCodeSeed).
std::string encodeSheetCode(const SheetCode& code);

enum class CodeError {
    None,
    Empty,         // no symbol at all
    BadCharacter,  // a character that no symbol reads as (DecodedCode::character says which)
    CheckFails,    // mistyped: a symbol changed, missing, added, or two swapped
    Newer,         // from a newer version of the program
    Unreadable,    // passes the check but names no sheet
};

struct DecodedCode {
    std::optional<SheetCode> code;  // set when error is None
    CodeError error = CodeError::None;
    std::string character;  // for BadCharacter: the character, as UTF-8
};

// Reads a code as a person may have typed it (UTF-8).
DecodedCode decodeSheetCode(std::string_view text);

// The code that a sheet's QR code holds: the code itself, or an address whose query or fragment
// ends in "code=" and the code ("https://.../pelkano.html?code=6RF8-P0B2-JT"). Returns the text
// from which decodeSheetCode reads the code: what follows the last such "code=", else the text.
std::string_view codeInQrText(std::string_view text);

// Why a typed code makes no sheet, as the window and the page say it (UTF-8); empty when it does.
std::string codeMessage(const DecodedCode& decoded, std::string_view typed);

}  // namespace pelkano
