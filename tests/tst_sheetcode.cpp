// The code at the foot of a sheet: every field comes back as it was written, the printed form
// stays what earlier versions printed, a mistyped code is refused (never read as another sheet),
// and reading forgives what a person may type.
#include "SheetCode.h"

#include <QtTest>

#include <climits>

using namespace pelkano;

namespace {

SheetCode codeOf(std::uint64_t seed, std::vector<int> types, int pattern, bool sameMix, long long index, int number,
                 SheetMarks marks = {}, bool balanced = false, bool easyOrder = false)
{
    return {{{seed, std::move(types), static_cast<LayoutPattern>(pattern), sameMix, balanced, easyOrder}, index},
            number,
            marks};
}

// The code of a same-mix set drawn as sets were drawn when it was printed.
SheetCode drawnBefore(SheetCode code)
{
    code.origin.recipe.drawsAsBefore = true;
    return code;
}

std::vector<int> allTypesFromTheEnd()
{
    std::vector<int> types;
    for (int t = 78; t >= 1; --t)
        types.push_back(t);
    return types;
}

}  // namespace

Q_DECLARE_METATYPE(SheetCode)

class TestSheetCode : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<SheetCode>("code");
        QTest::addRow("a window's sheet") << codeOf(812'345'678, {5, 1, 30}, 3, false, 0, 1);
        QTest::addRow("seed 0, one type") << codeOf(0, {17}, 0, false, 0, 0);
        QTest::addRow("seed 1, last layout") << codeOf(1, {78}, 5, true, 1, -1);
        QTest::addRow("largest seed, last sheet") << codeOf(kMaxCodeSeed, {1, 2}, 4, true, kMaxSheetIndex, INT_MAX);
        QTest::addRow("smallest print number") << codeOf(2, {3}, 1, false, 7, INT_MIN);
        QTest::addRow("runs and single types") << codeOf(7, {1, 2, 3, 4, 12, 20, 21, 9}, 2, true, 29, 5);
        QTest::addRow("all 78 from the end") << codeOf(99, allTypesFromTheEnd(), 5, false, 3, 40);
        QTest::addRow("run ending at 78") << codeOf(5, {77, 78, 1}, 3, true, 0, 2);
        QTest::addRow("balanced") << codeOf(7, {47, 48}, 5, true, 3, 9, {}, true);
        QTest::addRow("same mix drawn as before, balanced") << drawnBefore(codeOf(7, {47, 48}, 5, true, 3, 9, {}, true));
        QTest::addRow("easy order") << codeOf(7, {47, 48}, 5, false, 3, 9, {}, false, true);
        QTest::addRow("circled numbers") << codeOf(7, {1}, 0, false, 0, 1, {NumberStyle::Circled});
        QTest::addRow("parenthesized numbers, check")
            << codeOf(7, {1}, 0, false, 0, 1, {NumberStyle::Parenthesized, false, true, false});
        QTest::addRow("header fields") << codeOf(8, {2}, 1, false, 0, 1, {NumberStyle::None, true, false, false});
        QTest::addRow("answer list") << codeOf(8, {2}, 1, false, 0, 1, {NumberStyle::None, false, false, true});
    }
    void roundTrip()
    {
        QFETCH(SheetCode, code);
        const std::string text = encodeSheetCode(code);
        QVERIFY(!text.empty());
        const DecodedCode decoded = decodeSheetCode(text);
        QCOMPARE(decoded.error, CodeError::None);
        QVERIFY(decoded.code == code);
    }

    // Codes already printed must keep naming their sheets: the form of a code never changes.
    void printedForm_data()
    {
        QTest::addColumn<SheetCode>("code");
        QTest::addColumn<QString>("text");
        QTest::addRow("seed 7, types 1-4, 4x3, same mix, sheet 2")
            << drawnBefore(codeOf(7, {1, 2, 3, 4}, 5, true, 1, 2)) << "6RF8-P0B2-JT";
        QTest::addRow("the same set drawn now") << codeOf(7, {1, 2, 3, 4}, 5, true, 1, 2) << "ERF8-P0B0-0K";
        QTest::addRow("a window's sheet") << codeOf(812'345'678, {5, 1, 30}, 3, false, 0, 1) << "5KT1-NPJK-NP20-0789-35";
    }
    void printedForm()
    {
        QFETCH(SheetCode, code);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(encodeSheetCode(code)), text);
    }

    // Every symbol changed to every other, and every pair of neighbours swapped, is refused by
    // the check.
    void mistypedCodesAreRefused_data()
    {
        QTest::addColumn<SheetCode>("code");
        QTest::addRow("short code") << codeOf(7, {1, 2, 3, 4}, 5, true, 1, 2);
        QTest::addRow("long code") << codeOf(812'345'678, {24, 3, 17, 12, 60, 61}, 4, true, 999, 1234);
    }
    void mistypedCodesAreRefused()
    {
        QFETCH(SheetCode, code);
        std::string symbols = encodeSheetCode(code);
        symbols.erase(std::remove(symbols.begin(), symbols.end(), '-'), symbols.end());
        const std::string alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
        int tried = 0;
        for (std::size_t i = 0; i < symbols.size(); ++i) {
            for (char c : alphabet) {
                if (c == symbols[i])
                    continue;
                std::string typed = symbols;
                typed[i] = c;
                QVERIFY2(decodeSheetCode(typed).error == CodeError::CheckFails, typed.c_str());
                ++tried;
            }
            if (i + 1 < symbols.size() && symbols[i] != symbols[i + 1]) {
                std::string typed = symbols;
                std::swap(typed[i], typed[i + 1]);
                QVERIFY2(decodeSheetCode(typed).error == CodeError::CheckFails, typed.c_str());
            }
        }
        QVERIFY(tried > 300);
        for (std::size_t i = 0; i < symbols.size(); ++i) {
            std::string typed = symbols;
            typed.erase(i, 1);
            QVERIFY2(!decodeSheetCode(typed).code, typed.c_str());
        }
    }

    // What a person may type, and what is not a code.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("typed");  // UTF-8
        QTest::addColumn<int>("error");
        QTest::addColumn<SheetCode>("code");     // when read
        QTest::addColumn<QByteArray>("character");  // when refused for it
        const SheetCode set = drawnBefore(codeOf(7, {1, 2, 3, 4}, 5, true, 1, 2));  // 6RF8-P0B2-JT
        const SheetCode ones = codeOf(16, {12, 3}, 4, false, 0, 3);     // 60M4-X1C1-03TN
        const auto read = [](const char* name, const char* typed, const SheetCode& code) {
            QTest::addRow("%s", name) << QByteArray(typed) << int(CodeError::None) << code << QByteArray();
        };
        const auto refused = [](const char* name, const char* typed, CodeError error, const char* character = "") {
            QTest::addRow("%s", name) << QByteArray(typed) << int(error) << SheetCode{} << QByteArray(character);
        };
        read("as printed", "6RF8-P0B2-JT", set);
        read("lower case, no hyphens", "6rf8p0b2jt", set);
        read("blanks for hyphens", " 6RF8 P0B2 JT ", set);
        read("full-width, long vowel mark for a hyphen", "６ＲＦ８ーＰ０Ｂ２－ｊｔ", set);
        read("O for 0, I and l for 1", "6OM4-XIC1-O3TN", ones);
        read("l for 1", "60m4-xlcl-03tn", ones);
        refused("U is no symbol", "6RF8-P0BU-JT", CodeError::BadCharacter, "U");
        refused("kana", "6RF8-あ", CodeError::BadCharacter, "あ");
        refused("not UTF-8", "6RF\xff", CodeError::BadCharacter, "\xff");
        refused("nothing", "", CodeError::Empty);
        refused("hyphens only", " - - ", CodeError::Empty);
        refused("one symbol", "6", CodeError::CheckFails);
        refused("two codes run together", "6RF8-P0B2-JT6RF8-P0B2-JT", CodeError::CheckFails);
    }
    void reading()
    {
        QFETCH(QByteArray, typed);
        QFETCH(int, error);
        QFETCH(SheetCode, code);
        QFETCH(QByteArray, character);
        const DecodedCode decoded = decodeSheetCode(typed.toStdString());
        QCOMPARE(int(decoded.error), error);
        QCOMPARE(decoded.code.has_value(), error == int(CodeError::None));
        if (decoded.code)
            QVERIFY(*decoded.code == code);
        QCOMPARE(QByteArray::fromStdString(decoded.character), character);
    }

    // A sheet's QR code holds its code, or an address that ends in "code=" and the code.
    void codeInQrText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::addRow("the code") << "6RF8-P0B2-JT" << "6RF8-P0B2-JT";
        QTest::addRow("address with the code alone") << "https://example.org/p.html?code=6RF8-P0B2-JT" << "6RF8-P0B2-JT";
        QTest::addRow("code last of several") << "https://example.org/p.html?mode=practice&code=6RF8-P0B2-JT"
                                              << "6RF8-P0B2-JT";
        QTest::addRow("in the fragment") << "https://example.org/p.html#code=6RF8-P0B2-JT" << "6RF8-P0B2-JT";
        QTest::addRow("a parameter ending in code") << "https://example.org/p.html?zipcode=123" << "https://example.org/p.html?zipcode=123";
        QTest::addRow("code= at the start") << "code=6RF8-P0B2-JT" << "code=6RF8-P0B2-JT";
    }
    void codeInQrText()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        const std::string t = text.toStdString();
        QCOMPARE(QString::fromStdString(std::string(pelkano::codeInQrText(t))), code);
    }

    // No code is printed for what no code could make again.
    void unnameableSheets_data()
    {
        QTest::addColumn<SheetCode>("code");
        QTest::addRow("no type") << codeOf(1, {}, 0, false, 0, 1);
        QTest::addRow("type 79") << codeOf(1, {79}, 0, false, 0, 1);
        QTest::addRow("a type twice") << codeOf(1, {3, 4, 3}, 0, false, 0, 1);
        QTest::addRow("sheet 2,000") << codeOf(1, {3}, 0, false, kMaxSheetIndex + 1, 1);
        QTest::addRow("seed 2^63") << codeOf(kMaxCodeSeed + 1, {3}, 0, false, 0, 1);
    }
    void unnameableSheets()
    {
        QFETCH(SheetCode, code);
        QCOMPARE(encodeSheetCode(code), std::string());
    }
};

QTEST_APPLESS_MAIN(TestSheetCode)
#include "tst_sheetcode.moc"
