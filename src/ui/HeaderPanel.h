#pragma once

#include "Panel.h"

class QLineEdit;
class QPushButton;
class Spinner;
struct Enablement;

// The application's name and what it does, the link to the CLI's page, the busy indicator,
// "Refresh" and the filter field.
class HeaderPanel : public Panel
{
    Q_OBJECT

public:
    explicit HeaderPanel(QWidget *parent = nullptr);

    static QString linkAddress();

    // `waitingFor`: what the spinner says it waits for, to a screen reader.
    void setBusy(bool busy, const QString &waitingFor = {});
    void setEnablement(const Enablement &enablement);
    // The filter text as the store holds it; the field is left alone when it already shows it.
    void setSearch(const QString &text);
    void focusFilter();

Q_SIGNALS:
    void refreshRequested();
    void searchEdited(const QString &text);
    // Down in the filter field: on into the list, as in launchers and file pickers.
    void downFromFilter();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Spinner *m_spinner;
    QPushButton *m_refreshButton;
    QLineEdit *m_filterField;
};
