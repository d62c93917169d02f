#pragma once
// The preview area. Its paint event either carries out a drawing that a command asked for at
// once (a new preview with answers, a margin or line-width change without), or, for an ordinary
// repaint, calls the window's repaint handler. It keeps a count of the pages it drew.
#include <QWidget>

#include <functional>
#include <optional>

namespace pelkano {

class PreviewBox final : public QWidget {
    Q_OBJECT
public:
    using DrawPage = std::function<void(QPainter&, bool showAnswers)>;
    using Repaint = std::function<bool(QPainter&)>;  // true when it drew a page

    explicit PreviewBox(QWidget* parent);
    void setHandlers(DrawPage drawPage, Repaint repaint);

    // Draws the page now, as a command does; nothing when the box is not on screen.
    void drawNow(bool showAnswers);

    int pagesDrawn() const { return pagesDrawn_; }
    bool lastShowedAnswers() const { return lastShowedAnswers_; }

signals:
    void pageDrawn(bool showAnswers);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    DrawPage drawPage_;
    Repaint repaint_;
    std::optional<bool> pending_;
    int pagesDrawn_ = 0;
    bool lastShowedAnswers_ = false;
};

}  // namespace pelkano
