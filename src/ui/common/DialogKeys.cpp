#include "ui/common/DialogKeys.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>

namespace {

// Where the keys go first and what Enter presses, for a window or one of its pages.
struct Keys
{
    QPointer<QWidget> first;
    QPointer<QPushButton> button;
};

class KeysFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeysFilter(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("DialogKeys"));
        window->installEventFilter(this);
    }

    Keys own;

    void addPage(QStackedWidget* stack, QWidget* page, const Keys& keys)
    {
        if (!m_stacks.contains(stack)) {
            m_stacks.append(stack);
            connect(stack, &QStackedWidget::currentChanged, this, [this]() {
                applyDefault();
                if (m_window->isVisible())
                    focusFirst();
            });
        }
        m_pages.insert(page, keys);
        if (stack->currentWidget() == page)
            applyDefault();
    }

    void applyDefault()
    {
        if (QPushButton* button = current().button)
            button->setDefault(true);
    }

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
    // The shown page's keys, the window's where the page names none.
    Keys current() const
    {
        Keys keys = own;
        for (const QPointer<QStackedWidget>& stack : m_stacks) {
            const auto page = stack ? m_pages.constFind(stack->currentWidget()) : m_pages.constEnd();
            if (page == m_pages.constEnd())
                continue;
            if (page->first)
                keys.first = page->first;
            if (page->button)
                keys.button = page->button;
            break;
        }
        return keys;
    }

    void focusFirst()
    {
        QWidget* first = current().first;
        // A choice among buttons takes the keys at its chosen one.
        auto* choice = qobject_cast<QAbstractButton*>(first);
        if (choice != nullptr && choice->group() != nullptr && choice->group()->exclusive()
            && choice->group()->checkedButton() != nullptr)
            first = choice->group()->checkedButton();
        if (first == nullptr || !first->isEnabled() || !first->isVisibleTo(m_window))
            return;
        // Before the window is active this names the widget that takes the
        // keys once it is.
        first->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(first))
            edit->selectAll();
    }

    // A dialog presses its default button itself; another window gets the
    // same from here, for an Enter that none of its fields took.
    bool pressDefault(QKeyEvent* key)
    {
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != 0 || qobject_cast<QDialog*>(m_window) != nullptr)
            return false;
        QPushButton* button = current().button;
        if (button == nullptr || !button->isVisibleTo(m_window) || !button->isEnabled())
            return false;
        button->click();
        return true;
    }

    QWidget* m_window;
    QList<QPointer<QStackedWidget>> m_stacks;
    QHash<const QWidget*, Keys> m_pages;
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
    filter->own = {firstField, defaultButton};
    if (defaultButton != nullptr)
        defaultButton->setDefault(true);
    // The shown page's own default stays the one Enter presses.
    filter->applyDefault();
}

void DialogKeys::setUpPage(QWidget* window, QWidget* page, QWidget* firstField, QPushButton* defaultButton)
{
    auto* stack = page != nullptr ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    if (window == nullptr || stack == nullptr)
        return;
    filterOf(window)->addPage(stack, page, {firstField, defaultButton});
}

void DialogKeys::setLink(QPushButton* button)
{
    // Enter then goes on to the page, and from there to its default.
    if (button != nullptr)
        button->setAutoDefault(false);
}
