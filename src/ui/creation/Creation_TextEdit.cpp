#include "Creation_TextEdit.h"
#include "ChapterLayout.h"
#include "Createtion_TextEdit_VScroll.h"
#include "DocumentWordCount.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "platform/KeyScanCode.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace {
const QChar kIdeoSpace(0x3000);
const QString kSelectIcon = QStringLiteral(":/res/skin/light/creation/select.svg");
// One slice of laying out a long chapter in the background: short enough
// for a key typed meanwhile to feel no wait.
const int kLayoutSliceMs = 5;

// Whether Qt's own key handling would type this text.
bool insertsText(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    return c.isPrint() || c.isSurrogate() || c.category() == QChar::Other_Format
        || c.category() == QChar::Other_PrivateUse;
}

bool isQuietKey(int code)
{
    // Function keys, Ctrl, the Windows and menu keys and the arrows do not
    // count as writing, held down or not: an arrow held to walk through the
    // text is reading, not writing.
    code &= ~KeyScanCode::kRepeat;
    if (code >= 59 && code <= 67)
        return true;
    static const int quiet[] = {87, 88, 29, 285, 347, 348, 349, 328, 331, 333, 336};
    for (int q : quiet)
        if (q == code)
            return true;
    return false;
}
}

Creation_TextEdit::Creation_TextEdit(QWidget* parent) : QTextEdit(parent)
{
    m_public = CPublicManager::instance();
    m_ui = CUiManager::instance();
    setVerticalScrollBar(new Createtion_TextEdit_VScroll(this));
    installEventFilter(this);
    initMenu();
    // Typing is taken from the editor's own key events, not from the
    // program-wide key-down relay: that one only runs while a boss key is
    // registered, and speaks the window system's key codes.
    connect(this, &QTextEdit::redoAvailable, this, [this](bool on) {
        m_redoAvailable = on;
        m_redoEntry->setEnabled(on);
    });
    connect(this, &QTextEdit::undoAvailable, this, [this](bool on) {
        m_undoAvailable = on;
        m_undoEntry->setEnabled(on);
    });
    // A counter, not the text: the tick compares it instead of copying and
    // comparing a whole chapter every second.
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != 0 || added != 0)
            ++m_editSerial;
    });
    connect(this, &QTextEdit::textChanged, this, [this]() { ++m_editSerial; });
    m_words = new DocumentWordCount(document());
    // Chapters run left to right. Left to the text, the direction of every
    // paragraph below the caret would be worked out again from its letters
    // at each key, which a long chapter feels.
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document()->setDefaultTextOption(option);
    m_layoutSlices = new QTimer(this);
    m_layoutSlices->setInterval(0);
    connect(m_layoutSlices, &QTimer::timeout, this, &Creation_TextEdit::layOutSlice);
    // A view at the end of the text stays at its very end while the text
    // above it is laid out (the shift of the view and the range round each on
    // its own); an edit since the view was there leaves the view to the caret.
    QScrollBar* scroll = verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this, [this, scroll](int value) {
        m_atEndSerial = value >= scroll->maximum() ? m_editSerial : 0;
    });
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        const auto* smooth = qobject_cast<Createtion_TextEdit_VScroll*>(scroll);
        if (m_atEndSerial != 0 && m_atEndSerial == m_editSerial && (smooth == nullptr || smooth->scrollTarget() < 0))
            scroll->setValue(maximum);
    });
    connect(document(), &QTextDocument::documentLayoutChanged, this, &Creation_TextEdit::followLayout);
    document()->setDocumentLayout(new ChapterLayout(document()));
}

void Creation_TextEdit::followLayout()
{
    auto* layout = qobject_cast<ChapterLayout*>(document()->documentLayout());
    if (layout == nullptr)
        return;
    connect(layout, &ChapterLayout::estimated, m_layoutSlices, QOverload<>::of(&QTimer::start));
    // What a view still owes belongs to the text laid out before.
    connect(layout, &ChapterLayout::estimated, this, [this]() { m_shiftCarry = 0; });
    // Paragraphs above the view laid out, by a slice or for a caret or a
    // click: the text in view, or a view at the end, stays where it is,
    // without a scroll that would paint it again; a smooth scroll under way
    // (focus mode bringing the caret's line to the middle) ends on the text
    // it was going to, not on a place the text has left.
    connect(layout, &ChapterLayout::movedBelow, this, [this](qreal y, qreal delta) {
        QScrollBar* bar = verticalScrollBar();
        auto* smooth = qobject_cast<Createtion_TextEdit_VScroll*>(bar);
        const int target = smooth != nullptr ? smooth->scrollTarget() : -1;
        if (y > qMax(bar->value(), target))
            return;
        m_shiftCarry += delta;
        const int whole = qRound(m_shiftCarry);
        m_shiftCarry -= whole;
        if (target >= 0 && y <= target)
            smooth->shiftScroll(whole);
        if (y > bar->value())
            return;
        const QSignalBlocker quiet(bar);
        bar->setValue(bar->value() + whole);
    });
}

