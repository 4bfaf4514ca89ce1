#include "ui/common/DialogKeys.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

class KeysFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeysFilter(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("DialogKeys"));
        window->installEventFilter(this);
    }

    QPointer<QWidget> first;
    QPointer<QPushButton> button;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show)
            focusFirst();
        else if (event->type() == QEvent::KeyPress)
            return pressDefault(static_cast<QKeyEvent*>(event));
        return false;
    }

private:
    void focusFirst()
    {
        if (first.isNull() || !first->isEnabled() || !first->isVisibleTo(m_window))
            return;
        // Before the window is active this names the widget that takes the
        // keys once it is.
        first->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(first.data()))
            edit->selectAll();
    }

    // A dialog presses its default button itself; another window gets the
    // same from here, for an Enter that none of its fields took.
    bool pressDefault(QKeyEvent* key)
    {
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != 0 || qobject_cast<QDialog*>(m_window) != nullptr
            || button.isNull() || !button->isVisibleTo(m_window) || !button->isEnabled())
            return false;
        button->click();
        return true;
    }

    QWidget* m_window;
};

KeysFilter* filterOf(QWidget* window)
{
    auto* filter = window->findChild<KeysFilter*>(QStringLiteral("DialogKeys"), Qt::FindDirectChildrenOnly);
    return filter != nullptr ? filter : new KeysFilter(window);
}

} // namespace

#include "DialogKeys.moc"

void DialogKeys::setUp(QWidget* window, QWidget* firstField, QPushButton* defaultButton)
{
    if (window == nullptr)
        return;
    KeysFilter* filter = filterOf(window);
    filter->first = firstField;
    filter->button = defaultButton;
    if (defaultButton != nullptr)
        defaultButton->setDefault(true);
}
