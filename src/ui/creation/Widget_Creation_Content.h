#pragma once

#include "Dialog_Search.h"

#include <QFont>
#include <QList>
#include <QMargins>
#include <QPointer>

#include <functional>
#include <QString>
#include <QWidget>

class CJobManager;
class CPublicManager;
class CUiManager;
class Creation_TextEdit;
class Widget_Creation_Bottom;
class QPushButton;
class QTextCursor;
class QTimer;
struct T_Book;
struct T_Chapter;
struct T_WriteLock;
struct TC_Chapter_Edit_Content;
struct T_CreationConf;
struct T_WritingCounters;

// The pane of the writing window that holds the chapter being written: the
// editor, the bottom line and the one-second writing tick that counts words
// and typing speed and saves the chapter. It writes the editor text back into
// the chapter and, through the job manager, into the database and job table.
class Widget_Creation_Content : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Content(QWidget* parent = nullptr);
    ~Widget_Creation_Content() override;

    // Shows a chapter; a changed previous chapter is saved first, and when
    // that fails the editor stays on it (false). With reloadFromRecord the
    // editor takes the record's content; the caller has stored the editor's
    // text before.
    bool showChapter(T_Book* book, T_Chapter* chapter, bool reloadFromRecord);
    // Writes the editor text into the chapter when it changed; true when no
    // typed word is left unstored (saved now, already equal, or nothing shown).
    bool saveChapter(bool withStatistics);
    // The writing tick's save: the same, with the commit on the database's
    // worker so that a long chapter's save does not hold the window. The
    // words count as saved once it committed (sig_chapterSaved); until then
    // anything that needs them stored waits for it. False when the save
    // could not even start; a failure later is shown and tried again.
    bool saveChapterInBackground();
    // Stops the tick and forgets the book; false (and nothing changes) while
    // the editor holds text that could not be stored.
    bool closeBook();
    // The editor holds words its chapter's row does not.
    bool holdsUnsavedText() const;
    // Shows the shown chapter's stored text after it was replaced elsewhere
    // (a restored version) by changing only the stretch that differs, as one
    // edit the author can undo. False, with nothing changed, when the editor
    // shows another chapter, holds unstored words, or the text holds control
    // characters, which only the full reload of showChapter takes out.
    bool takeStoredText();
    // Lets go of the shown chapter whatever the editor holds; the caller has
    // kept the text elsewhere. The editor is left empty and disabled.
    void dropChapter();

    Creation_TextEdit* textEdit() const { return m_edit; }
    Widget_Creation_Bottom* bottomBar() const { return m_bottom; }
    class Widget_StatisticsBar* statisticsBar() const { return m_statistics; }
    // Looked up by id on each call: null once the model no longer has it.
    T_Chapter* currentChapter() const;
    T_Book* currentBook() const;
    int currentBookId() const { return m_localBookId; }
    int currentChapterId() const { return m_localChapterId; }
    // Names of what is shown, kept for when the record is gone.
    QString shownBookName() const { return m_bookName; }
    QString shownChapterName() const { return m_chapterName; }
    QString toPlainText() const;
    void setEditFocus();
    bool isTickRunning() const;

    void copy();
    void paste();
    void moveCursorToEdge(int where);
    // The statistics bar's lock line shows while a writing lock is in force.
    void updateLockLabel();

    // Find and replace in the chapter (the dialog reports, the pane works).
    void openSearch();
    // The outline panel over the right edge of the pane; nothing without a book.
    void openOutline();
    Dialog_Search* searchDialog() const { return m_searchDialog; }
    const QList<int>& matchEnds() const { return m_matchEnds; }
    int currentMatch() const { return m_currentMatch; }
    void clearHighlights();
    // The search and sensitive-word marks over the editor.
    class EditorMarks* marks() const { return m_marks; }
    // Applies a sensitive-word treatment (1 mark, 2 pinyin, 3 stars, 4 dashes)
    // to the hits of the last check.
    void showSensitiveWords(int treatment);
    // Asks before replacing every occurrence; a message box unless replaced.
    void setReplaceAllConfirmer(std::function<bool(const QString&)> confirm) { m_confirmReplaceAll = confirm; }

    // The text style of the editor from the settings and theme; dimmed while
    // focus mode shows only the caret's line or paragraph in full colour.
    QColor textColor() const;
    QColor focusLineColor() const;

    // Focus mode: scrolls smoothly so that the caret's line sits in the
    // middle of the editor; nothing outside focus mode.
    void autoCenter();
    // Bottom bar, statistics bar, outline ball and outline panel placed for
    // full screen or the normal window.
    void updateFloatingLayout();
    QPushButton* outlineBall() const { return m_outlineBall; }

signals:
    void sig_full_editing();
    // The tick found that the model no longer has the shown chapter.
    void sig_chapterLost();
    // A save from saveChapterInBackground ended.
    void sig_chapterSaved(bool ok);

public slots:
    void onCreationTimer();
    void onTextChanged();
    void onCurrentLine();
    void creation_command(int code, const QString& text, const QString& shortcut);
    void creation_hotKeyPress(QKeyEvent* event);
    // A tool command from a tool panel or the editor's context menu.
    void creation_btnPress(struct T_ItemData* pItem);
    // The fee dialog; the accepted rate goes to the book, the model and the table.
    void on_OpenSetMoneyDlg();
    void on_sreach_btn(Widget_Sreach_Btn btnType, const QString& info);

