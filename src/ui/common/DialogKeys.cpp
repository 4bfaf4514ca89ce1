#include "ui/common/DialogKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace {

const char* const kLink = "dialogKeysLink";

// Where the keys go first and what Enter presses, for a window or one of its pages.
struct Keys
{
    QPointer<QWidget> first;
    QPointer<QPushButton> button;
    // Only a part of the window: its first field waits for the author's change to it.
    bool part = false;
};

class KeysFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeysFilter(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("DialogKeys"));
        window->installEventFilter(this);
        // Ended, the window opens afresh the next time it shows.
        if (auto* dialog = qobject_cast<QDialog*>(window))
            connect(dialog, &QDialog::finished, this, [this]() { m_opened = false; });
    }

    Keys own;

    void addPage(QStackedWidget* stack, QWidget* page, const Keys& keys)
    {
        if (!m_stacks.contains(stack)) {
            m_stacks.append(stack);
            const QPointer<QStackedWidget> guarded = stack;
            connect(stack, &QStackedWidget::currentChanged, this, [this, guarded]() {
                applyDefault();
                if (!m_window->isVisible()) {
                    m_pageChanged = true;
                    return;
                }
                focusFirst(false);
                // An arrow key on a tab clicks the next tab and then gives
                // that tab the keys: once it is done, they go on to the page.
                QTimer::singleShot(0, this, [this, guarded, page = QPointer<QWidget>(guarded->currentWidget())]() {
                    QWidget* focus = QApplication::focusWidget();
                    if (guarded && page && guarded->currentWidget() == page && focus != nullptr
                        && focus->window() == m_window && focus->property(kLink).toBool())
                        focusFirst(false);
                });
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
        if (watched == m_broughtBack)
            return keepSelection(static_cast<QWidget*>(watched), event);
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            // Brought back after the program was put out of sight (the boss
            // key, the tray, the lock), the window keeps the field the author
            // was typing in and what was typed there.
            if (!m_opened || m_pageChanged)
                focusFirst(true);
            else
                watchBroughtBack();
            m_opened = true;
            m_pageChanged = false;
        } else if (event->type() == QEvent::Close) {
            m_opened = false;
        } else if (event->type() == QEvent::KeyPress)
            return pressDefault(static_cast<QKeyEvent*>(event));
        return false;
    }

private:
    bool takesKeys(const QWidget* field) const
    {
        return field != nullptr && field->isEnabled() && field->isVisibleTo(m_window);
    }

    // The shown page's keys, the window's where the page names none; as the
    // window shows, the window's own first field before a part's.
    Keys current(bool showing = false) const
    {
        Keys keys = own;
        for (const QPointer<QStackedWidget>& stack : m_stacks) {
            const auto page = stack ? m_pages.constFind(stack->currentWidget()) : m_pages.constEnd();
            if (page == m_pages.constEnd())
                continue;
            if (page->first && !(showing && page->part && takesKeys(own.first)))
                keys.first = page->first;
            if (page->button)
                keys.button = page->button;
            break;
        }
        return keys;
    }

    void focusFirst(bool showing)
    {
        QWidget* first = current(showing).first;
        // A choice among buttons takes the keys at its chosen one.
        auto* choice = qobject_cast<QAbstractButton*>(first);
        if (choice != nullptr && choice->group() != nullptr && choice->group()->exclusive()
            && choice->group()->checkedButton() != nullptr)
            first = choice->group()->checkedButton();
        if (!takesKeys(first))
            return;
        // Before the window is active this names the widget that takes the
        // keys once it is.
        first->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(first))
            edit->selectAll();
    }

    // A dialog shown again hands its focus field a focus-in as if Tab had
    // reached it, and a line edit then selects all it holds, for the next key
    // to replace: the field is watched until its focus-in has come.
    void watchBroughtBack()
    {
        QWidget* field = m_window->focusWidget();
        if (field == nullptr || field == m_broughtBack)
            return;
        if (m_broughtBack)
            m_broughtBack->removeEventFilter(this);
        m_broughtBack = field;
        field->installEventFilter(this);
    }

    bool keepSelection(QWidget* field, QEvent* event)
    {
        if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut && event->type() != QEvent::Hide)
            return false;
        field->removeEventFilter(this);
        m_broughtBack.clear();
        if (event->type() != QEvent::FocusIn || static_cast<QFocusEvent*>(event)->reason() != Qt::TabFocusReason)
            return false;
        // The same focus-in, as the window's coming back gives it.
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(field, &back);
        return true;
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
    // Shown since it was made or last ended; its page changed while hidden.
    bool m_opened = false;
    bool m_pageChanged = false;
    // The field that had the keys when the window was brought back.
    QPointer<QWidget> m_broughtBack;
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

namespace {
void addPage(QWidget* window, QWidget* page, const Keys& keys)
{
    auto* stack = page != nullptr ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    if (window == nullptr || stack == nullptr)
        return;
    filterOf(window)->addPage(stack, page, keys);
}
} // namespace

void DialogKeys::setUpPage(QWidget* window, QWidget* page, QWidget* firstField, QPushButton* defaultButton)
{
    addPage(window, page, {firstField, defaultButton, false});
}

void DialogKeys::setUpPart(QWidget* window, QWidget* page, QWidget* firstField, QPushButton* defaultButton)
{
    addPage(window, page, {firstField, defaultButton, true});
}

void DialogKeys::setLink(QPushButton* button)
{
    // Enter then goes on to the page, and from there to its default.
    if (button == nullptr)
        return;
    button->setAutoDefault(false);
    button->setProperty(kLink, true);
}
