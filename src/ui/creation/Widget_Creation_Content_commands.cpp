#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "EditorMarks.h"
#include "common/CLCustomEvent.h"
#include "common/CMessageDispatcher.h"
#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "common/StyleType.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "ui/common/CColorDialog.h"

#include "Widget_Creation_Bottom.h"
#include "Widget_StatisticsBar.h"

#include "ui/shell/Widget_ThemeSettings.h"

#include <QApplication>
#include <QQuickWidget>
#include <QClipboard>
#include <QDebug>
#include <QHash>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTimer>

void Widget_Creation_Content::customEvent(QEvent* event)
{
    if (event->type() != CLCustomEvent::EventType) {
        QWidget::customEvent(event);
        return;
    }
    auto* bus = static_cast<CLCustomEvent*>(event);
    const quint16 id = bus->messageId();
    if (id < 1001 || id > 1018 || id == 1008) {
        QWidget::customEvent(event);
        return;
    }
    const QTextCursor saved = m_edit->textCursor();
    // Formatting always covers the whole chapter, never a selection.
    if (id < 1008)
        m_edit->selectAll();
    QTextCursor cursor = m_edit->textCursor();
    switch (id) {
    case 1001: setBold(false); break;
    case 1002: setItalic(false); break;
    case 1003: setUnderline(false); break;
    case 1004: setFontSize(bus->value().toInt()); break;
    case 1005: CUiManager::setTextFormat(m_settings.fontSize, m_edit, bus->value().toFloat()); break;
    case 1006: setFontFamily(bus->value().toString()); break;
    case 1007: break;
    case 1009: creation_command(25, QString(), QString()); break;
    case 1010: insertCuttingLine(cursor); break;
    case 1011: copySelection(cursor); break;
    case 1012: pasteClipboard(cursor); break;
    case 1013: cutSelection(cursor); break;
    case 1014: m_edit->selectAll(); break;
    case 1015: m_edit->undo(); break;
    case 1016: m_edit->redo(); break;
    case 1017: setTextCenter(); break;
    case 1018: {
        // The text takes the new theme's colour once the author has chosen.
        Widget_ThemeSettings picker(m_ui->currentWindow().data());
        picker.updateCheckedTheme();
        picker.exec();
        applyTextStyle();
        onCurrentLine();
        break;
    }
    default: break;
    }
    if (id < 1008)
        saveCreationConf();
    if (id != 1014) {
        m_edit->setTextCursor(saved);
        m_edit->setFocus(Qt::OtherFocusReason);
    }
}

void Widget_Creation_Content::creation_command(int code, const QString& text, const QString& shortcut)
{
    const QTextCursor saved = m_edit->textCursor();
    QTextCursor cursor = m_edit->textCursor();
    if (code < 26) {
        switch (code) {
        case 4: openOutline(); break;
        case 6: oneKeyLayout(); break;
        case 7:
        case 20: {
            // The saved caret loses its selection and is put back below.
            QTextCursor plain = saved;
            plain.clearSelection();
            m_edit->setTextCursor(plain);
            openSearch();
            m_edit->setTextCursor(plain);
            return;
        }
        case 16: insertCuttingLine(cursor); break;
        case 17: cutSelection(cursor); break;
        case 18: copySelection(cursor); break;
        case 19: pasteClipboard(cursor); break;
        case 21: setTextCenter(); break;
        case 22: m_edit->undo(); break;
        case 23: m_edit->redo(); break;
        case 24: m_edit->selectAll(); break;
        case 25: {
            CColorDialog dialog(this);
            dialog.setColor(textColor());
            connect(&dialog, &CColorDialog::changeColor, this, [this]() { applyTextStyle(); });
            dialog.exec();
            break;
        }
        default: runTool(code); break;
        }
    } else {
        m_edit->selectAll();
        switch (code) {
        case 29: setBold(false); break;
        case 30: setItalic(false); break;
        case 31: setUnderline(false); break;
        case 33:
            if (m_settings.isFocusing) {
                stopRecentring();
                m_settings.isFocusing = 0;
                applyTextStyle();
                applyPageMargins(m_settings.isCenter != 0);
                onCurrentLine();
            }
            break;
        case 34:
            if (!(m_settings.isFocusing && m_settings.isFocusLine)) {
                m_settings.isFocusing = 1;
                m_settings.isFocusLine = 1;
                applyPageMargins(m_settings.isCenter != 0);
                applyTextStyle();
                onCurrentLine();
            }
            break;
        case 35:
            if (!(m_settings.isFocusing && !m_settings.isFocusLine)) {
                m_settings.isFocusing = 1;
                m_settings.isFocusLine = 0;
                applyPageMargins(m_settings.isCenter != 0);
                applyTextStyle();
                onCurrentLine();
            }
            break;
        case 36: setFontSize(shortcut.toInt()); break;
        case 37: setFontFamily(text); break;
        default: break;
        }
        saveCreationConf();
    }
    if (code != 24) {
        m_edit->setTextCursor(saved);
        m_edit->setFocus(Qt::OtherFocusReason);
    }
}

