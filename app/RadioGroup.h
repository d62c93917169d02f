#pragma once
// A framed group of radio buttons laid out in columns, with the index of the checked item.
#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace pelkano {

class RadioGroup final : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const;           // -1 when nothing is checked
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

signals:
    void itemIndexChanged(int index);  // another item was checked (by the user or by code)

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void arrange();

    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
    int columns_;
};

}  // namespace pelkano
