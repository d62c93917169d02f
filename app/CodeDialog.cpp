#include "CodeDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelkano {

CodeDialog::CodeDialog(QWidget* parent) : QDialog(parent), code_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CodeDialog"));
    setWindowTitle(QStringLiteral("コードから作る"));
    code_->setObjectName(QStringLiteral("edtCode"));
    code_->setMinimumWidth(280);
    code_->setPlaceholderText(QStringLiteral("例: 6RF8-P0B2-JT"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("作る"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("用紙の下に印刷されたコードを入れてください。\n"
                                                "その用紙を同じ問題でもう一度作り、プレビューに出します。"),
                                 this));
    layout->addWidget(code_);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(code_, &QLineEdit::textChanged, this, [this] { ok_->setEnabled(!code_->text().trimmed().isEmpty()); });
    ok_->setEnabled(false);
}

QString CodeDialog::code() const
{
    return code_->text();
}

QString codeMessage(const DecodedCode& decoded, const QString& typed)
{
    return QString::fromStdString(pelkano::codeMessage(decoded, typed.trimmed().toStdString()));
}

}  // namespace pelkano