void Widget_Creation_Content::creation_hotKeyPress(QKeyEvent* event)
{
    if (event == nullptr)
        return;
    // Function keys of the tool panel's key hints go the same way as its rows.
    static const QHash<int, int> toolKeys{{Qt::Key_F1, 2}, {Qt::Key_F2, 3}, {Qt::Key_F4, 5}, {Qt::Key_F7, 8},
                                          {Qt::Key_F8, 9}, {Qt::Key_F9, 10}, {Qt::Key_F10, 12}, {Qt::Key_F11, 13}};
    if (event->modifiers() == Qt::NoModifier && toolKeys.contains(event->key()))
        runTool(toolKeys.value(event->key()));
    else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F3)
        openOutline();
    else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F5)
        oneKeyLayout();
    else if ((event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F6)
             || ((event->modifiers() & Qt::ControlModifier) && event->key() == Qt::Key_F))
        openSearch();
}

void Widget_Creation_Content::saveCreationConf()
{
    m_jobs->updateCreationConf(m_settings, m_public->userConf.uid);
}

void Widget_Creation_Content::setBold(bool fromSettings)
{
    if (!fromSettings)
        m_settings.isBlod = m_settings.isBlod ? 0 : 1;
    const int scroll = m_edit->verticalScrollBar()->value();
    const int weight = m_settings.isBlod ? QFont::Bold : QFont::Normal;
    m_edit->setFontWeight(weight);
    m_font.setWeight(weight);
    m_edit->verticalScrollBar()->setValue(scroll);
}

void Widget_Creation_Content::setItalic(bool fromSettings)
{
    if (!fromSettings)
        m_settings.isItalics = m_settings.isItalics ? 0 : 1;
    const int scroll = m_edit->verticalScrollBar()->value();
    m_edit->setFontItalic(m_settings.isItalics != 0);
    m_font.setItalic(m_settings.isItalics != 0);
    m_edit->verticalScrollBar()->setValue(scroll);
}

void Widget_Creation_Content::setUnderline(bool fromSettings)
{
    if (!fromSettings)
        m_settings.isUnderLine = m_settings.isUnderLine ? 0 : 1;
    m_edit->setFontUnderline(m_settings.isUnderLine != 0);
    m_font.setUnderline(m_settings.isUnderLine != 0);
}

void Widget_Creation_Content::setFontSize(int size)
{
    size = qMax(size, 10);
    m_settings.fontSize = size;
    m_edit->setFontPointSize(size);
    m_font.setPointSize(size);
    CUiManager::setTextFormat(size, m_edit, m_settings.lineSpacing);
}

