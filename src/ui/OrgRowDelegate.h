#pragma once

#include <QRect>
#include <QStyledItemDelegate>

// Where the parts of one org row go; plain geometry, kept apart from painting so it can be
// tested.
struct OrgRowGeometry
{
    QRect name;
    QRect badge; // empty without a badge ("default" or "unreachable")
    QRect badgeText;
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
    // `nameWidth` and `badgeTextWidth` are the text widths wanted; 0 badge width: no badge.
    static OrgRowGeometry layout(const QRect &row, int headlineHeight, int captionHeight,
                                 int nameWidth, int badgeTextWidth);
};

// Paints an org row from the model's roles: display name, the "default" or "unreachable"
// capsule, the status dot and the one-line subtitle, with the style's selection and hover
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
