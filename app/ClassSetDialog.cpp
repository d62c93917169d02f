#include "ClassSetDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace pelkano {

ClassSetDialog::ClassSetDialog(int printNumber, QWidget* parent)
    : QDialog(parent),
      fileEdit_(new QLineEdit(defaultFileName(printNumber), this)),
      browse_(new QPushButton(QStringLiteral("参照…"), this)),
      sheets_(new QSpinBox(this)),
      answers_(new QComboBox(this)),
      print_(new QCheckBox(QStringLiteral("ファイルに保存しないで印刷する"), this)),
      tentative_(new QCheckBox(QStringLiteral("仮商を答えに書く"), this)),
      sameMix_(new QCheckBox(QStringLiteral("どの用紙も同じ型の組み合わせ"), this)),
      sameSet_(new QCheckBox(QStringLiteral("同じセットをもう一度"), this)),
      newSetText_(QStringLiteral("プリント番号 %1 から、1枚ごとに新しい問題で作ります。").arg(printNumber))
{
    setObjectName(QStringLiteral("ClassSetDialog"));
    setWindowTitle(QStringLiteral("PDF保存"));
    fileEdit_->setObjectName(QStringLiteral("edtFileName"));
    fileEdit_->setMinimumWidth(320);
    browse_->setObjectName(QStringLiteral("btnBrowse"));
    sheets_->setObjectName(QStringLiteral("spnSheets"));
    sheets_->setRange(1, kMaxClassSetSheets);
    sheets_->setValue(1);
    sheets_->setSuffix(QStringLiteral(" 枚"));
    answers_->setObjectName(QStringLiteral("cbAnswers"));
    answers_->addItems({QStringLiteral("なし"), QStringLiteral("各問題用紙の後"), QStringLiteral("最後にまとめて")});
    print_->setObjectName(QStringLiteral("chkPrint"));
    tentative_->setObjectName(QStringLiteral("chkTentative"));
    sameMix_->setObjectName(QStringLiteral("chkSameMix"));
    sameSet_->setObjectName(QStringLiteral("chkSameSet"));
    sameSet_->setVisible(false);
    sameMix_->setToolTip(QStringLiteral("2枚目からも1枚目と同じ型の問題を同じ数ずつ出し、前の用紙と同じ問題はなるべく出しません"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(browse_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ファイル名"), fileRow);
    form->addRow(QStringLiteral("枚数"), sheets_);
    form->addRow(QStringLiteral("答えの用紙"), answers_);
    form->addRow(QString(), sameSet_);
    form->addRow(QString(), sameMix_);
    form->addRow(QString(), print_);
    form->addRow(QString(), tentative_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* layout = new QVBoxLayout(this);
    what_ = new QLabel(newSetText_, this);
    layout->addWidget(what_);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &ClassSetDialog::chooseFile);
    connect(print_, &QCheckBox::toggled, this, &ClassSetDialog::updateControls);
    connect(fileEdit_, &QLineEdit::textChanged, this, &ClassSetDialog::updateControls);
    connect(sameSet_, &QCheckBox::toggled, this, [this](bool same) {
        if (same) {
            sheetsAsked_ = sheets_->value();
            sheets_->setValue(sameSet_->property("sheets").toInt());
        } else {
            sheets_->setValue(sheetsAsked_);
        }
        updateControls();
    });
    updateControls();
}

QString ClassSetDialog::defaultFileName(int printNumber)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("わり算_No%1.pdf").arg(printNumber));
}

ClassSetRequest ClassSetDialog::request() const
{
    ClassSetRequest r;
    r.fileName = fileEdit_->text().trimmed();
    r.sheets = sheets_->value();
    r.answers = static_cast<AnswerSheets>(answers_->currentIndex());
    r.print = print_->isChecked();
    r.sameMix = sameMix_->isChecked();
    r.sameSet = !sameSetText_.isEmpty() && sameSet_->isChecked();
    return r;
}

void ClassSetDialog::setTentative(bool on)
{
    tentative_->setChecked(on);
}

bool ClassSetDialog::tentative() const
{
    return tentative_->isChecked();
}

void ClassSetDialog::setRequest(const ClassSetRequest& request)
{
    fileEdit_->setText(request.fileName);
    sheets_->setValue(request.sheets);
    answers_->setCurrentIndex(static_cast<int>(request.answers));
    print_->setChecked(request.print);
    sameMix_->setChecked(request.sameMix);
    sameSet_->setChecked(request.sameSet && !sameSetText_.isEmpty());
}

void ClassSetDialog::keepMix(bool sameMix)
{
    sameMix_->setChecked(sameMix);
    mixKept_ = true;
    updateControls();
}

void ClassSetDialog::offerSameSet(int firstNumber, int sheets)
{
    sameSet_->setProperty("sheets", sheets);
    sameSetText_ = sheets > 1 ? QStringLiteral("プリント番号 %1〜%2 の%3枚を、前と同じ問題でもう一度作ります。")
                                    .arg(firstNumber)
                                    .arg(firstNumber + sheets - 1)
                                    .arg(sheets)
                              : QStringLiteral("プリント番号 %1 の用紙を、前と同じ問題でもう一度作ります。").arg(firstNumber);
    sameSet_->setToolTip(sameSetText_);
    sameSet_->setVisible(true);
}

void ClassSetDialog::chooseFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("PDFファイルの保存先"), fileEdit_->text(),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!file.isEmpty())
        fileEdit_->setText(file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? file
                                                                                      : file + QStringLiteral(".pdf"));
}

void ClassSetDialog::updateControls()
{
    const bool toFile = !print_->isChecked();
    fileEdit_->setEnabled(toFile);
    browse_->setEnabled(toFile);
    ok_->setText(toFile ? QStringLiteral("保存") : QStringLiteral("印刷"));
    ok_->setEnabled(!toFile || !fileEdit_->text().trimmed().isEmpty());
    const bool same = sameSet_->isChecked();
    sheets_->setEnabled(!same);
    sameMix_->setEnabled(!same && !mixKept_);
    what_->setText(same ? sameSetText_ : newSetText_);
}

}  // namespace pelkano
