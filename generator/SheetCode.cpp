#include "SheetCode.h"

#include "TypeRules.h"
#include "Utf8.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

namespace pelkano {

namespace {

// The fields, in this order, most significant bit first:
//   version (3 bits, 1 to 4), layout pattern (3), same mix (1),
//   in versions 2 and 4: balanced (1), easy order (1), number style (2), header fields (1), check (1),
//   answer list (1);
//   seed: its bit length L (6), then its L - 1 bits below the leading one,
//   sheet index (Exp-Golomb), print number (zigzag, then Exp-Golomb),
//   types: the count of runs less one (Exp-Golomb), then each run of consecutive ascending types
//   as its first type less one (7), whether it goes on (1) and, if so, last - first - 1
//   (Exp-Golomb); then zero bits up to a whole symbol with the check, and the check (15).
// A plain sheet of an unbalanced set in random order is written in version 1, as before there
// was anything else to say; every other sheet in version 2. A sheet of a same-mix set drawn as sets
// are drawn now is written in version 3 or 4 instead, with the fields of version 1 or 2; versions
// 1 and 2 name a same-mix set drawn as before (SetRecipe::drawsAsBefore).
constexpr unsigned kVersion = 4;
constexpr int kCheckBits = 15;
constexpr char kSymbols[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr int kGroup = 4;

using Bits = std::vector<bool>;

void put(Bits& bits, std::uint64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i)
        bits.push_back(((value >> i) & 1u) != 0);
}

// n >= 0 as n + 1 in binary after as many zeros as it has bits less one.
void putExpGolomb(Bits& bits, std::uint64_t n)
{
    const std::uint64_t v = n + 1;
    const int width = std::bit_width(v);
    put(bits, 0, width - 1);
    put(bits, v, width);
}

// The CRC-15 of the CAN bus (x^15 + x^14 + x^10 + x^8 + x^7 + x^4 + x^3 + 1): every burst of up
// to 15 bits is found, so every changed symbol and every pair of neighbours swapped. It starts
// from all ones, so that symbols added in front or a code typed twice do not pass either.
unsigned check(const Bits& bits, std::size_t length)
{
    unsigned crc = 0x7FFFu;
    for (std::size_t i = 0; i < length; ++i) {
        const bool feedback = (((crc >> 14) & 1u) != 0) != bits[i];
        crc = (crc << 1) & 0x7FFFu;
        if (feedback)
            crc ^= 0x4599u;
    }
    return crc;
}

class Reader {
public:
    explicit Reader(const Bits& bits, std::size_t end) : bits_(bits), end_(end) {}
    bool failed() const { return failed_; }

    std::uint64_t get(int width)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            if (at_ >= end_) {
                failed_ = true;
                return 0;
            }
            v = (v << 1) | (bits_[at_++] ? 1u : 0u);
        }
        return v;
    }

