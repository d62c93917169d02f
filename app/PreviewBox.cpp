#include "PreviewBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace pelkano {

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PreviewBox::setHandlers(DrawPage drawPage, Repaint repaint)
{
    drawPage_ = std::move(drawPage);
    repaint_ = std::move(repaint);
}

void PreviewBox::drawNow(bool showAnswers)
{
    if (!isVisible())
        return;
    pending_ = showAnswers;
    repaint();
    pending_.reset();
}

void PreviewBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    bool drew = false;
    bool answers = false;
    if (pending_) {
        answers = *pending_;
        pending_.reset();
        if (drawPage_) {
            drawPage_(painter, answers);
            drew = true;
        }
    } else if (repaint_) {
        drew = repaint_(painter);
        answers = true;
    }
    if (drew) {
        ++pagesDrawn_;
        lastShowedAnswers_ = answers;
        emit pageDrawn(answers);
    }
}

void PreviewBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

}  // namespace pelkano
