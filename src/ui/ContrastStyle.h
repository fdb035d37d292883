#pragma once

#include <QProxyStyle>

// Fusion as it is, with the edges it draws too faintly made readable: a check box's box and a
// text field's frame stand out from the panel (3:1) in dark palettes too, where Fusion draws them
// a shade off the background; a focused button shows a ring in its text's colour besides Fusion's
// one-pixel outline, which is lost on a filled button.
class ContrastStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit ContrastStyle(const QString &baseStyle);

    // Puts itself over the application's style where that is Fusion (the default on Linux, and
    // what qt6ct wraps unless told otherwise); other styles draw their own edges.
    static void install();

    // A field's placeholder is the only label some fields show: as readable as text (4.5:1).
    void polish(QPalette &palette) override;
    using QProxyStyle::polish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
