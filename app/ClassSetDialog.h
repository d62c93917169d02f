#pragma once
// The dialog of "PDF保存…": one PDF file (or one print job) of several sheets, each with new
// problems, with or without their answer sheets.
#include "PageOutput.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace pelkano {

inline constexpr int kMaxClassSetSheets = 1000;

struct ClassSetRequest {
    QString fileName;  // the PDF to write; unused when printing
    int sheets = 1;    // 1 .. kMaxClassSetSheets
    AnswerSheets answers = AnswerSheets::None;
    bool print = false;  // to the printer chosen in 印刷設定 instead of a file
    // Every sheet after the first with as many problems of each type as the first, and problems of
    // earlier sheets again only where a type has too few.
    bool sameMix = false;
    // The last set made again, with its problems and print numbers, instead of a new one: the
    // sheet count and the mix are that set's.
    bool sameSet = false;
};

class ClassSetDialog final : public QDialog {
    Q_OBJECT
public:
    ClassSetDialog(int printNumber, QWidget* parent);
    ClassSetRequest request() const;
    // "仮商を答えに書く": the window's setting, shown and changed here too.
    void setTentative(bool on);
    bool tentative() const;
    // Shows the choices of an earlier request.
    void setRequest(const ClassSetRequest& request);
    // The previewed sheet was made from a code and is not the first of its set: the set goes on
    // as it was made, so the same-mix option shows how it was and cannot be changed.
    void keepMix(bool sameMix);
    // Offers "同じセットをもう一度": the last set, `sheets` sheets from print number `firstNumber`.
    void offerSameSet(int firstNumber, int sheets);

    // わり算_No<n>.pdf in the user's documents folder, or in the home folder when there is none.
    static QString defaultFileName(int printNumber);

private:
    void chooseFile();
    void updateControls();

    QLineEdit* fileEdit_;
    QPushButton* browse_;
    QSpinBox* sheets_;
    QComboBox* answers_;
    QCheckBox* print_;
    QCheckBox* tentative_;
    QCheckBox* sameMix_;
    QCheckBox* sameSet_;
    QLabel* what_ = nullptr;
    QString newSetText_;
    QString sameSetText_;
    int sheetsAsked_ = 1;  // the count before "同じセットをもう一度" showed the last set's
    bool mixKept_ = false;
    QPushButton* ok_;
};

}  // namespace pelkano