void Creation_TextEdit::layOutSlice()
{
    auto* layout = qobject_cast<ChapterLayout*>(document()->documentLayout());
    if (layout == nullptr || layout->isComplete()) {
        m_layoutSlices->stop();
        return;
    }
    layout->layOutSlice(kLayoutSliceMs);
    if (layout->isComplete()) {
        m_layoutSlices->stop();
        emit laidOut();
    }
}

int Creation_TextEdit::wordCount() const
{
    return m_words->words();
}

bool Creation_TextEdit::insertFirstIndent(const QString& text)
{
    if (m_public->userConf.creationConf.isIndent == 0 || !document()->isEmpty())
        return false;
    QTextCursor cursor = textCursor();
    cursor.insertText(QString(2, kIdeoSpace));
    cursor.insertText(text);
    setTextCursor(cursor);
    return true;
}

namespace {
bool isLineBreakMark(ushort c)
{
    return c == '\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == 0xfdd0 || c == 0xfdd1;
}
} // namespace

QString Creation_TextEdit::writtenText() const
{
    // The raw text ends each block with a paragraph separator and keeps a
    // line separator inside its block; both read as a line feed.
    QString text = document()->toRawText();
    for (QChar& c : text) {
        if (isLineBreakMark(c.unicode()))
            c = QLatin1Char('\n');
    }
    return text;
}

QString Creation_TextEdit::asWritten(const QString& text)
{
    QString written;
    written.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            continue;
        written += isLineBreakMark(c) ? QChar(QLatin1Char('\n')) : text.at(i);
    }
    return written;
}

void Creation_TextEdit::insertFromMimeData(const QMimeData* source)
{
    // Pasted and dropped text arrives here; it goes in as plain text
    // without stray control characters.
    if (source == nullptr || !source->hasText() || !hasControlChars(source->text())) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData plain;
    plain.setText(withoutControlChars(source->text()));
    QTextEdit::insertFromMimeData(&plain);
}

