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

// The row's colours, from the palette group its state picks.
struct RowColors
{
    bool selected;
    QPalette::ColorGroup group;
    QColor text;
    QColor secondaryText;

    static RowColors of(const QStyleOptionViewItem &opt)
    {
        RowColors c;
        c.selected = opt.state & QStyle::State_Selected;
        c.group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (opt.state & QStyle::State_Active)       ? QPalette::Active
                                                       : QPalette::Inactive;
        c.text = opt.palette.color(c.group, c.selected ? QPalette::HighlightedText : QPalette::Text);
        c.secondaryText = c.text;
        c.secondaryText.setAlphaF(c.selected ? 0.8 : 0.62);
        return c;
    }
};

struct RowFonts
{
    explicit RowFonts(const QStyleOptionViewItem &opt)
        : headline(headlineFont(opt))
        , caption(captionFont(opt))
        , badge(captionFont(opt, Theme::Emphasis::Semibold))
    {
    }

    QFont headline, caption, badge;
};

struct Badge
{
    QString label;
    bool warning;
};

// Every badge that applies, warnings first.
QList<Badge> badgesOf(const QModelIndex &index)
{
    QList<Badge> badges;
    if (index.data(OrgListModel::IsUnreachableRole).toBool())
        badges.append({OrgRowDelegate::tr("unreachable"), true});
    if (const QString expiring = index.data(OrgListModel::ExpiryMarkRole).toString(); !expiring.isEmpty())
        badges.append({expiring, true});
    if (index.data(OrgListModel::IsDefaultRole).toBool())
        badges.append({OrgRowDelegate::tr("default"), false});
    return badges;
}

// Widths rounded up: a rectangle the width of the rounded-down advance would elide the text.
int widthOf(const QFont &font, const QString &s)
{
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(s))) + 1;
}

OrgRowGeometry layoutRow(const QRect &row, const RowFonts &fonts, const QString &name, const QList<Badge> &badges)
{
    QList<int> badgeWidths;
    for (const Badge &badge : badges)
        badgeWidths << widthOf(fonts.badge, badge.label);
    return OrgRowGeometry::layout(row, QFontMetrics(fonts.headline).height(), QFontMetrics(fonts.caption).height(),
                                  widthOf(fonts.headline, name), badgeWidths);
}

// The style's own selection and hover background, and nothing else of its default drawing.
void drawBackground(QPainter *painter, QStyleOptionViewItem opt)
{
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    opt.text.clear();
    opt.icon = {};
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
}

void drawName(QPainter *painter, const RowColors &colors, const QFont &headline, const QRect &rect, const QString &name)
{
    painter->setPen(colors.text);
    painter->setFont(headline);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QFontMetrics(headline).elidedText(name, Qt::ElideRight, rect.width()));
}

void drawBadges(QPainter *painter, const QStyleOptionViewItem &opt, const RowColors &colors, const QFont &badgeFont,
                const QList<Badge> &badges, const OrgRowGeometry &g)
{
    painter->setFont(badgeFont);
    for (qsizetype i = 0; i < badges.size(); ++i) {
        QColor fill = opt.palette.color(colors.group, colors.selected ? QPalette::HighlightedText : QPalette::Highlight);
        if (badges[i].warning)
            fill = Theme::warningOrange(opt.palette);
        fill.setAlphaF(colors.selected ? 0.25 : 0.18);
        const QRect &rect = g.badges[i];
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(rect), rect.height() / 2.0, rect.height() / 2.0);
        painter->fillPath(capsule, fill);
        painter->drawText(g.badgeTexts[i], Qt::AlignCenter | Qt::TextSingleLine, badges[i].label);
    }
}

// Green or orange only for what the check found; neutral while it runs (a ring) or when it failed.
// On the selection's fill a colour may barely show: there the dot has a rim in the row's text colour.
void drawDot(QPainter *painter, const QPalette &palette, const RowColors &colors, int dot, const QRect &rect)
{
    const bool checking = dot == OrgListModel::checkingDot;
    painter->setPen(checking ? QPen(colors.secondaryText, 1.5) : colors.selected ? QPen(colors.text, 1.5) : QPen(Qt::NoPen));
    painter->setBrush(dot == OrgListModel::connectedDot  ? QBrush(Theme::connectedGreen(palette))
                          : dot == OrgListModel::disconnectedDot ? QBrush(Theme::warningOrange(palette))
                          : dot == OrgListModel::unknownDot      ? QBrush(colors.secondaryText)
                                                                 : QBrush(Qt::NoBrush));
    const qreal inset = checking || colors.selected ? 0.75 : 0; // the pen inside the dot
    painter->drawEllipse(QRectF(rect).adjusted(inset, inset, -inset, -inset));
}

void drawSubtitle(QPainter *painter, const RowColors &colors, const QFont &caption, const QRect &rect, const QString &subtitle)
{
    painter->setPen(colors.secondaryText);
    painter->setFont(caption);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QFontMetrics(caption).elidedText(subtitle, Qt::ElideRight, rect.width()));
}

// Where the keyboard is, also on the selected row, whose fill alone looks the same focused or not.
void drawFocus(QPainter *painter, const QStyleOptionViewItem &opt, const RowColors &colors)
{
    painter->setPen(QPen(colors.selected ? colors.text : opt.palette.color(colors.group, QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(opt.rect).adjusted(2, 2, -2, -2), 4, 4);
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
    drawBackground(painter, opt);

    const RowColors colors = RowColors::of(opt);
    const RowFonts fonts(opt);
    const QString name = index.data(Qt::DisplayRole).toString();
    const QList<Badge> badges = badgesOf(index);
    const OrgRowGeometry g = layoutRow(opt.rect, fonts, name, badges);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    drawName(painter, colors, fonts.headline, g.name, name);
    drawBadges(painter, opt, colors, fonts.badge, badges, g);
    drawDot(painter, opt.palette, colors, index.data(OrgListModel::DotRole).toInt(), g.dot);
    drawSubtitle(painter, colors, fonts.caption, g.subtitle, index.data(OrgListModel::SubtitleRole).toString());
    if (opt.state & QStyle::State_HasFocus)
        drawFocus(painter, opt, colors);
    painter->restore();
}
