#include "StatusLineAccessible.h"

#include "DisplayText.h"

#include <QAccessibleWidget>
#include <QLabel>

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

QAccessibleInterface *forStatusLine(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    return label && label->objectName() == "statusLine"_L1 ? new Interface(label) : nullptr;
}

} // namespace

void StatusLineAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(forStatusLine), true);
    Q_UNUSED(installed)
}
