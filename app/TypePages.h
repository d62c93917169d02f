#pragma once
// Where the nine type pictures and the 78 type check boxes sit on the tab pages. Positions are
// pixels within a page; a box sits on the top-left corner of its type's template in the picture.
#include <array>
#include <vector>

namespace pelkano {

struct BoxPlace {
    int type;
    int left;
    int top;
};

struct TypePage {
    int pictureLeft;
    int pictureTop;
    std::vector<BoxPlace> boxes;
};

inline constexpr int kTypePageCount = 9;
inline constexpr int kTypeBoxCount = 78;
inline constexpr int kTypeBoxWidth = 44;   // a check mark and a two-digit caption
inline constexpr int kTypeBoxHeight = 17;

const std::array<TypePage, kTypePageCount>& typePages();

// "型分け①" ... "型分け⑨"
const char* typePageTitle(int page);  // page 1..9

// The check box number (1..78) of a type, and back: boxes 1..74 carry types 5..78, boxes 75..78
// carry types 1..4.
int boxNumberOfType(int type);
int typeOfBoxNumber(int box);

// The caption of a type's box: a one-digit number gets a leading blank (" 5", "15").
const char* typeBoxCaption(int type);

// The resource path of page k's picture, ":/pictures/pageK.jpg".
const char* picturePath(int page);

}  // namespace pelkano