    std::uint64_t getExpGolomb()
    {
        int zeros = 0;
        while (at_ < end_ && !bits_[at_]) {
            ++at_;
            if (++zeros > 62) {
                failed_ = true;
                return 0;
            }
        }
        const std::uint64_t v = get(zeros + 1);
        return failed_ ? 0 : v - 1;
    }

private:
    const Bits& bits_;
    std::size_t end_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

std::uint64_t zigzag(long long n)
{
    return n >= 0 ? static_cast<std::uint64_t>(n) << 1 : ((static_cast<std::uint64_t>(-(n + 1))) << 1) | 1u;
}

long long unzigzag(std::uint64_t z)
{
    const auto half = static_cast<long long>(z >> 1);
    return (z & 1u) != 0 ? -half - 1 : half;
}

// Whether the types can be named: 1..78, none twice, at least one.
bool nameableTypes(const std::vector<int>& types)
{
    if (types.empty() || types.size() > static_cast<std::size_t>(kTypeCount))
        return false;
    std::vector<bool> seen(kTypeCount + 1, false);
    for (int t : types) {
        if (t < 1 || t > kTypeCount || seen[static_cast<std::size_t>(t)])
            return false;
        seen[static_cast<std::size_t>(t)] = true;
    }
    return true;
}

bool nameable(const SheetCode& code)
{
    const SetRecipe& r = code.origin.recipe;
    const int pattern = static_cast<int>(r.pattern);
    const int numbers = static_cast<int>(code.marks.numbers);
    return nameableTypes(r.types) && numbers >= 0 && numbers < kNumberStyleCount && pattern >= 0 && pattern < kLayoutPatternCount && r.seed <= kMaxCodeSeed &&
           code.origin.index >= 0 && code.origin.index <= kMaxSheetIndex;
}

// The symbols of a code (values 0..31), without the hyphens.
std::vector<int> symbolsOf(const SheetCode& code)
{
    const SetRecipe& r = code.origin.recipe;
    Bits bits;
    const bool plain = !r.balanced && !r.easyOrder && code.marks == SheetMarks{};
    put(bits, (plain ? 1 : 2) + (r.sameMix && !r.drawsAsBefore ? 2 : 0), 3);
    put(bits, static_cast<unsigned>(r.pattern), 3);
    put(bits, r.sameMix ? 1 : 0, 1);
    if (!plain) {
        put(bits, r.balanced ? 1 : 0, 1);
        put(bits, r.easyOrder ? 1 : 0, 1);
        put(bits, static_cast<unsigned>(code.marks.numbers), 2);
        put(bits, code.marks.headerFields ? 1 : 0, 1);
        put(bits, code.marks.check ? 1 : 0, 1);
        put(bits, code.marks.answerList ? 1 : 0, 1);
    }
    const int length = std::bit_width(r.seed);
    put(bits, static_cast<unsigned>(length), 6);
    if (length > 1)
        put(bits, r.seed, length - 1);
    putExpGolomb(bits, static_cast<std::uint64_t>(code.origin.index));
    putExpGolomb(bits, zigzag(code.printNumber));

    std::vector<std::pair<int, int>> runs;  // first, last
    for (int t : r.types) {
        if (!runs.empty() && runs.back().second + 1 == t)
            runs.back().second = t;
        else
            runs.push_back({t, t});
    }
    putExpGolomb(bits, runs.size() - 1);
    for (const auto& [first, last] : runs) {
        put(bits, static_cast<unsigned>(first - 1), 7);
        put(bits, last > first ? 1 : 0, 1);
        if (last > first)
            putExpGolomb(bits, static_cast<std::uint64_t>(last - first - 1));
    }
    while ((bits.size() + kCheckBits) % 5 != 0)
        bits.push_back(false);
    put(bits, check(bits, bits.size()), kCheckBits);

    std::vector<int> symbols;
    for (std::size_t i = 0; i < bits.size(); i += 5) {
        int v = 0;
        for (std::size_t k = 0; k < 5; ++k)
            v = (v << 1) | (bits[i + k] ? 1 : 0);
        symbols.push_back(v);
    }
    return symbols;
}

// What a typed character stands for: a symbol's value, kSkip for a separator, or kBad.
constexpr int kSkip = -1;
constexpr int kBad = -2;

int symbolValue(long c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)  // full-width forms of ASCII
        c -= 0xFEE0;
    if (c == ' ' || c == '\t' || c == '-' || c == 0x3000 || (c >= 0x2010 && c <= 0x2015) || c == 0x2212 ||
        c == 0x30FC || c == 0xFF70)
        return kSkip;
    if (c >= 'a' && c <= 'z')
        c -= 'a' - 'A';
    if (c == 'O')
        c = '0';
    if (c == 'I' || c == 'L')
        c = '1';
    for (int v = 0; v < 32; ++v)
        if (kSymbols[v] == c)
            return v;
    return kBad;
}

}  // namespace

std::string encodeSheetCode(const SheetCode& code)
{
    if (!nameable(code))
        return {};
    const std::vector<int> symbols = symbolsOf(code);
    std::string text;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (i > 0 && i % kGroup == 0)
            text += '-';
        text += kSymbols[symbols[i]];
    }
    return text;
}

