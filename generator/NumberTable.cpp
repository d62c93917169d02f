#include "NumberTable.h"

#include <charconv>
#include <stdexcept>

namespace pelkano {

NumberTable splitLines(std::string_view bytes)
{
    // A line ends at CR LF, at a lone LF or at a lone CR.
    NumberTable lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

NumberTables NumberTables::load()
{
    NumberTables t;
    t.d4247 = splitLines(embeddedD4247());
    t.d5053 = splitLines(embeddedD5053());
    t.counts4247 = {89, 36, 11, 7, 4, 1};
    t.counts5053 = {74, 72, 23, 5};
    return t;
}

int CommaField(std::string_view line, int index, Reporter& reporter)
{
    std::size_t commas = 0;
    for (char c : line)
        if (c == ',')
            ++commas;
    if (static_cast<long long>(commas) + 1 < index) {
        reporter.warn(kCommaFieldWarning);
        return -1;
    }
    for (int i = 1; i < index; ++i)
        line.remove_prefix(line.find(',') + 1);
    const std::string_view field = line.substr(0, line.find(','));
    int value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size() || field.empty())
        throw std::invalid_argument("'" + std::string(field) + "' is not a valid integer value");
    return value;
}

DivisionProblem drawTablePair(const NumberTable& table, std::span<const int> counts, int segment,
                              RandomSource& random, Reporter& reporter)
{
    int first = 0;
    for (int i = 0; i < segment; ++i)
        first += counts[static_cast<std::size_t>(i)];
    const int k = random.R(counts[static_cast<std::size_t>(segment)]);
    const std::string& line = table.at(static_cast<std::size_t>(first + k));
    const int divisor = CommaField(line, 1, reporter);
    const int m = random.R(CommaField(line, 2, reporter)) + 1;
    return {CommaField(line, m + 2, reporter), divisor};
}

}  // namespace pelkano
