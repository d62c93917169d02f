#pragma once
// Reading UTF-8, by one rule for every text the program reads, checks or lays out.
#include <cstddef>
#include <string_view>

namespace pelkano {

// The length (1 to 4) of the well-formed UTF-8 sequence at text[i], its code point in `code`;
// 0 for a byte that does not begin one: a continuation byte, an overlong form, a surrogate, a
// code point past U+10FFFF, or a sequence cut short.
inline std::size_t utf8SequenceAt(std::string_view text, std::size_t i, char32_t& code)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

// The code points of a UTF-8 text, each with its place and length; a byte that is not part of
// a well-formed sequence is U+FFFD, one byte long.
template <typename Each>
void forEachCodePoint(std::string_view text, Each each)
{
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = utf8SequenceAt(text, i, code);
        if (length == 0) {
            each(U'\uFFFD', i, std::size_t{1});
            ++i;
            continue;
        }
        each(code, i, length);
        i += length;
    }
}

}  // namespace pelkano
