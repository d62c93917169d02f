#pragma once
// Where the window's messages go: modal warning boxes and the information beep in the program,
// a recorder in tests (a modal box would block a widget test).
#include "Problem.h"

#include <QString>

class QWidget;

namespace pelkano {

class Messages {
public:
    virtual ~Messages() = default;
    // A modal box with a warning icon and an OK button.
    virtual void warning(const QString& title, const QString& text) = 0;
    // The system's information beep.
    virtual void beep() = 0;
};

// The real thing: QMessageBox::warning over the given parent, QApplication::beep.
class BoxMessages final : public Messages {
public:
    explicit BoxMessages(QWidget* parent) : parent_(parent) {}
    void warning(const QString& title, const QString& text) override;
    void beep() override;

private:
    QWidget* parent_;
};

// Generator warnings (a table line with too few fields) shown as a warning box.
class MessageReporter final : public Reporter {
public:
    explicit MessageReporter(Messages*& messages) : messages_(messages) {}
    void warn(const std::string& text) override;

private:
    Messages*& messages_;  // follows the window's current sink
};

}  // namespace pelkano
