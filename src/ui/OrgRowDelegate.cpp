#include "OrgRowDelegate.h"

#include "OrgListModel.h"
#include "Theme.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

int OrgRowGeometry::rowHeight(int headlineHeight, int captionHeight)
{
    return kPaddingY + headlineHeight + kLineSpacing + captionHeight + kPaddingY;
}

OrgRowGeometry OrgRowGeometry::layout(const QRect &row, int headlineHeight, int captionHeight,
                                      int nameWidth, const QList<int> &badgeTextWidths)
{
    OrgRowGeometry g;
    const QRect inner = row.adjusted(kPaddingX, kPaddingY, -kPaddingX, -kPaddingY);
    const int firstLineTop = inner.top();
    g.dot = QRect(inner.right() - kDot + 1, firstLineTop + (headlineHeight - kDot) / 2, kDot, kDot);

    int badgesWidth = 0;
    for (const int width : badgeTextWidths)
        badgesWidth += width + 2 * kBadgePadX + kGap;
    // The name takes what the dot and the badges leave, and never less than nothing.
    const int room = g.dot.left() - kGap - inner.left() - badgesWidth;
    g.name = QRect(inner.left(), firstLineTop, std::clamp(nameWidth, 0, std::max(room, 0)), headlineHeight);
    const int badgeHeight = std::min(headlineHeight, captionHeight + 2 * kBadgePadY);
    int left = g.name.right() + 1 + kGap;
    for (const int width : badgeTextWidths) {
        g.badges << QRect(left, firstLineTop + (headlineHeight - badgeHeight) / 2, width + 2 * kBadgePadX, badgeHeight);
        g.badgeTexts << g.badges.last().adjusted(kBadgePadX, 0, -kBadgePadX, 0);
        left = g.badges.last().right() + 1 + kGap;
    }
    g.subtitle = QRect(inner.left(), firstLineTop + headlineHeight + kLineSpacing, inner.width(),
                       captionHeight);
    return g;
}

namespace {

QFont headlineFont(const QStyleOptionViewItem &option)
{
    return Theme::font(Theme::TextStyle::Headline, option.font);
}

QFont captionFont(const QStyleOptionViewItem &option, Theme::Emphasis emphasis = Theme::Emphasis::None)
{
    return Theme::font(Theme::TextStyle::Caption, option.font, emphasis);
}

} // namespace

QSize OrgRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int height = OrgRowGeometry::rowHeight(QFontMetrics(headlineFont(option)).height(),
                                                 QFontMetrics(captionFont(option)).height());
    return {200, height};
}

void OrgRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The style's own selection and hover background, and nothing else of its default drawing.
    opt.text.clear();
    opt.icon = {};
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (opt.state & QStyle::State_Active)                               ? QPalette::Active
                                                                            : QPalette::Inactive;
    const QColor text = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor secondaryText = text;
    secondaryText.setAlphaF(selected ? 0.8 : 0.62);

    const QFont headline = headlineFont(opt), caption = captionFont(opt);
    const QFont badgeFont = captionFont(opt, Theme::Emphasis::Semibold);
    const QFontMetrics headlineMetrics(headline), captionMetrics(caption), badgeMetrics(badgeFont);
    const QString name = index.data(Qt::DisplayRole).toString();
    // Every badge that applies, warnings first.
    struct Badge
    {
        QString label;
        bool warning;
    };
    QList<Badge> badges;
    if (index.data(OrgListModel::IsUnreachableRole).toBool())
        badges.append({tr("unreachable"), true});
    if (const QString expiring = index.data(OrgListModel::ExpiryMarkRole).toString(); !expiring.isEmpty())
        badges.append({expiring, true});
    if (index.data(OrgListModel::IsDefaultRole).toBool())
        badges.append({tr("default"), false});
    // Widths rounded up: a rectangle the width of the rounded-down advance would elide the text.
    auto widthOf = [](const QFont &font, const QString &s) {
        return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(s))) + 1;
    };
    QList<int> badgeWidths;
    for (const Badge &badge : std::as_const(badges))
        badgeWidths << widthOf(badgeFont, badge.label);
    const OrgRowGeometry g = OrgRowGeometry::layout(opt.rect, headlineMetrics.height(), captionMetrics.height(),
                                                    widthOf(headline, name), badgeWidths);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(text);
    painter->setFont(headline);
    painter->drawText(g.name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      headlineMetrics.elidedText(name, Qt::ElideRight, g.name.width()));

    painter->setFont(badgeFont);
    for (qsizetype i = 0; i < badges.size(); ++i) {
        QColor fill = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Highlight);
        if (badges[i].warning)
            fill = Theme::warningOrange(opt.palette);
        fill.setAlphaF(selected ? 0.25 : 0.18);
        const QRect &rect = g.badges[i];
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(rect), rect.height() / 2.0, rect.height() / 2.0);
        painter->fillPath(capsule, fill);
        painter->drawText(g.badgeTexts[i], Qt::AlignCenter | Qt::TextSingleLine, badges[i].label);
    }

    // Green or orange only for what the check found; neutral while it runs (a ring) or when it failed.
    const int dot = index.data(OrgListModel::DotRole).toInt();
    painter->setPen(dot == OrgListModel::checkingDot ? QPen(secondaryText, 1.5) : QPen(Qt::NoPen));
    painter->setBrush(dot == OrgListModel::connectedDot  ? QBrush(Theme::connectedGreen(opt.palette))
                          : dot == OrgListModel::disconnectedDot ? QBrush(Theme::warningOrange(opt.palette))
                          : dot == OrgListModel::unknownDot      ? QBrush(secondaryText)
                                                                 : QBrush(Qt::NoBrush));
    const qreal inset = dot == OrgListModel::checkingDot ? 0.75 : 0; // the ring's pen inside the dot
    painter->drawEllipse(QRectF(g.dot).adjusted(inset, inset, -inset, -inset));

    painter->setPen(secondaryText);
    painter->setFont(caption);
    const QString subtitle = index.data(OrgListModel::SubtitleRole).toString();
    painter->drawText(g.subtitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      captionMetrics.elidedText(subtitle, Qt::ElideRight, g.subtitle.width()));

    // Where the keyboard is, also on the selected row, whose fill alone looks the same focused or not.
    if (opt.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(selected ? text : opt.palette.color(group, QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(opt.rect).adjusted(2, 2, -2, -2), 4, 4);
    }
    painter->restore();
}