DecodedCode decodeSheetCode(std::string_view text)
{
    DecodedCode result;
    std::vector<int> symbols;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = utf8SequenceAt(text, i, c);
        const int v = length == 0 ? kBad : symbolValue(c);
        if (v == kBad) {
            result.error = CodeError::BadCharacter;
            result.character = std::string(text.substr(i, std::max<std::size_t>(length, 1)));
            return result;
        }
        if (v != kSkip)
            symbols.push_back(v);
        i += length;
    }
    if (symbols.empty()) {
        result.error = CodeError::Empty;
        return result;
    }

    Bits bits;
    for (int v : symbols)
        put(bits, static_cast<unsigned>(v), 5);
    if (bits.size() <= static_cast<std::size_t>(kCheckBits)) {
        result.error = CodeError::CheckFails;
        return result;
    }
    const std::size_t body = bits.size() - kCheckBits;
    unsigned written = 0;
    for (std::size_t i = body; i < bits.size(); ++i)
        written = (written << 1) | (bits[i] ? 1u : 0u);
    if (written != check(bits, body)) {
        result.error = CodeError::CheckFails;
        return result;
    }

    Reader in(bits, body);
    const std::uint64_t version = in.get(3);
    if (version > kVersion) {
        result.error = CodeError::Newer;
        return result;
    }
    SheetCode code;
    SetRecipe& r = code.origin.recipe;
    result.error = CodeError::Unreadable;
    const std::uint64_t pattern = in.get(3);
    r.sameMix = in.get(1) != 0;
    r.drawsAsBefore = r.sameMix && version < 3;
    std::uint64_t numbers = 0;
    if (version % 2 == 0) {
        r.balanced = in.get(1) != 0;
        r.easyOrder = in.get(1) != 0;
        numbers = in.get(2);
        code.marks.headerFields = in.get(1) != 0;
        code.marks.check = in.get(1) != 0;
        code.marks.answerList = in.get(1) != 0;
    }
    const auto length = static_cast<int>(in.get(6));
    r.seed = length == 0 ? 0 : (std::uint64_t{1} << (length - 1)) | (length > 1 ? in.get(length - 1) : 0);
    const std::uint64_t index = in.getExpGolomb();
    const long long number = unzigzag(in.getExpGolomb());
    const std::uint64_t runs = in.getExpGolomb() + 1;
    if (in.failed() || version == 0 || numbers >= static_cast<unsigned>(kNumberStyleCount) || pattern >= static_cast<unsigned>(kLayoutPatternCount) ||
        index > static_cast<std::uint64_t>(kMaxSheetIndex) || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max() || runs > static_cast<std::uint64_t>(kTypeCount))
        return result;
    r.pattern = static_cast<LayoutPattern>(pattern);
    code.marks.numbers = static_cast<NumberStyle>(numbers);
    code.origin.index = static_cast<long long>(index);
    code.printNumber = static_cast<int>(number);
    for (std::uint64_t k = 0; k < runs; ++k) {
        const auto first = static_cast<long long>(in.get(7)) + 1;
        const bool goesOn = in.get(1) != 0;
        const long long last = goesOn ? first + 1 + static_cast<long long>(std::min<std::uint64_t>(in.getExpGolomb(), kTypeCount)) : first;
        if (in.failed() || last > kTypeCount)
            return result;
        for (long long t = first; t <= last; ++t)
            r.types.push_back(static_cast<int>(t));
    }
    // Only a code exactly as it is printed names a sheet: the fields use every bit but the
    // padding, and the padding is zero.
    if (in.failed() || !nameable(code) || symbolsOf(code) != symbols)
        return result;
    result.code = std::move(code);
    result.error = CodeError::None;
    return result;
}

std::string_view codeInQrText(std::string_view text)
{
    constexpr std::string_view key = "code=";
    for (std::size_t at = text.rfind(key); at != std::string_view::npos && at > 0;
         at = text.rfind(key, at - 1)) {
        const char before = text[at - 1];
        if (before == '?' || before == '&' || before == '#')
            return text.substr(at + key.size());
    }
    return text;
}

std::string codeMessage(const DecodedCode& decoded, std::string_view typed)
{
    const std::size_t first = typed.find_first_not_of(" \t\r\n");
    const std::size_t last = typed.find_last_not_of(" \t\r\n");
    const std::string shown = first == std::string_view::npos ? std::string() : std::string(typed.substr(first, last - first + 1));
    switch (decoded.error) {
    case CodeError::None:
        return {};
    case CodeError::Empty:
        return "コードを入れてください。";
    case CodeError::BadCharacter:
        return "「" + decoded.character + "」はコードに使われない文字です。用紙の下のコードを確かめてください。";
    case CodeError::CheckFails:
        return "コード「" + shown + "」は正しくありません。打ち間違いや抜けている文字がないか確かめてください。";
    case CodeError::Newer:
        return "コード「" + shown + "」は、新しい版で作られた用紙のものです。";
    case CodeError::Unreadable:
        break;
    }
    return "コード「" + shown + "」から作れる用紙はありません。";
}

}  // namespace pelkano
