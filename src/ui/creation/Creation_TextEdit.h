#pragma once

#include "tools/T_ItemData.h"

#include <QTextEdit>

class QMenu;
class QAction;
class QTimer;
class CPublicManager;
class CUiManager;

// The text area of the writing window. Completes pairs of quotation marks and
// brackets, indents paragraphs with ideographic spaces, copies and pastes plain
// text through the window manager and marks typing for the writing tick. It
// holds no chapter data: the editor pane puts text in and reads it back.
class Creation_TextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit Creation_TextEdit(QWidget* parent = nullptr);

    // Inserts two ideographic spaces and the text when indenting is on and the
    // document is empty; true when it did.
    bool insertFirstIndent(const QString& text);

    bool hasEditorFocus() const { return m_focus; }
    QString pendingClose() const { return m_pendingClose; }
    QString pendingOpen() const { return m_pendingOpen; }

    // Edits since construction: grows on every change of the document, so a
    // reader can tell cheaply whether the text may have changed.
    quint64 editSerial() const { return m_editSerial; }
    // The document's text as written: like toPlainText(), but a no-break
    // space stays one instead of becoming a plain space.
    QString writtenText() const;
    // A text as writtenText() reads it back once inserted: carriage returns,
    // line and paragraph separators and frame marks become line feeds
    // ("\r\n" one). Same length as the document's text.
    static QString asWritten(const QString& text);
    // Words of the plain text (T_Chapter::countWords), kept up to date per
    // edit rather than counted on each read.
    int wordCount() const;

    void markFontSizeMenu();
    void markFontFamilyMenu();
    void refreshMenu();
    QMenu* contextMenu() const { return m_menu; }

signals:
    void sig_mousePress();
    void sig_mouseRelease();
    void sig_wheel();
    void sig_fontColor();
    void sig_mouseRight();
    // The last paragraphs of a large change got their real heights: places
    // worked out before (where the caret is) are final now.
    void laidOut();

public slots:
    void autoPunctuation();
    void autoFrontPunctuation();
    // A key-down in the editor as a KeyScanCode: resets the idle time and,
    // while the editor has focus and the key is not a quiet one, marks typing
    // and plays its sound when sounds are on.
    void on_GlobalKeyPressed(int keyCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void initMenu();
    void followLayout();
    void layOutSlice();
    // The tick counts the author as writing from now on.
    void markTyping();
    void sendCommand(int code, const QString& text = QString(), const QString& shortcut = QString());

    QString m_pendingClose;
    QString m_pendingOpen;
    bool m_focus = false;
    bool m_undoAvailable = false;
    bool m_redoAvailable = false;
    quint64 m_editSerial = 0;
    class DocumentWordCount* m_words = nullptr;
    QTimer* m_layoutSlices = nullptr;
    // What the view still owes of the fractional heights above it.
    qreal m_shiftCarry = 0;
    // The edit serial at which the view was last at the end of the text; 0
    // when it is elsewhere.
    quint64 m_atEndSerial = 0;
    CPublicManager* m_public = nullptr;
    CUiManager* m_ui = nullptr;
    // The context menu's tool item, refilled before every send.
    T_ItemData m_menuItem{0, 0, 0};

    QMenu* m_menu = nullptr;
    QMenu* m_sizeMenu = nullptr;
    QMenu* m_familyMenu = nullptr;
    QAction* m_sizeEntry = nullptr;
    QAction* m_familyEntry = nullptr;
    QAction* m_layoutEntry = nullptr;
    QAction* m_boldEntry = nullptr;
    QAction* m_italicEntry = nullptr;
    QAction* m_underlineEntry = nullptr;
    QAction* m_cutEntry = nullptr;
    QAction* m_copyEntry = nullptr;
    QAction* m_pasteEntry = nullptr;
    QAction* m_undoEntry = nullptr;
    QAction* m_redoEntry = nullptr;
};
