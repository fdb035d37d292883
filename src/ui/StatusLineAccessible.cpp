#include "StatusLineAccessible.h"

#include "DisplayText.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace {

class Interface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit Interface(QLabel *label) : QAccessibleWidget(label, QAccessible::StatusBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? shown() : QAccessibleWidget::text(t); }

    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return int(shown().size()); }
    // Read-only and not navigated by a caret of its own: the reader's own review cursor moves.
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = *end = 0;
        return {};
    }

private:
    QString shown() const { return DisplayText::withoutWrapPoints(static_cast<QLabel *>(widget())->text()); }
};

// What the status line says, as a notification inside it: Orca speaks one that shows, wherever the
// keyboard is (a status bar's new name it speaks only when the status bar has the keyboard).
class Announcer : public QAccessibleWidget
{
public:
    explicit Announcer(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->property(kAnnouncement).toString() : QAccessibleWidget::text(t);
    }
    static constexpr char kAnnouncement[] = "announcement";
};

QAccessibleInterface *forStatusLine(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object); label && label->objectName() == "statusLine"_L1)
        return new Interface(label);
    if (auto *widget = qobject_cast<QWidget *>(object); widget && widget->objectName() == "statusAnnouncer"_L1)
        return new Announcer(widget);
    return nullptr;
}

} // namespace

void StatusLineAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(forStatusLine), true);
    Q_UNUSED(installed)
}

QWidget *StatusLineAccessible::announcer(QWidget *statusLine)
{
    auto *announcer = new QWidget; // named before it has a parent: its interface is made then
    announcer->setObjectName(u"statusAnnouncer"_s);
    announcer->setParent(statusLine);
    announcer->hide();
    return announcer;
}

void StatusLineAccessible::announce(QWidget *announcer, const QString &text)
{
    announcer->setProperty(Announcer::kAnnouncement, text);
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent named(announcer, QAccessible::NameChanged); // the bridge keeps the name it was told
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent shown(announcer, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