protected:
    void customEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a save found before it stores anything: nothing to store (the
    // editor equals the record), a request ready, or a failure shown.
    enum class SaveStart { NothingToSave, Ready, Failed };
    SaveStart startSave(bool withStatistics, TC_Chapter_Edit_Content* request);
    // The record holds the editor's text as of that serial; its book goes
    // to the front of the shelf.
    void savedUpTo(quint64 serial);
    void bookToFront();
    void saveFailed();
    void setChapterText(const QString& text, bool copyBack);
    void applyDocumentFormat();
    // Replaces the editor text by text in the writing style, as one change.
    void setFormattedText(const QString& text);
    void formatDocument(const QString* replacement);
    void applyTextStyle();
    void applyPageMargins(bool centred);
    // Left, top, right and bottom margins of the page for the editor's size.
    QMargins pageMargins(bool centred) const;
    void setBold(bool fromSettings);
    void setItalic(bool fromSettings);
    void setUnderline(bool fromSettings);
    void setFontSize(int size);
    void setFontFamily(const QString& family);
    void setTextCenter();
    void saveCreationConf();
    // Tool windows of the tool panel; false for codes that are not tools.
    bool runTool(int code);
    void openSensitiveWords();
    void openWritingSettings();
    void toggleDarkSkin();
    // The author's typing sounds on or off, with a tip; on, whether the
    // machine has sound output is looked at.
    void toggleTypingSounds();
    void copySelection(const QTextCursor& cursor);
    void cutSelection(QTextCursor& cursor);
    void pasteClipboard(QTextCursor& cursor);
    void insertCuttingLine(QTextCursor& cursor);
    void oneKeyLayout();
    void refreshBottom();
    // The full-screen figures: placed and filled in full screen, hidden otherwise.
    void updateStatisticsBar();
    static QString lockProgressText(const T_WriteLock& lock);
    // The editor text, copied only after an edit, and its word count, kept
    // up to date by the editor.
    const QString& currentText() const;
    int currentWordCount() const;

    Creation_TextEdit* m_edit = nullptr;
    class Widget_Creation_Bottom* m_bottom = nullptr;
    class Widget_StatisticsBar* m_statistics = nullptr;
    QTimer* m_timer = nullptr;
    QFont m_font;
    bool m_chapterShown = false;
    bool m_focusSuspended = false;
    // The view follows the caret (to the chapter's end, or its line in the
    // middle in focus mode) until the author scrolls it; a caret move or the
    // next chapter brings the following back.
    bool m_followCaret = true;
    // The one look at the sound output a switch-on waits for.
    QMetaObject::Connection m_soundCheck;
    int m_localChapterId = 0;
    int m_localBookId = 0;
    QString m_bookName;
    QString m_chapterName;
    CJobManager* m_jobs = nullptr;
    CPublicManager* m_public = nullptr;
    CUiManager* m_ui = nullptr;
    QPointer<class Widget_SensitiveWords> m_sensitive;
    class EditorMarks* m_marks = nullptr;
    T_CreationConf& m_settings;
    T_WritingCounters& m_writing;
    // Editor serial the chapter content is known to equal; a save happens
    // only once the serial moved on and the text really differs.
    quint64 m_savedSerial = 0;
    // Editor serial the last tick saw, and whether an edit outside writing
    // still waits for its save.
    quint64 m_tickSerial = 0;
    bool m_quietEdit = false;
    // Saves in a row that failed only because another connection held the
    // write lock past the save's brief wait.
    int m_lockedSaves = 0;
    mutable quint64 m_textSerial = ~quint64(0);
    mutable QString m_text;
    void search(const QString& text);
    void stepMatch(int direction);
    void replaceCurrent(const QString& replacement);
    void replaceAll(const QString& replacement);
    void highlightMatch(int end, bool current);

    void placeOutlinePanel();
    Dialog_Search* m_searchDialog = nullptr;
    // The controller's panel, borrowed; guarded as its controller may rebuild it.
    QPointer<QWidget> m_outlinePanel;
    QList<int> m_matchEnds;
    int m_currentMatch = 0;
    int m_searchLength = 0;
    QString m_searchText;
    bool m_marked = false;
    std::function<bool(const QString&)> m_confirmReplaceAll;
    int m_autoSaveCounter = 0;
    bool m_savedAfterPause = false;

    // Focus-mode recentring and the outline ball (Widget_Creation_Content_focus.cpp).
    void initFocusMode();
    // A recentring scroll still under way would carry a text shown since, or
    // a view out of focus mode, to where the old caret was.
    void stopRecentring();
    // Recentres shortly after a chapter was put on screen.
    void recentreLater(int msecs);
    void slideBall(bool in);
    int ballRestY() const;
    QPushButton* m_outlineBall = nullptr;
    class QPropertyAnimation* m_ballAnimation = nullptr;
    QTimer* m_floatingTimer = nullptr;
    bool m_ballIn = false;
    bool m_recentrePending = false;
    bool m_mousePressed = false;
    bool m_restyleOnRecentre = false;
};
