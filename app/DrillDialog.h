#pragma once
// The dialog of "プリントの内容…": what a sheet has besides its problems' types and layout, as a
// drill book's sheet has it: every ticked type evenly, the problems from easy to hard, their
// numbers, the header's fields, the check on the answer sheet and the answer list.
#include "Sheet.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace pelkano {

struct DrillOptions {
    bool balanced = false;   // "型をまんべんなく"
    bool easyOrder = false;  // "やさしい順"
    SheetMarks marks{kDefaultNumberStyle, false, false, false};
    friend bool operator==(const DrillOptions&, const DrillOptions&) = default;
};

class DrillDialog final : public QDialog {
    Q_OBJECT
public:
    DrillDialog(const DrillOptions& options, QWidget* parent);
    DrillOptions options() const;

private:
    QCheckBox* balanced_;
    QCheckBox* easyOrder_;
    QComboBox* numbers_;
    QCheckBox* headerFields_;
    QCheckBox* check_;
    QCheckBox* answerList_;
};

}  // namespace pelkano