bool Creation_TextEdit::eventFilter(QObject* watched, QEvent* event)
{
    const T_CreationConf& conf = m_public->userConf.creationConf;
    if (watched == this && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        const int scanCode = KeyScanCode::fromKeyEvent(key);
        if (scanCode >= 0)
            on_GlobalKeyPressed(scanCode);
        const Qt::KeyboardModifiers m = key->modifiers() & ~Qt::KeypadModifier;
        // Ctrl or Alt makes a key a command: its text is a control character
        // (Ctrl+A gives U+0001) or a letter that was never meant as writing.
        const bool chord = (m & (Qt::ControlModifier | Qt::AltModifier)) != 0;
        if (m == Qt::ShiftModifier) {
            if (k == Qt::Key_QuoteDbl)
                m_pendingClose = QStringLiteral("\"");
            else if (k == Qt::Key_ParenLeft)
                m_pendingClose = QStringLiteral(")");
            else if (k == Qt::Key_Less)
                m_pendingClose = QStringLiteral(">");
            else if (k == Qt::Key_BraceLeft)
                m_pendingClose = QStringLiteral("}");
        } else if (m == Qt::NoModifier) {
            if (k == Qt::Key_Apostrophe)
                m_pendingClose = QStringLiteral("'");
            else if (k == Qt::Key_BracketLeft)
                m_pendingClose = QStringLiteral("]");
        }
        if (m == Qt::ControlModifier && m_focus) {
            if (k == Qt::Key_C) {
                m_ui->editorCopy();
                return true;
            }
            if (k == Qt::Key_V) {
                m_ui->editorPaste();
                return true;
            }
            if (k == Qt::Key_Up) {
                m_ui->editorMoveCursor(0);
                return true;
            }
            if (k == Qt::Key_Down) {
                m_ui->editorMoveCursor(1);
                return true;
            }
        }
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            const bool indent = conf.isIndent != 0;
            const bool spaces = conf.isSpaces != 0;
            if (spaces) {
                QTextCursor cursor = textCursor();
                cursor.insertText(QStringLiteral("\n"));
                if (!indent)
                    cursor.insertText(QStringLiteral("\n"));
                setTextCursor(cursor);
            }
            if (indent) {
                QTextCursor cursor = textCursor();
                cursor.insertText(QStringLiteral("\n") + QString(2, kIdeoSpace));
                setTextCursor(cursor);
                return true;
            }
            if (spaces)
                return true;
        } else if (chord) {
            // Qt leaves Ctrl chords to their shortcuts (undo, select all)
            // but would type the text of an Alt or Ctrl+Alt chord.
            if ((m & Qt::AltModifier) && insertsText(key->text()))
                return true;
        } else if (k >= 32 && k <= 255) {
            if (insertFirstIndent(withoutControlChars(key->text())))
                return true;
        }
    } else if (watched == this && event->type() == QEvent::FocusIn) {
        m_focus = true;
    } else if (watched == this && event->type() == QEvent::FocusOut) {
        m_focus = false;
    } else if (watched == this && event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (hasControlChars(input->commitString()))
            input->setCommitString(withoutControlChars(input->commitString()), input->replacementStart(),
                                   input->replacementLength());
        const QString c = input->commitString();
        if (!c.isEmpty())
            markTyping();
        // An input method takes the keystrokes itself; each step of its
        // composition sounds like the key that made it.
        if (!c.isEmpty() || !input->preeditString().isEmpty())
            on_GlobalKeyPressed(0);
        if (c == tr("<"))
            m_pendingClose = tr(">");
        if (c == tr("("))
            m_pendingClose = tr(")");
        if (c == tr("["))
            m_pendingClose = tr("]");
        if (c == QLatin1String("{"))
            m_pendingClose = QStringLiteral("}");
        if (c == tr("doubleLeft"))
            m_pendingClose = tr("doubleRight");
        if (c == tr("doubleRight"))
            m_pendingOpen = tr("doubleLeft");
        if (c == tr("singleLeft"))
            m_pendingClose = tr("singleRight");
        if (c == tr("singleRight"))
            m_pendingOpen = tr("singleLeft");
        if (insertFirstIndent(c))
            return true;
    }
    if (conf.isAutoPunctuation != 0) {
        if (!m_pendingClose.isEmpty())
            QTimer::singleShot(50, this, &Creation_TextEdit::autoPunctuation);
        if (!m_pendingOpen.isEmpty())
            QTimer::singleShot(50, this, &Creation_TextEdit::autoFrontPunctuation);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void Creation_TextEdit::autoPunctuation()
{
    if (m_pendingClose.isEmpty())
        return;
    insertPlainText(m_pendingClose);
    m_pendingClose.clear();
    QTextCursor cursor = textCursor();
    cursor.setPosition(qMax(cursor.position() - 1, 0));
    setTextCursor(cursor);
}

void Creation_TextEdit::autoFrontPunctuation()
{
    if (m_pendingOpen.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.setPosition(qMax(cursor.position() - 1, 0));
    setTextCursor(cursor);
    insertPlainText(m_pendingOpen);
    m_pendingOpen.clear();
}

void Creation_TextEdit::on_GlobalKeyPressed(int keyCode)
{
    m_ui->setIdleSeconds(0);
    if (!m_focus || isQuietKey(keyCode))
        return;
    markTyping();
    if (m_public->userConf.systemConf.isSound == 1)
        m_public->typingSounds.play(TypingSounds::kindOfScanCode(keyCode));
}

void Creation_TextEdit::markTyping()
{
    T_WritingCounters& writing = m_public->writing;
    writing.started = true;
    writing.active = true;
    writing.lastChangeTime = static_cast<int>(currentServerTime());
}

void Creation_TextEdit::initMenu()
{
    const Qt::WindowFlags flags = Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    m_menu = new QMenu(this);
    m_sizeMenu = new QMenu(this);
    m_familyMenu = new QMenu(this);
    for (QMenu* menu : {m_menu, m_sizeMenu, m_familyMenu}) {
        menu->setWindowFlags(flags);
        menu->setAttribute(Qt::WA_TranslucentBackground);
    }
    m_menu->setMinimumWidth(120);
    for (int size = 10; size <= 26; size += 2) {
        QAction* entry = m_sizeMenu->addAction(tr("%1px").arg(size));
        entry->setData(size);
        connect(entry, &QAction::triggered, this, [this, entry, size]() {
            m_sizeEntry->setText(entry->text());
            sendCommand(36, entry->text(), QString::number(size));
            markFontSizeMenu();
        });
    }
    const QStringList families = getEditorFontFamilies();
    for (const QString& family : families) {
        QAction* entry = m_familyMenu->addAction(family);
        connect(entry, &QAction::triggered, this, [this, family]() {
            m_familyEntry->setText(family);
            sendCommand(37, family);
            markFontFamilyMenu();
        });
    }
    m_sizeEntry = m_menu->addMenu(m_sizeMenu);
    m_familyEntry = m_menu->addMenu(m_familyMenu);
    m_menu->addAction(tr("Font Color"), this, &Creation_TextEdit::sig_fontColor);
    m_menu->addSeparator();
    const T_CreationConf& conf = m_public->userConf.creationConf;
    auto styleEntry = [this](const QString& text, int code, const int* flag) {
        QAction* entry = m_menu->addAction(text);
        connect(entry, &QAction::triggered, this, [this, entry, code, flag]() {
            sendCommand(code);
            entry->setIcon(*flag ? QIcon(kSelectIcon) : QIcon());
        });
        return entry;
    };
    m_boldEntry = styleEntry(tr("Bold"), 29, &conf.isBlod);
    m_italicEntry = styleEntry(tr("Italics"), 30, &conf.isItalics);
    m_underlineEntry = styleEntry(tr("Underline"), 31, &conf.isUnderLine);
    m_menu->addSeparator();
    m_menu->addAction(tr("Split"), this, [this]() { sendCommand(16); });
    m_cutEntry = m_menu->addAction(tr("Cut"), this, [this]() { sendCommand(17); });
    m_copyEntry = m_menu->addAction(tr("Copy"), this, [this]() { sendCommand(18); });
    m_pasteEntry = m_menu->addAction(tr("Paste"), this, [this]() { sendCommand(19); });
    m_menu->addAction(tr("SelectAll"), this, [this]() { sendCommand(24); });
    m_undoEntry = m_menu->addAction(tr("Undo"), this, [this]() { sendCommand(22); });
    m_redoEntry = m_menu->addAction(tr("Redo"), this, [this]() { sendCommand(23); });
    m_undoEntry->setEnabled(false);
    m_redoEntry->setEnabled(false);
    m_layoutEntry = m_menu->addAction(tr("Center"), this, [this]() { sendCommand(21); });
    markFontSizeMenu();
    markFontFamilyMenu();
    refreshMenu();
}

void Creation_TextEdit::sendCommand(int code, const QString& text, const QString& shortcut)
{
    m_menuItem.id = code;
    m_menuItem.text = text;
    m_menuItem.shortcut = shortcut;
    emit m_ui->sig_Creation_Btn_Press(&m_menuItem);
}

void Creation_TextEdit::markFontSizeMenu()
{
    const int size = m_public->userConf.creationConf.fontSize;
    for (QAction* entry : m_sizeMenu->actions())
        entry->setIcon(entry->data().toInt() == size ? QIcon(kSelectIcon) : QIcon());
}

void Creation_TextEdit::markFontFamilyMenu()
{
    const QString& family = m_public->userConf.creationConf.fontFamily;
    for (QAction* entry : m_familyMenu->actions())
        entry->setIcon(entry->text() == family ? QIcon(kSelectIcon) : QIcon());
}

void Creation_TextEdit::refreshMenu()
{
    const T_CreationConf& conf = m_public->userConf.creationConf;
    m_layoutEntry->setEnabled(conf.isFocusing == 0);
    m_layoutEntry->setText(conf.isCenter == 0 ? tr("Center") : tr("Bespread"));
    m_sizeEntry->setText(tr("%1px").arg(conf.fontSize));
    m_familyEntry->setText(conf.fontFamily);
    m_boldEntry->setIcon(conf.isBlod ? QIcon(kSelectIcon) : QIcon());
    m_italicEntry->setIcon(conf.isItalics ? QIcon(kSelectIcon) : QIcon());
    m_underlineEntry->setIcon(conf.isUnderLine ? QIcon(kSelectIcon) : QIcon());
}

void Creation_TextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit sig_mousePress();
    QTextEdit::mousePressEvent(event);
}

void Creation_TextEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        markFontSizeMenu();
        markFontFamilyMenu();
        refreshMenu();
        const bool selected = !textCursor().selectedText().isEmpty();
        m_cutEntry->setEnabled(selected);
        m_copyEntry->setEnabled(selected);
        m_pasteEntry->setEnabled(canPaste());
        m_menu->exec(event->globalPos());
    } else if (event->button() == Qt::LeftButton) {
        emit sig_mouseRelease();
    }
    QTextEdit::mouseReleaseEvent(event);
}

void Creation_TextEdit::wheelEvent(QWheelEvent* event)
{
    emit sig_wheel();
    QTextEdit::wheelEvent(event);
}
