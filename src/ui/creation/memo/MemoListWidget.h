#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

class CMemoListDelegate;
class CMemoListModel;
class CMemoListSortModel;
class CPublicManager;
class QLabel;
class QListView;
class QPushButton;

// The list of all the author's memos as coloured cards. A double-click opens
// a memo in its window; dragging a card out tears the memo off as a window
// where it is dropped. Closing only hides the list.
class MemoListWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MemoListWidget(QWidget* parent = nullptr);

    // Rows of the shared memo list (source rows).
    void insertMemo(int row);
    void updateMemo(int row);
    // A local delete names a row of the sorted view, a change from the
    // platform a row of the shared memo list.
    void removeMemo(int row, bool fromServer);
    // Every row anew from the shared memo list.
    void reload();

    QListView* listView() const { return m_listView; }
    CMemoListModel* listModel() const { return m_listModel; }
    CMemoListSortModel* sortModel() const { return m_sortModel; }
    CMemoListDelegate* delegate() const { return m_delegate; }
    QPushButton* addButton() const { return m_btnAddMemo; }
    QPushButton* sortButton() const { return m_btnSort; }
    QPushButton* closeButton() const { return m_btnClose; }

    // Opens the memo of a sorted-view row in a new window; null when the row
    // is outside the list or the memo's window is already open.
    QWidget* openRow(int viewRow);

signals:
    void sig_closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void initUi();
    int sourceRowAt(const QPoint& pos) const;
    void startTearOff(const QPoint& pos);

    CPublicManager* m_model = nullptr;
    CMemoListModel* m_listModel = nullptr;
    CMemoListSortModel* m_sortModel = nullptr;
    CMemoListDelegate* m_delegate = nullptr;
    QPoint m_pressPos;
    QListView* m_listView = nullptr;
    QPushButton* m_btnAddMemo = nullptr;
    QPushButton* m_btnSort = nullptr;
    QPushButton* m_btnClose = nullptr;
    QLabel* m_labelTitle = nullptr;
    QLabel* m_labelSync = nullptr;
};
