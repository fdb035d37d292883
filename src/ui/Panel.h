#pragma once

#include <QWidget>

// An area of the window: a translucent, palette-derived fill clipped to a rounded rectangle.
class Panel : public QWidget
{
    Q_OBJECT

public:
    explicit Panel(QWidget *parent = nullptr);

    static constexpr qreal kRadius = 10;

protected:
    void paintEvent(QPaintEvent *event) override;
};
