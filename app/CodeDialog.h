#pragma once
// The dialog of "コードから作る…": the code printed at the foot of a sheet, typed in, from which the
// window makes that sheet again; and what the window says when a code cannot be used.
#include "SheetCode.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace pelkano {

class CodeDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CodeDialog(QWidget* parent);
    QString code() const;

private:
    QLineEdit* code_;
    QPushButton* ok_;
};

// Why the typed code cannot be used, in the window's words; empty when it can.
QString codeMessage(const DecodedCode& decoded, const QString& typed);

}  // namespace pelkano
