#pragma once

#include <QLayout>
#include <QList>

// Lays its items out left to right and wraps them onto further lines when the width runs out,
// so that a row of buttons or fields stays whole on a narrow or scaled screen instead of being
// cut off. An item that expands sideways (a text field) takes what its line leaves over.
class FlowLayout : public QLayout
{
public:
    // `lineAlignment` places items shorter than their line: Qt::AlignBottom lines fields under
    // captions up with buttons; Qt::AlignVCenter suits controls of one row.
    explicit FlowLayout(int horizontalSpacing, int verticalSpacing, Qt::Alignment lineAlignment = Qt::AlignVCenter);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    void addLayout(QLayout *layout);
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // The height the items need within `rect`; places them there when `place`.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
    int m_horizontalSpacing;
    int m_verticalSpacing;
    Qt::Alignment m_lineAlignment;
};
