#include "Options.h"

#include <algorithm>
#include <charconv>

namespace pelkano::cli {

std::optional<long long> parseInteger(const std::string& text)
{
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!text.empty() && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::vector<int> parseTypeList(const std::string& text, std::string& error)
{
    std::vector<int> types;
    auto bad = [&](const std::string& item) {
        error = "invalid type '" + item + "' (types are 1 to 78, ranges like 1-4)";
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
                error = "type " + std::to_string(t) + " given twice in '" + text + "'";
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
    static const char* const names[kLayoutPatternCount] = {"2x2", "3x2", "4x2", "2x3", "3x3", "4x3"};
    for (int i = 0; i < kLayoutPatternCount; ++i)
        if (text == names[i])
            return static_cast<LayoutPattern>(i);
    return std::nullopt;
}

}  // namespace pelkano::cli