void Widget_Creation_Content::setFontFamily(const QString& family)
{
    m_settings.fontFamily = family;
    m_edit->setFontFamily(family);
    m_font.setFamily(family);
}

QColor Widget_Creation_Content::textColor() const
{
    const bool dimmed = m_settings.isFocusing && !m_focusSuspended;
    if (!m_settings.fontColor.isEmpty()) {
        QColor color(m_settings.fontColor);
        if (dimmed)
            color.setAlphaF(0.6);
        return color;
    }
    const int style = CQssManager::instance()->currentStyleType();
    if (style & 2)
        return QColor(dimmed ? QStringLiteral("#5A5A5A") : QStringLiteral("#BCBBBB"));
    if (style == 1 || style == 16)
        return QColor(dimmed ? QStringLiteral("#C3C4C7") : QStringLiteral("#424242"));
    if (style == 4)
        return QColor(dimmed ? QStringLiteral("#6E9A80") : QStringLiteral("#255D3C"));
    if (style == 8)
        return dimmed ? QColor(QStringLiteral("#666666")) : QColor(0, 0, 0);
    return QColor();
}

QColor Widget_Creation_Content::focusLineColor() const
{
    if (!m_settings.fontColor.isEmpty())
        return QColor(m_settings.fontColor);
    const int style = CQssManager::instance()->currentStyleType();
    if (style & 2)
        return QColor(QStringLiteral("#BCBBBB"));
    if (style == 1 || style == 16 || style == 8)
        return QColor(QStringLiteral("#424242"));
    if (style == 4)
        return QColor(QStringLiteral("#255D3C"));
    return QColor();
}

void Widget_Creation_Content::onCurrentLine()
{
    QList<QTextEdit::ExtraSelection> selections;
    const bool dimmed = m_settings.isFocusing && !m_focusSuspended;
    if (!m_edit->document()->isEmpty() && dimmed) {
        QTextEdit::ExtraSelection line;
        const QColor color = focusLineColor();
        if (color.isValid())
            line.format.setForeground(color);
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = m_edit->textCursor();
        line.cursor.clearSelection();
        if (m_settings.isFocusLine) {
            line.cursor.movePosition(QTextCursor::StartOfLine);
            line.cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        } else {
            line.cursor.movePosition(QTextCursor::StartOfBlock);
            line.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        }
        selections.append(line);
    }
    // Marked words keep the full text colour: the marks are what the author
    // looks for, on whichever line they are.
    m_marks->setBaseSelections(selections, focusLineColor());
}

void Widget_Creation_Content::applyTextStyle()
{
    const QColor color = textColor();
    // One pass over the template, and the family quoted: a name with spaces,
    // quotes or "%1" in it must neither break the sheet nor be re-substituted.
    QString family = m_font.family();
    family.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    const QString sheet = QStringLiteral("#tedit_creation{color:%1;font-size:%2pt;font-family:\"%3\";}")
                              .arg(color.isValid() ? color.name() : QStringLiteral("palette(text)"),
                                   QString::number(m_font.pointSize()), family);
    // Setting a sheet re-lays out the whole chapter, even an unchanged one.
    if (m_edit->styleSheet() != sheet)
        m_edit->setStyleSheet(sheet);
    CMessageDispatcher::instance()->PostBkMessageAsync(1105, m_settings.fontColor);
}

QMargins Widget_Creation_Content::pageMargins(bool centred) const
{
    const double scale = DPIAdapter::instance()->scale();
    int top = 12, bottom = 180, side = 36;
    if (m_settings.isFocusing) {
        top = bottom = qMax(0, int((m_edit->height() - m_settings.lineSpacing * 100) * 0.5));
        side = 108;
    }
    const int horizontal = centred ? qMax(int((m_edit->width() - 820 * scale) * 0.5), 108) : side;
    return QMargins(horizontal, top, horizontal, bottom);
}

