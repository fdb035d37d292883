#include "FlowLayout.h"

#include <QWidget>

#include <algorithm>

namespace {

QSize preferred(const QLayoutItem *item)
{
    return item->sizeHint().expandedTo(item->minimumSize()).boundedTo(item->maximumSize());
}

// Expands sideways and has room to.
bool grows(const QLayoutItem *item)
{
    return item->expandingDirections().testFlag(Qt::Horizontal) && item->maximumSize().width() > preferred(item).width();
}

struct Line
{
    QList<QLayoutItem *> items;
    int width = 0; // preferred widths and the spacing between them
    int height = 0;
};

} // namespace

FlowLayout::FlowLayout(int horizontalSpacing, int verticalSpacing, Qt::Alignment lineAlignment)
    : m_horizontalSpacing(horizontalSpacing)
    , m_verticalSpacing(verticalSpacing)
    , m_lineAlignment(lineAlignment)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem *item) { m_items.append(item); }

void FlowLayout::addLayout(QLayout *layout)
{
    addChildLayout(layout);
    addItem(layout);
}

int FlowLayout::count() const { return static_cast<int>(m_items.size()); }

QLayoutItem *FlowLayout::itemAt(int index) const { return m_items.value(index); }

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    const bool expands = std::any_of(m_items.cbegin(), m_items.cend(), [](const QLayoutItem *item) {
        return !item->isEmpty() && grows(item);
    });
    return expands ? Qt::Horizontal : Qt::Orientations();
}

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

// As narrow as its widest item: everything else goes onto further lines.
QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

// Everything on one line.
QSize FlowLayout::sizeHint() const
{
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = preferred(item);
        width += size.width() + (shown++ > 0 ? m_horizontalSpacing : 0);
        height = std::max(height, size.height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int room = std::max(area.width(), 0);
    QList<Line> lines;
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = preferred(item);
        if (lines.isEmpty() || (!lines.last().items.isEmpty() && lines.last().width + m_horizontalSpacing + size.width() > room))
            lines.append(Line());
        Line &line = lines.last();
        line.width += (line.items.isEmpty() ? 0 : m_horizontalSpacing) + size.width();
        line.height = std::max(line.height, size.height());
        line.items.append(item);
    }
    int y = area.top();
    for (const Line &line : std::as_const(lines)) {
        if (place) {
            // What the line leaves over goes to the items that expand sideways, evenly; an item
            // wider than the room alone on its line is narrowed to it, never below its minimum.
            const auto expanding = std::count_if(line.items.cbegin(), line.items.cend(), grows);
            int spare = room - line.width;
            int x = area.left();
            for (QLayoutItem *item : line.items) {
                QSize size = preferred(item);
                if (spare < 0 && line.items.size() == 1) {
                    size.setWidth(std::max(room, item->minimumSize().width()));
                } else if (spare > 0 && grows(item)) {
                    const int share = spare / static_cast<int>(expanding);
                    size.setWidth(std::min(size.width() + share, item->maximumSize().width()));
                }
                const int height = std::min(line.height, item->maximumSize().height());
                size.setHeight(item->hasHeightForWidth() ? item->heightForWidth(size.width()) : std::min(size.height(), height));
                int top = y;
                if (m_lineAlignment.testFlag(Qt::AlignBottom))
                    top = y + line.height - size.height();
                else if (m_lineAlignment.testFlag(Qt::AlignVCenter))
                    top = y + (line.height - size.height()) / 2;
                item->setGeometry(QRect(QPoint(x, top), size));
                x += size.width() + m_horizontalSpacing;
            }
        }
        y += line.height + m_verticalSpacing;
    }
    if (!lines.isEmpty())
        y -= m_verticalSpacing;
    return y - area.top() + contentsMargins().top() + contentsMargins().bottom();
}
