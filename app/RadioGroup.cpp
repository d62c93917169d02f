#include "RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QRadioButton>

namespace pelkano {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), columns_(columns < 1 ? 1 : columns)
{
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setStyleSheet(QStringLiteral("QRadioButton { spacing: 1px; }"));  // the captions fit narrow columns
        group_->addButton(b, i);
        buttons_.push_back(b);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
    arrange();
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index < 0 || index >= count()) {
        if (QAbstractButton* checked = group_->checkedButton()) {
            group_->setExclusive(false);
            checked->setChecked(false);
            group_->setExclusive(true);
        }
        return;
    }
    buttons_[static_cast<std::size_t>(index)]->setChecked(true);
}

void RadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    arrange();
}

void RadioGroup::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        arrange();
}

// Items fill the columns top to bottom; rows share the height under the caption, the caption
// line's height plus one pixel from the top, and the columns share the width less a 5-pixel border
// on each side.
void RadioGroup::arrange()
{
    if (buttons_.empty())
        return;
    const int n = count();
    const int perColumn = (n + columns_ - 1) / columns_;
    const int textHeight = QFontMetrics(font()).height();
    const int room = height() - textHeight - 5;
    const int rowHeight = room > 0 ? room / perColumn : textHeight;
    const int top = textHeight + 1 + (room > 0 ? (room % perColumn) / 2 : 0);
    const int columnWidth = (width() - 10) / columns_;
    for (int i = 0; i < n; ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        buttons_[static_cast<std::size_t>(i)]->setGeometry(column * columnWidth + 8, top + row * rowHeight,
                                                           columnWidth, rowHeight);
    }
}

}  // namespace pelkano
