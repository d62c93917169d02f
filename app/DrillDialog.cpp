#include "DrillDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace pelkano {

namespace {

QCheckBox* box(const QString& text, const char* name, const QString& tip, bool on, QWidget* parent)
{
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setChecked(on);
    return b;
}

}  // namespace

DrillDialog::DrillDialog(const DrillOptions& o, QWidget* parent)
    : QDialog(parent),
      balanced_(box(QStringLiteral("型をまんべんなく"), "chkBalanced",
                    QStringLiteral("チェックした型を、問題数の許すかぎり同じ数ずつ出します（残りはくじ引き）"), o.balanced, this)),
      easyOrder_(box(QStringLiteral("やさしい順に並べる"), "chkEasyOrder",
                     QStringLiteral("型分けのページの順（やさしい型から）に問題を並べます"), o.easyOrder, this)),
      numbers_(new QComboBox(this)),
      headerFields_(box(QStringLiteral("月日・名前・点の欄"), "chkHeaderFields",
                        QStringLiteral("見出しに日付、名前、点数を書く欄をつけます"), o.marks.headerFields, this)),
      check_(box(QStringLiteral("検算を答えに書く"), "chkCheck",
                 QStringLiteral("答えの用紙で、図の下に「43×203+36=8765」のような検算を書きます"), o.marks.check, this)),
      answerList_(box(QStringLiteral("答えの一覧をつける"), "chkAnswerList",
                      QStringLiteral("答えの用紙の後に、番号と商とあまりだけの一覧をつけます"), o.marks.answerList, this))
{
    setWindowTitle(QStringLiteral("プリントの内容"));
    numbers_->setObjectName(QStringLiteral("cbNumbers"));
    // In the order of NumberStyle.
    numbers_->addItems({QStringLiteral("なし"), QStringLiteral("①②③…"), QStringLiteral("(1)(2)(3)…")});
    numbers_->setCurrentIndex(static_cast<int>(o.marks.numbers));
    auto* form = new QFormLayout(this);
    form->addRow(QString(), balanced_);
    form->addRow(QString(), easyOrder_);
    form->addRow(QStringLiteral("問題番号"), numbers_);
    form->addRow(QString(), headerFields_);
    form->addRow(QString(), check_);
    form->addRow(QString(), answerList_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

DrillOptions DrillDialog::options() const
{
    DrillOptions o;
    o.balanced = balanced_->isChecked();
    o.easyOrder = easyOrder_->isChecked();
    const int numbers = numbers_->currentIndex();
    o.marks.numbers = static_cast<NumberStyle>(numbers >= 0 && numbers < kNumberStyleCount ? numbers : 0);
    o.marks.headerFields = headerFields_->isChecked();
    o.marks.check = check_->isChecked();
    o.marks.answerList = answerList_->isChecked();
    return o;
}

}  // namespace pelkano
