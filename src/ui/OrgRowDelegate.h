#pragma once

#include <QList>
#include <QRect>
#include <QStyledItemDelegate>

// Where the parts of one org row go: plain geometry, kept apart from painting.
struct OrgRowGeometry
{
    QRect name;
    QList<QRect> badges, badgeTexts; // after the name, in the order asked

    QRect dot;
    QRect subtitle;

    static constexpr int kPaddingX = 10;
    static constexpr int kPaddingY = 7;
    static constexpr int kLineSpacing = 5;
    static constexpr int kDot = 9;
    static constexpr int kBadgePadX = 6;
    static constexpr int kBadgePadY = 2;
    static constexpr int kGap = 8;

    static int rowHeight(int headlineHeight, int captionHeight);
    // `nameWidth` and `badgeTextWidths` are the text widths wanted, one a badge.
    static OrgRowGeometry layout(const QRect &row, int headlineHeight, int captionHeight,
                                 int nameWidth, const QList<int> &badgeTextWidths);
};

// Paints an org row from the model's roles: display name, a capsule for each of "unreachable",
// a scratch org's near expiry and "default", the status dot and the one-line subtitle, with the style's selection and hover
// backgrounds.
class OrgRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
