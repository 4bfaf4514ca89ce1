#pragma once

#include <QElapsedTimer>
#include <QWidget>

class CTextEdit;
class MemoColorPallet;
class NcFramelessHelper;
class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
struct T_Memo;

// One memo as a floating note. The first text typed into an empty window
// creates the memo; later typing is stored once the author pauses (and when
// the editor loses focus or the window closes), one save per pause rather
// than per key. The memo record changes only after its row and job are
// committed. Text the database refused stays in the window, which then will
// not close, until a later save stores it or the window manager keeps it in
// a file.
class MemoItemWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MemoItemWidget(QWidget* parent = nullptr);

    // Shows the memo (null is ignored). The window keeps the memo's local id
    // and looks the record up when it needs it, so a memo freed elsewhere
    // never leaves it with a dangling pointer.
    void setMemo(T_Memo* memo);
    T_Memo* memo() const;
    int localMemoId() const { return m_localMemoId; }
    void setColor(const QString& color);
    QString color() const { return m_color; }
    // Stores the text typed since the last save (creating the memo when its
    // first text could not be stored); false, with the author told, while
    // the window holds text the database refused.
    bool saveMemo();
    void updateList();
    bool hasUnsavedText() const { return m_changed; }
    // The unsaved text was kept elsewhere (a recovery file), or its memo is
    // being deleted: the window holds no words only it has, and closes.
    void dropUnsavedText();

    CTextEdit* textEdit() const { return m_textEdit; }
    QPushButton* addButton() const { return m_btnAddMemo; }
    QPushButton* dingButton() const { return m_btnDing; }
    QPushButton* closeButton() const { return m_btnClose; }
    QPushButton* palletButton() const { return m_btnColorPallet; }
    QLabel* bookLabel() const { return m_labelBookName; }
    QLabel* chapterLabel() const { return m_labelChapterName; }
    MemoColorPallet* pallet() const { return m_pallet; }
    QMenu* contextMenu() const { return m_menu; }
    QAction* cutAction() const { return m_actCut; }
    QAction* copyAction() const { return m_actCopy; }
    QAction* pasteAction() const { return m_actPaste; }

    // Pins the memo to the open chapter, or unpins it when it is pinned there.
    void toggleDing();
    // Enables the menu's actions for the editor's state.
    void updateMenuActions();
    void copySelection();
    void onColorChosen(const QString& color);
    void showPallet();

signals:
    void sig_closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void initUi();
    void initMenu();
    void initConnects();
    void onTextChanged();
    bool currentDing(const T_Memo* memo) const;
    // False (the author told) when the database refused the memo.
    bool createMemo(const QString& text);
    void reportMemoWords();
    void saveFailed();
    // Restarts the wait for the author's pause; a run of typing with no
    // pause is stored at the latest some seconds after its first key.
    void saveAtPause();
    void onPause();

    int m_localMemoId = 0;
    // Text typed that no row holds yet.
    bool m_changed = false;
    // The author heard of the failing saves since the last one that worked.
    bool m_failureTold = false;
    QTimer* m_pause = nullptr;
    // Since the first key the pause timer waits to store.
    QElapsedTimer m_unsavedSince;
    QString m_color;
    NcFramelessHelper* m_frameless = nullptr;
    MemoColorPallet* m_pallet = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actCut = nullptr;
    QAction* m_actCopy = nullptr;
    QAction* m_actPaste = nullptr;
    double m_scale = 1.0;

    QWidget* m_background = nullptr;
    QWidget* m_widgetTitle = nullptr;
    QHBoxLayout* m_layoutTitle = nullptr;
    QPushButton* m_btnAddMemo = nullptr;
    QPushButton* m_btnDing = nullptr;
    QPushButton* m_btnClose = nullptr;
    CTextEdit* m_textEdit = nullptr;
    QLabel* m_labelPixmap = nullptr;
    QLabel* m_labelBookName = nullptr;
    QLabel* m_labelChapterName = nullptr;
    QPushButton* m_btnColorPallet = nullptr;
};
