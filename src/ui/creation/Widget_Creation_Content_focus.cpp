// Focus mode keeps the caret's line in the middle of the editor; the floating
// parts of the pane (statistics bar, outline ball, outline panel) follow full
// screen and the pane's size.

#include "Widget_Creation_Content.h"

#include "Createtion_TextEdit_VScroll.h"
#include "Creation_TextEdit.h"
#include "Widget_Creation_Bottom.h"
#include "Widget_StatisticsBar.h"
#include "common/DPIAdapter.h"
#include "db/records/T_UserConf.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"

#include <QApplication>
#include <QDebug>
#include <QInputMethodQueryEvent>
#include <QEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextFrame>
#include <QTimer>

namespace {

// Slides the outline ball fully into the pane while the mouse is over it.
class BallHover : public QObject
{
public:
    BallHover(QObject* parent, std::function<void(bool)> slide) : QObject(parent), m_slide(std::move(slide)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Enter)
            m_slide(true);
        else if (event->type() == QEvent::Leave)
            m_slide(false);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(bool)> m_slide;
};

} // namespace

void Widget_Creation_Content::initFocusMode()
{
    const double scale = DPIAdapter::instance()->scale();
    m_outlineBall = new QPushButton(this);
    m_outlineBall->setObjectName(QStringLiteral("OutlineBall"));
    m_outlineBall->setFixedSize(int(36 * scale), int(36 * scale));
    m_outlineBall->setCursor(Qt::PointingHandCursor);
    m_outlineBall->hide();
    m_outlineBall->installEventFilter(new BallHover(m_outlineBall, [this](bool in) { slideBall(in); }));
    m_ballAnimation = new QPropertyAnimation(m_outlineBall, "pos", this);
    m_ballAnimation->setDuration(300);
    // A drag on the window's edge resizes many times; the floating parts
    // are placed once it rests.
    m_floatingTimer = new QTimer(this);
    m_floatingTimer->setSingleShot(true);
    m_floatingTimer->setInterval(100);
    connect(m_floatingTimer, &QTimer::timeout, this, &Widget_Creation_Content::updateFloatingLayout);

    // The outline panel hides itself into the ball, which brings it back.
    connect(COutlineController::instance(), &COutlineController::hideBall, this, [this]() {
        if (m_ui->isBookshelfMode())
            return;
        m_outlineBall->show();
        m_outlineBall->raise();
    });
    connect(m_outlineBall, &QPushButton::clicked, this, [this]() {
        if (m_outlinePanel == nullptr)
            return;
        placeOutlinePanel();
        m_outlinePanel->show();
        m_outlinePanel->raise();
        m_outlineBall->hide();
    });

    // A click places the caret while the button is down; the text moves only
    // once it is released, so a selection being dragged stays under the mouse.
    connect(m_edit, &Creation_TextEdit::sig_mousePress, this, [this]() {
        m_mousePressed = true;
        m_focusSuspended = false;
    });
    connect(m_edit, &Creation_TextEdit::sig_mouseRelease, this, [this]() {
        m_mousePressed = false;
        if (!m_recentrePending || !m_settings.isFocusing)
            return;
        m_recentrePending = false;
        QTimer::singleShot(100, this, [this]() {
            autoCenter();
            if (m_restyleOnRecentre) {
                applyTextStyle();
                m_restyleOnRecentre = false;
            }
            onCurrentLine();
        });
    });
    // Scrolling away in focus mode shows the whole text undimmed; the next
    // caret move brings the dimming and the recentring back.
    auto suspend = [this](bool keepScroll) {
        // The author's own scrolling, by wheel or scroll bar, wins over a
        // recentring under way.
        stopRecentring();
        m_followCaret = false;
        if (!m_settings.isFocusing || m_focusSuspended)
            return;
        m_focusSuspended = true;
        m_restyleOnRecentre = true;
        const int scroll = m_edit->verticalScrollBar()->value();
        applyTextStyle();
        onCurrentLine();
        if (keepScroll)
            m_edit->verticalScrollBar()->setValue(scroll);
    };
    connect(m_edit, &Creation_TextEdit::sig_wheel, this, [suspend]() { suspend(true); });
    connect(m_edit->verticalScrollBar(), &QScrollBar::sliderMoved, this, [suspend]() { suspend(false); },
            Qt::DirectConnection);
    // A click on the bar's track or arrows, or the wheel over the bar.
    connect(m_edit->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this]() { m_followCaret = false; });
    // A large change (a paste) is laid out after the caret was shown: the
    // caret is shown again where it really is, unless the author looks
    // elsewhere.
    connect(m_edit, &Creation_TextEdit::laidOut, this, [this]() {
        if (!m_followCaret || m_focusSuspended)
            return;
        if (m_settings.isFocusing)
            autoCenter();
        else
            m_edit->ensureCursorVisible();
    });
    connect(m_edit, &QTextEdit::cursorPositionChanged, this, [this]() {
        m_focusSuspended = false;
        m_followCaret = true;
        if (!m_chapterShown || !m_settings.isFocusing)
            return;
        if (m_mousePressed) {
            m_recentrePending = true;
        } else {
            if (m_restyleOnRecentre) {
                applyTextStyle();
                m_restyleOnRecentre = false;
            }
            autoCenter();
            m_recentrePending = false;
        }
        onCurrentLine();
    });
}

