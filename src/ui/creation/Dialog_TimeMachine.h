#pragma once

#include "VersionCompare.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

class CBaseTitleBar;
class CJobManager;
class CQssManager;
class CUiManager;
class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;
class QStringListModel;
class QTextBrowser;
class Widget_CompareHint;
struct T_Chapter;
struct T_Chapter_TimeMachineItem;

// The chapter history: the newest stored versions of one chapter, the chosen
// one beside the current text with deletions red and insertions blue, and the
// restore of a version as the chapter's text. Modal, one per opening; the list
// follows the versions stored while it is open (the restore's own among them).
class Dialog_TimeMachine : public QDialog
{
    Q_OBJECT
public:
    Dialog_TimeMachine(T_Chapter* chapter, QWidget* parent = nullptr);
    ~Dialog_TimeMachine() override;

    // Shows version row against the chapter's current text. Long chapters
    // are compared on a worker thread and shown once done.
    void compareVersion(int row);
    // True while a comparison runs or its view is being filled.
    bool isComparing() const { return m_comparing; }
    // Makes the shown version the chapter's text: the editor's words are
    // stored at once; keeping them as a version, storing the version and the
    // editor taking it follow a turn of the event loop apart each.
    void restoreVersion();
    // True from a restore until the version is the chapter's text.
    bool isRestoring() const { return m_restoring; }

    int currentIndex() const { return m_currentIndex; }
    const QStringList& labels() const { return m_labels; }

signals:
    // A comparison is on screen.
    void compared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void initUI();
    void clearVersions();
    // Reads the chapter's version list (without texts) from the database.
    void readVersions();
    // Puts the list on screen with the version of that id chosen (the newest
    // when it is gone), which is then compared.
    void showVersions(int chosenLocalId);
    void onVersionsChanged(int localChapterId);
    void onRowChosen(int row);
    void showCompared(const ComparedVersion& result);
    void fillViews();
    void attachDocument(QTextBrowser* view, QTextDocument* document);
    // Keeps the chapter's stored text as a version of its own before a
    // restore replaces it; false when that failed.
    static bool keepStoredAsVersion(int localBookId, int localChapterId, const QString& restored, int now);
    // Stores a restored text as the chapter's; false when it was not stored.
    static bool storeRestored(int localBookId, int localChapterId, const QString& restored, int now);
    // The editor, when it shows the chapter, takes the restored text; false
    // when the author typed meanwhile and the editor keeps those words.
    static bool showRestored(int localBookId, int localChapterId);

    QStringListModel* m_model = nullptr;
    Widget_CompareHint* m_hint = nullptr;
    QStringList m_labels;
    QList<T_Chapter_TimeMachineItem*> m_versions;
    // The chapter by id, looked up on use: the dialog runs its own loop,
    // during which the model may drop the record.
    T_Chapter* chapter() const;
    int m_localBookId = 0;
    int m_localChapterId = 0;
    CJobManager* m_jobs = nullptr;
    CUiManager* m_ui = nullptr;
    CQssManager* m_qss = nullptr;
    int m_currentIndex = -1;
    // The list is on screen, from the first show on.
    bool m_listed = false;
    double m_scale = 1.0;
    // The newest request; results of older ones are dropped.
    int m_compareSerial = 0;
    bool m_comparing = false;
    bool m_restoring = false;
    ComparedVersion m_pending;
    int m_versionFilled = 0;
    int m_markedFilled = 0;
    // Fills a long comparison in, a slice per turn of the event loop.
    class QTimer* m_fillTimer = nullptr;
    QPointer<class QTextDocument> m_versionDocument;
    QPointer<class QTextDocument> m_markedDocument;

    QWidget* m_background = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_page = nullptr;
    QWidget* m_emptyPage = nullptr;
    QLabel* m_labelCount = nullptr;
    QListView* m_list = nullptr;
    QPushButton* m_btnRestore = nullptr;
    QPushButton* m_btnTips = nullptr;
    QTextBrowser* m_versionText = nullptr;
    QTextBrowser* m_currentText = nullptr;
};
