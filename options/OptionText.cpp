#include "OptionText.h"

#include "SheetOptions.h"
#include "TypeRules.h"
#include "Utf8.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace pelkano {

namespace {

std::string hexByte(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned>(byte));
    return text;
}

}  // namespace

std::optional<long long> parseInteger(const std::string& text)
{
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    // from_chars reads a minus sign itself; a plus sign is stepped over, and a sign after it is
    // not a digit.
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end || *begin == '+' || (*begin == '-' && begin != text.data()))
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool beyondInteger(const std::string& text)
{
    const std::size_t start = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (start == text.size() || parseInteger(text))
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint64_t> parseSeed(const std::string& text)
{
    std::uint64_t value = 0;
    const char* begin = text.data() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    if (begin == end || *begin < '0' || *begin > '9')
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::vector<int> parseTypeList(const std::string& text, std::string& error)
{
    std::vector<int> types;
    auto bad = [&](const std::string& item) {
        error = "invalid type '" + printable(item) + "' (types are 1 to 78, ranges like 1-4)";
        return std::vector<int>{};
    };
    if (text.empty())
        return bad(text);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-', 1);
        const auto first = parseInteger(dash == std::string::npos ? item : item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : parseInteger(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *last > kTypeCount || *first > *last)
            return bad(item);
        for (long long t = *first; t <= *last; ++t) {
            // A ticked type is in the list once; a second mention would double its share.
            if (std::find(types.begin(), types.end(), t) != types.end()) {
                error = "type " + std::to_string(t) + " given twice in '" + printable(text) + "'";
                return {};
            }
            types.push_back(static_cast<int>(t));
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return types;
}

std::optional<LayoutPattern> parseLayout(const std::string& text)
{
    for (int i = 0; i < kLayoutPatternCount; ++i)
        if (text == layoutName(static_cast<LayoutPattern>(i)))
            return static_cast<LayoutPattern>(i);
    return std::nullopt;
}

std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += hexByte(byte);
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            char32_t code = 0;
            const std::size_t length = utf8SequenceAt(text, i, code);
            if (length == 0) {
                out += hexByte(byte);
            } else {
                if (code >= 0x80 && code <= 0x9F) {
                    char escaped[12];
                    std::snprintf(escaped, sizeof escaped, "\\u{%02X}", static_cast<unsigned>(code));
                    out += escaped;
                } else {
                    out.append(text.substr(i, length));
                }
                i += length;
                continue;
            }
        }
        ++i;
    }
    return out;
}

}  // namespace pelkano