void Widget_Creation_Content::stopRecentring()
{
    if (auto* bar = qobject_cast<Createtion_TextEdit_VScroll*>(m_edit->verticalScrollBar()))
        bar->stopScroll();
}

void Widget_Creation_Content::recentreLater(int msecs)
{
    QTimer::singleShot(msecs, this, [this]() {
        if (m_settings.isFocusing)
            autoCenter();
        onCurrentLine();
    });
}

void Widget_Creation_Content::autoCenter()
{
    // Scrolled away with the wheel or the slider: the view stays where the
    // author put it until the caret moves.
    if (!m_settings.isFocusing || m_focusSuspended || !m_followCaret)
        return;
    QScrollBar* bar = m_edit->verticalScrollBar();
    const QRect caret = m_edit->cursorRect();
    const int editorHeight = m_edit->height();
    const int half = editorHeight / 2;
    const qreal docHeight = m_edit->document()->size().height();
    const int max = bar->maximum();
    if (max == 0)
        return;
    // Pixels of document per scroll step; the scroll range of a text edit is
    // in pixels, so this is 1 but for very short documents.
    int step = int(docHeight / max);
    if (step == 0)
        return;
    if (int(docHeight) < 2 * editorHeight) {
        step = (int(docHeight) - editorHeight) / max;
        if (step == 0) {
            qDebug() << "autoCenter err:" << docHeight << editorHeight << max;
            return;
        }
    }
    const int target = caret.top() <= half ? qMax(bar->value() - (half - caret.top()) / step, 0)
                                           : qMin(bar->value() + (caret.top() - half) / step, max);
    if (auto* smooth = qobject_cast<Createtion_TextEdit_VScroll*>(bar))
        smooth->scrollTo(target);
    else
        bar->setValue(target);
}

void Widget_Creation_Content::resizeEvent(QResizeEvent* event)
{
    // Focus-mode margins depend on the editor's height, the centred column
    // on its width. Changing them outside the undo history empties it, so
    // that happens only when they really change.
    const QTextFrameFormat page = m_edit->document()->rootFrame()->frameFormat();
    const QMargins current(int(page.leftMargin()), int(page.topMargin()), int(page.rightMargin()),
                           int(page.bottomMargin()));
    if (pageMargins(m_settings.isCenter != 0) != current) {
        m_edit->setUndoRedoEnabled(false);
        applyPageMargins(m_settings.isCenter != 0);
        m_edit->setUndoRedoEnabled(true);
    }
    m_floatingTimer->start();
    QWidget::resizeEvent(event);
}

int Widget_Creation_Content::ballRestY() const
{
    const double scale = DPIAdapter::instance()->scale();
    if (m_ui->isFullScreen() && m_statistics != nullptr)
        return m_statistics->y() + m_statistics->height() + int(15 * scale);
    return int(16 * scale);
}

void Widget_Creation_Content::slideBall(bool in)
{
    m_ballIn = in;
    const int y = ballRestY();
    const int w = m_outlineBall->width();
    m_ballAnimation->stop();
    m_ballAnimation->setStartValue(m_outlineBall->pos());
    m_ballAnimation->setEndValue(QPoint(in ? width() - w : width() - w / 2, y));
    m_ballAnimation->start();
}

void Widget_Creation_Content::updateLockLabel()
{
    updateStatisticsBar();
    if (m_statistics != nullptr)
        m_statistics->setLockVisible(m_ui->isLocked());
}

void Widget_Creation_Content::updateFloatingLayout()
{
    const bool full = m_ui->isFullScreen();
    // In full screen the floating statistics bar takes the bottom bar's place.
    m_bottom->setVisible(!full);
    updateStatisticsBar();
    // A slide under way ends where the mouse wants it; otherwise the ball
    // rests half out at the right edge, or fully in while the mouse is on it.
    if (m_ballAnimation->state() != QAbstractAnimation::Running)
        m_outlineBall->move(width() - (m_ballIn ? m_outlineBall->width() : m_outlineBall->width() / 2), ballRestY());
    placeOutlinePanel();
    if (m_followCaret && !m_settings.isFocusing && m_edit->textCursor().atEnd())
        m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
    autoCenter();
    onCurrentLine();
    // The keys go back to the text, unless another field of the window is
    // taking them (a name being typed in the tree is the author's too), or
    // a panel of the window (the tree, the outline) holds them: the author
    // is working there, and after a change the database refused there, what
    // is typed next must not land in the open chapter.
    QWidget* focused = QApplication::focusWidget();
    QInputMethodQueryEvent takesText(Qt::ImEnabled);
    if (QObject* typing = QGuiApplication::focusObject())
        QCoreApplication::sendEvent(typing, &takesText);
    if (focused == nullptr || focused == m_edit || focused->window() != window()
        || (!takesText.value(Qt::ImEnabled).toBool() && !focused->inherits("QQuickWidget")))
        m_edit->setFocus(Qt::OtherFocusReason);
}
