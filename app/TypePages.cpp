#include "TypePages.h"

#include "Sheet.h"

#include <cstdio>
#include <string>

namespace pelkano {

const std::array<TypePage, kTypePageCount>& typePages()
{
    static const std::array<TypePage, kTypePageCount> pages{{
        {3, 22, {{1, 16, 32}, {2, 100, 32}, {3, 176, 32}, {4, 256, 32}, {5, 328, 32},
                 {6, 16, 148}, {7, 100, 148}, {8, 176, 148}, {9, 256, 148}, {10, 328, 148}}},
        {3, 14, {{11, 13, 22}, {12, 92, 22}, {13, 170, 22}, {14, 245, 22}, {15, 325, 22},
                 {16, 13, 160}, {17, 92, 160}, {18, 170, 160}, {19, 245, 160}, {20, 325, 160}}},
        {7, 30, {{21, 12, 36}, {22, 90, 36}, {23, 168, 36}, {24, 248, 36}, {25, 328, 36},
                 {26, 12, 164}, {27, 90, 164}, {28, 168, 164}, {29, 248, 164}, {30, 328, 164}}},
        {7, 25, {{31, 12, 38}, {32, 90, 38}, {33, 168, 38}, {34, 245, 38}, {35, 325, 38},
                 {36, 12, 150}, {37, 90, 150}, {38, 168, 150}, {39, 245, 150}, {40, 325, 150}}},
        {3, 22, {{41, 13, 30}, {42, 103, 30}, {43, 202, 30}, {44, 295, 30},
                 {45, 13, 150}, {46, 103, 150}, {47, 202, 150}, {48, 295, 150}}},
        {7, 26, {{49, 23, 40}, {50, 109, 40}, {51, 209, 40}, {52, 304, 40},
                 {53, 23, 168}, {54, 109, 168}, {55, 209, 168}, {56, 304, 168}}},
        {4, 7, {{57, 26, 28}, {58, 114, 28}, {59, 212, 28}, {60, 304, 28},
                {61, 26, 150}, {62, 114, 150}, {63, 210, 150}, {64, 304, 150}}},
        {4, 7, {{65, 12, 20}, {66, 108, 20}, {67, 205, 20}, {68, 299, 20},
                {69, 12, 171}, {70, 108, 172}, {71, 205, 172}, {72, 299, 172}}},
        {4, 7, {{73, 34, 12}, {74, 142, 12}, {75, 260, 12}, {76, 40, 176}, {77, 142, 176}, {78, 260, 176}}},
    }};
    return pages;
}

const char* typePageTitle(int page)
{
    static constexpr std::array<const char*, kTypePageCount> titles{
        "型分け①", "型分け②", "型分け③", "型分け④", "型分け⑤", "型分け⑥", "型分け⑦", "型分け⑧", "型分け⑨"};
    return titles.at(static_cast<std::size_t>(page - 1));
}

int boxNumberOfType(int type)
{
    return typeDifficultyRank(type);
}

int typeOfBoxNumber(int box)
{
    return box <= 74 ? box + 4 : box - 74;
}

const char* typeBoxCaption(int type)
{
    static const std::array<std::string, kTypeBoxCount + 1> captions = [] {
        std::array<std::string, kTypeBoxCount + 1> c;
        for (int t = 1; t <= kTypeBoxCount; ++t) {
            // two places: a one-digit number is preceded by a space (" 5", "15")
            char text[8];
            std::snprintf(text, sizeof text, "%2d", t);
            c[static_cast<std::size_t>(t)] = text;
        }
        return c;
    }();
    return captions.at(static_cast<std::size_t>(type)).c_str();
}

const char* picturePath(int page)
{
    static constexpr std::array<const char*, kTypePageCount> paths{
        ":/pictures/page1.jpg", ":/pictures/page2.jpg", ":/pictures/page3.jpg",
        ":/pictures/page4.jpg", ":/pictures/page5.jpg", ":/pictures/page6.jpg",
        ":/pictures/page7.jpg", ":/pictures/page8.jpg", ":/pictures/page9.jpg"};
    return paths.at(static_cast<std::size_t>(page - 1));
}

}  // namespace pelkano
