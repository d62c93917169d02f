#include "TypeRules.h"

namespace pelkano {

namespace {

using R = RemainderKind;

// Read off each type's rule: the digit counts of dividend, divisor and quotient, the remainder,
// the quotient's places that the rule makes 0, and the lowerings of the tentative quotient; then
// what tells the type from the others of the same counts (which step is exact, where a remainder
// is left, which digit is divided on its own, how long the products are), and a problem of the
// type. Columns: dividend digits from, to; divisor digits; quotient digits; remainder; zeros;
// corrections; from nine; the rest; example.
const std::array<TypeDescription, kTypeCount> kDescriptions{{
    {1, 1, 1, 1, RemainderKind::Either, QuotientZeros::None, -1, false, "わられる数がわる数以上の1けた", {7, 3}},  // 1
    {1, 1, 1, 0, RemainderKind::Some, QuotientZeros::None, -1, false, "わられる数がわる数より小さい", {3, 5}},  // 2
    {1, 2, 1, 1, RemainderKind::None, QuotientZeros::None, -1, false, "九九の答えをわる", {24, 6}},  // 3
    {1, 2, 1, 1, RemainderKind::Some, QuotientZeros::None, -1, false, "九九の答えにあまりを足した数をわる", {26, 7}},  // 4
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "十の位であまりが出て、一の位の積が2けた", {86, 7}},  // 5
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false, "十の位であまりが出て、一の位の積が2けた", {72, 3}},  // 6
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "十の位であまりが出て、一の位の積が1けた", {71, 3}},  // 7
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "十の位がわり切れ、一の位だけをわる", {86, 4}},  // 8
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false, "十の位も一の位もそれぞれわり切れる", {63, 3}},  // 9
    {2, 2, 1, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false, "十の位がわり切れ、一の位がわる数より小さい", {62, 3}},  // 10
    {2, 2, 1, 2, RemainderKind::None, QuotientZeros::Ones, -1, false, "十の位がわり切れ、一の位が0", {60, 3}},  // 11
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十・一の位の積が2けた", {857, 7}},  // 12
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十・一の位の積が2けた", {854, 7}},  // 13
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十の位の積が2けた、一の位の積が1けた", {850, 7}},  // 14
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十の位の積が1けた、一の位の積が2けた", {713, 3}},  // 15
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十の位の積が1けた、一の位の積が2けた", {714, 3}},  // 16
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百・十の位であまりが出て、十・一の位の積が1けた", {701, 3}},  // 17
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百の位であまりが出て、十の位でわり切れ、一の位だけをわる", {729, 2}},  // 18
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false, "百の位であまりが出て、十の位でわり切れ、一の位だけをわる", {726, 3}},  // 19
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百の位がわり切れ、十の位だけをわってあまりが出て、一の位の積は1けたか2けた", {637, 2}},  // 20
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false, "百の位がわり切れ、十の位だけをわってあまりが出る", {632, 2}},  // 21
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百の位がわり切れ、十の位だけをわってあまりが出て、一の位の積が1けた", {370, 3}},  // 22
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::None, -1, false, "百の位も十の位もそれぞれわり切れ、一の位だけをわる", {487, 2}},  // 23
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::None, -1, false, "百・十・一の位がそれぞれわり切れる", {693, 3}},  // 24
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false, "百の位であまりが出て、十の位でわり切れ、一の位がわる数より小さい", {721, 2}},  // 25
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Ones, -1, false, "百の位であまりが出て、十の位でわり切れ、一の位が0", {720, 3}},  // 26
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false, "百の位も十の位もそれぞれわり切れ、一の位がわる数より小さい", {841, 2}},  // 27
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Ones, -1, false, "百の位も十の位もそれぞれわり切れ、一の位が0", {840, 4}},  // 28
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false, "百の位がわり切れ、十の位はわる数より小さく、下2けたをわる積が2けた", {629, 6}},  // 29
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Tens, -1, false, "百の位がわり切れ、十の位はわる数より小さく、下2けたがわり切れる", {624, 3}},  // 30
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false, "百の位がわり切れ、十の位が1で、下2けたをわる積が1けた", {611, 3}},  // 31
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::Tens, -1, false, "百の位がわり切れ、十の位が0で、一の位だけをわる", {805, 2}},  // 32
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::Tens, -1, false, "百の位がわり切れ、十の位が0で、一の位だけをわる", {804, 4}},  // 33
    {3, 3, 1, 3, RemainderKind::Some, QuotientZeros::TensAndOnes, -1, false, "百の位がわり切れ、十の位が0で、一の位がわる数より小さい", {803, 4}},  // 34
    {3, 3, 1, 3, RemainderKind::None, QuotientZeros::TensAndOnes, -1, false, "百の位がわり切れ、十の位と一の位が0", {600, 3}},  // 35
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "上2けたからわり、十・一の位の積が2けた", {159, 6}},  // 36
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false, "上2けたからわり、十・一の位の積が2けた", {144, 6}},  // 37
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "上2けたからわり、十の位の積が2けたであまり1、一の位の積が1けた", {130, 3}},  // 38
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "百の位が1で、十の位の積が1けた、一の位の積が2けた", {124, 7}},  // 39
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false, "百の位が1で、十の位の積が1けた、一の位の積が2けた", {126, 7}},  // 40
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::None, -1, false, "100から107を3か9でわる", {101, 3}},  // 41
    {3, 3, 1, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "上2けたがわり切れ、一の位がわる数より大きい", {127, 3}},  // 42
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::None, -1, false, "上2けたがわり切れ、一の位だけをわってわり切れる", {126, 6}},  // 43
    {3, 3, 1, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false, "上2けたがわり切れ、一の位がわる数より小さい", {121, 4}},  // 44
    {3, 3, 1, 2, RemainderKind::None, QuotientZeros::Ones, -1, false, "上2けたがわり切れ、一の位が0", {120, 4}},  // 45
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 0, false, "", {89, 39}},  // 46
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 1, false, "", {80, 42}},  // 47
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 2, false, "", {74, 13}},  // 48
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 3, false, "", {60, 16}},  // 49
    {2, 2, 2, 1, RemainderKind::Either, QuotientZeros::None, 4, false, "", {80, 17}},  // 50
    {2, 2, 2, 1, RemainderKind::Some, QuotientZeros::None, 5, false, "", {92, 19}},  // 51
    {2, 2, 2, 0, RemainderKind::Some, QuotientZeros::None, -1, false, "わられる数がわる数より小さく、その半分以上", {40, 67}},  // 52
    {1, 1, 2, 0, RemainderKind::Either, QuotientZeros::None, -1, false, "", {5, 31}},  // 53
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 0, false, "", {168, 79}},  // 54
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 1, false, "", {130, 36}},  // 55
    {3, 3, 2, 1, RemainderKind::Either, QuotientZeros::None, 2, false, "", {143, 24}},  // 56
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 3, false, "", {161, 27}},  // 57
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 0, true, "", {203, 22}},  // 58
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 1, true, "", {150, 17}},  // 59
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 2, true, "", {116, 16}},  // 60
    {3, 3, 2, 1, RemainderKind::Some, QuotientZeros::None, 3, true, "", {103, 17}},  // 61
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "1回目のあまりが1けたで、2回目は2けたの数をわる", {361, 30}},  // 62
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "1回目のあまりが2けたで、2回目は3けたの数をわる", {595, 39}},  // 63
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::Ones, -1, false, "上2けたをわったあまりが1けたで、一の位には商が立たない", {459, 22}},  // 64
    {3, 3, 2, 2, RemainderKind::Either, QuotientZeros::Ones, -1, false, "上2けたがわり切れ、一の位がそのままあまり", {449, 22}},  // 65
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::None, -1, false, "1回目のあまりが20以上、2回目のあまりが2けた", {5826, 33}},  // 66
    {4, 4, 2, 3, RemainderKind::Some, QuotientZeros::Ones, -1, false, "1回目のあまりが20以上、2回目のあまりが1けたで、一の位には商が立たない", {5945, 37}},  // 67
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false, "上2けたであまりが出て、十の位には商が立たず、一の位の積が3けた", {4118, 39}},  // 68
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false, "上2けたがわり切れ、下2けたがわる数より大きい", {3398, 33}},  // 69
    {4, 4, 2, 3, RemainderKind::Either, QuotientZeros::TensAndOnes, -1, false, "上2けたがわり切れ、下2けたがそのままあまり", {3519, 35}},  // 70
    {4, 4, 2, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "上2けたがわる数より小さく、1回目のあまりが21以上", {1586, 27}},  // 71
    {4, 4, 2, 2, RemainderKind::Some, QuotientZeros::Ones, -1, false, "上2けたがわる数より小さく、1回目のあまりが出て、一の位には商が立たない", {1633, 40}},  // 72
    {5, 5, 2, 4, RemainderKind::Either, QuotientZeros::None, -1, false, "2回目から4回目の積が3けた", {46624, 25}},  // 73
    {3, 3, 3, 1, RemainderKind::Either, QuotientZeros::None, -1, false, "あまりは2けたまで", {357, 136}},  // 74
    {4, 4, 3, 1, RemainderKind::Either, QuotientZeros::None, -1, false, "上3けたがわる数より小さく、積が4けた", {2134, 271}},  // 75
    {4, 4, 3, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "1回目のあまりが10以上", {3025, 190}},  // 76
    {5, 5, 3, 2, RemainderKind::Either, QuotientZeros::None, -1, false, "上3けたがわる数より小さく、2回とも積が4けた", {13240, 192}},  // 77
    {5, 5, 3, 3, RemainderKind::Either, QuotientZeros::Tens, -1, false, "1回目のあまりが2けたで、十の位には商が立たず、一の位の積が4けた", {41990, 402}},  // 78
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
    if (*d.steps != '\0')
        text.append("　").append(d.steps);
    text.append("　例 ").append(std::to_string(d.example.dividend)).append("÷").append(std::to_string(d.example.divisor));
    return text;
}

}  // namespace pelkano
