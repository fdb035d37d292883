#pragma once

#include "Panel.h"

class QLabel;
class QLineEdit;
class QPushButton;
class Spinner;

// The application's name and what it does, the link to the CLI's page, the busy indicator,
// "Refresh" and the filter field.
class HeaderPanel : public Panel
{
    Q_OBJECT

public:
    explicit HeaderPanel(QWidget *parent = nullptr);

    static QString linkAddress();

    QLabel *title;
    QLabel *subtitle;
    Spinner *spinner;
    QPushButton *siteButton;
    QPushButton *refreshButton;
    QLineEdit *filterField;
};