void Widget_Creation_Content::applyPageMargins(bool centred)
{
    QTextFrame* root = m_edit->document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    const QMargins margins = pageMargins(centred);
    format.setTopMargin(margins.top());
    format.setBottomMargin(margins.bottom());
    format.setLeftMargin(margins.left());
    format.setRightMargin(margins.right());
    root->setFrameFormat(format);
}

void Widget_Creation_Content::setTextCenter()
{
    qDebug() << "setTextCenter" << m_settings.isFocusing << !m_settings.isCenter;
    m_settings.isCenter = m_settings.isCenter ? 0 : 1;
    m_edit->setUndoRedoEnabled(false);
    applyPageMargins(m_settings.isCenter != 0);
    m_edit->setUndoRedoEnabled(true);
    applyTextStyle();
    onCurrentLine();
    QTimer::singleShot(100, this, &Widget_Creation_Content::autoCenter);
}

void Widget_Creation_Content::copySelection(const QTextCursor& cursor)
{
    if (!cursor.hasSelection())
        return;
    const QString text = currentText();
    const int start = qMax(qMin(cursor.anchor(), cursor.position()), 0);
    const int end = qMin(qMax(cursor.anchor(), cursor.position()), text.size());
    QApplication::clipboard()->setText(text.mid(start, end - start));
}

void Widget_Creation_Content::cutSelection(QTextCursor& cursor)
{
    if (currentBook() == nullptr)
        return;
    copySelection(cursor);
    cursor.removeSelectedText();
}

void Widget_Creation_Content::pasteClipboard(QTextCursor& cursor)
{
    const QString text = withoutControlChars(QApplication::clipboard()->text());
    if (currentBook() == nullptr || text.isEmpty())
        return;
    m_public->statistics.wordCountAll += CUiManager::wordCount(text);
    cursor.insertText(text);
    saveChapter(true);
}

void Widget_Creation_Content::insertCuttingLine(QTextCursor& cursor)
{
    if (currentBook() == nullptr)
        return;
    cursor.insertText(QStringLiteral("\n") + QString(38, QLatin1Char('-')) + QStringLiteral("\n"));
}

void Widget_Creation_Content::oneKeyLayout()
{
    if (currentBook() == nullptr)
        return;
    m_edit->setPlainText(CUiManager::formatText(currentText()));
    setFontSize(m_settings.fontSize);
    applyPageMargins(m_settings.isCenter != 0);
    saveChapter(true);
}

void Widget_Creation_Content::copy()
{
    copySelection(m_edit->textCursor());
}

void Widget_Creation_Content::paste()
{
    QTextCursor cursor = m_edit->textCursor();
    pasteClipboard(cursor);
    m_edit->setTextCursor(cursor);
}

void Widget_Creation_Content::moveCursorToEdge(int where)
{
    m_edit->moveCursor(where == 0 ? QTextCursor::Start : QTextCursor::End);
}

void Widget_Creation_Content::openOutline()
{
    if (currentBook() == nullptr)
        return;
    COutlineController* outline = COutlineController::instance();
    QWidget* panel = outline->getWidget();
    if (panel == nullptr)
        return;
    outline->addAllItem(currentBook());
    if (panel->parentWidget() != this)
        panel->setParent(this);
    m_outlinePanel = panel;
    placeOutlinePanel();
    panel->show();
    panel->raise();
    panel->activateWindow();
    m_outlineBall->hide();
}

void Widget_Creation_Content::placeOutlinePanel()
{
    if (m_outlinePanel == nullptr)
        return;
    const double scale = DPIAdapter::instance()->scale();
    // In full screen the panel goes below the floating statistics bar.
    const int statistics = m_ui->isFullScreen() && m_statistics != nullptr ? m_statistics->height() : 0;
    const int top = statistics > 0 ? int(60 * scale) + statistics : 0;
    m_outlinePanel->move(width() - int(362 * scale), top);
    COutlineController::instance()->setHeight(height() - m_bottom->height() - statistics);
}
