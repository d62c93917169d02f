#include "Messages.h"

#include "Conversions.h"

#include <QApplication>
#include <QMessageBox>

namespace pelkano {

void BoxMessages::warning(const QString& title, const QString& text)
{
    QMessageBox::warning(parent_, title, text);
}

void BoxMessages::beep()
{
    QApplication::beep();
}

void MessageReporter::warn(const std::string& text)
{
    messages_->warning(kWarningTitle, QString::fromStdString(text));
}

}  // namespace pelkano
