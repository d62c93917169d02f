#include "TypeRules.h"

namespace pelkano {

namespace {

using R = RemainderKind;

// Read off each type's rule: the digit counts of dividend, divisor and quotient, the remainder,
// the quotient's places that the rule makes 0, and the lowerings of the tentative quotient.
// Columns: dividend digits from, to; divisor digits; quotient digits; remainder; zeros;
// corrections; from nine.
const std::array<TypeDescription, kTypeCount> kDescriptions{{
    {1, 1, 1, 1, RemainderKind::Either, QuotientZeros::None, -1, false},  // 1
    {1, 1, 1, 0, RemainderKind::Some, QuotientZeros::None, -1, false},  // 2
    {1, 2, 1, 1, RemainderKind::None, QuotientZeros::None, -1, false},  // 3
    {1, 2, 1, 1, RemainderKind::Some, QuotientZeros::None, -1, false},  // 4
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 5
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false},  // 6
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 7
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 8
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false},  // 9
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 10
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::Ones, -1, false},  // 11
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 12
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false},  // 13
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 14
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 15
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false},  // 16
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 17
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 18
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false},  // 19
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 20
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false},  // 21
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 22
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false},  // 23
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false},  // 24
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 25
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Ones, -1, false},  // 26
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 27
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Ones, -1, false},  // 28
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false},  // 29
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Tens, -1, false},  // 30
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false},  // 31
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false},  // 32
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Tens, -1, false},  // 33
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::TensAndOnes, -1, false},  // 34
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::TensAndOnes, -1, false},  // 35
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 36
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false},  // 37
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 38
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 39
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false},  // 40
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false},  // 41
    {3, 3, 1, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 42
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false},  // 43
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 44
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::Ones, -1, false},  // 45
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 0, false},  // 46
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 1, false},  // 47
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 2, false},  // 48
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 3, false},  // 49
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 4, false},  // 50
    {2, 2, 2, 1, RemainderKind::Some, QuotientZeros::None, 5, false},  // 51
    {2, 2, 2, 0, RemainderKind::Some, QuotientZeros::None, -1, false},  // 52
    {1, 1, 2, 0, RemainderKind::Either, QuotientZeros::None, -1, false},  // 53
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 0, false},  // 54
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 1, false},  // 55
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 2, false},  // 56
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 3, false},  // 57
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 0, true},  // 58
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 1, true},  // 59
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 2, true},  // 60
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 3, true},  // 61
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 62
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 63
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::Ones, -1, false},  // 64
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::Ones, -1, false},  // 65
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::None, -1, false},  // 66
    {4, 4, 2, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 67
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false},  // 68
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false},  // 69
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::TensAndOnes, -1, false},  // 70
    {4, 4, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 71
    {4, 4, 2, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false},  // 72
    {5, 5, 2, 4, RemainderKind::Either, QuotientZeros::None, -1, false},  // 73
    {3, 3, 3, 1, RemainderKind::Either, QuotientZeros::None, -1, false},  // 74
    {4, 4, 3, 1, RemainderKind::Either, QuotientZeros::None, -1, false},  // 75
    {4, 4, 3, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 76
    {5, 5, 3, 2, RemainderKind::Either, QuotientZeros::None, -1, false},  // 77
    {5, 5, 3, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false},  // 78
}};

}  // namespace

const TypeDescription& typeDescription(int type)
{
    if (type < 1 || type > kTypeCount)
        throw UnsupportedType("division type " + std::to_string(type) + " does not exist");
    return kDescriptions[static_cast<std::size_t>(type - 1)];
}

std::string typeDescriptionText(int type)
{
    const TypeDescription& d = typeDescription(type);
    std::string text = std::to_string(d.dividendDigitsMin);
    if (d.dividendDigitsMax != d.dividendDigitsMin)
        text += "〜" + std::to_string(d.dividendDigitsMax);
    text += "けた÷" + std::to_string(d.divisorDigits) + "けた　";
    switch (d.remainder) {
    case R::None:
        text += "あまりなし";
        break;
    case R::Some:
        text += "あまりあり";
        break;
    case R::Either:
        text += "あまりあり／なし";
        break;
    }
    text += d.quotientDigits == 0 ? std::string("　商は0") : "　商は" + std::to_string(d.quotientDigits) + "けた";
    switch (d.zeros) {
    case QuotientZeros::None:
        break;
    case QuotientZeros::Ones:
        text += "で一の位が0";
        break;
    case QuotientZeros::Tens:
        text += "で十の位が0";
        break;
    case QuotientZeros::TensAndOnes:
        text += "で十の位と一の位が0";
        break;
    }
    if (d.corrections >= 0) {
        text += d.fromNine ? "　仮商9から" : "　仮商";
        text += d.corrections == 0 ? std::string(d.fromNine ? "修正なし" : "の修正なし")
                                   : (d.fromNine ? "" : "を") + std::to_string(d.corrections) + "回修正";
    }
    return text;
}

}  // namespace pelkano
