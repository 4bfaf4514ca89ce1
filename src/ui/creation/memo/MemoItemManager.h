#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class MemoItemWidget;
class MemoListWidget;
class QAbstractButton;
class QWidget;

// Owns every memo window and the memo list window, and is the one way the
// memo operations and the screens refresh them. Each refresh does nothing
// while no list window exists.
class MemoItemManager : public QObject
{
    Q_OBJECT
public:
    static MemoItemManager* instance();

    // Opens an empty memo window in the colour of the user's memo counter,
    // beside the window asking for it (by default the main window).
    MemoItemWidget* creatItemWidget(const QWidget* beside = nullptr);
    // Creates the list window on first call and shows it; with a button, the
    // list follows the button's checked state and unchecks it on closing.
    void showMemoList(QWidget* parent, QAbstractButton* button = nullptr);
    // Closes the list and every memo window; a window whose text cannot be
    // stored stays open (it says why).
    void closeAll();
    // Every open memo window stores the text it holds; the windows whose
    // text could not be stored (the database refused it), empty when all did.
    QList<MemoItemWidget*> saveAll();
    // The memo's open window stores the words typed there and not stored
    // yet, before something else changes the memo; false when a save failed.
    bool storeTyped(int localMemoId);

    void insertMemo(int index);
    void updateMemo(int index, int localMemoId, bool refreshWindow);
    // Closes the memo's window and deletes the memo through the list; false
    // when there is no list window (nothing is done then).
    bool removeMemo(int index, int localMemoId, bool fromServer);

    QString colorAt(int index) const;
    int indexOfColor(const QString& color) const;
    bool isItemOpen(int localMemoId) const;

    QList<MemoItemWidget*> openWindows() const { return m_listItem; }
    MemoListWidget* memoList() const;

private:
    explicit MemoItemManager(QObject* parent = nullptr);
    MemoItemWidget* windowOf(int localMemoId) const;

    QList<MemoItemWidget*> m_listItem;
    QPointer<MemoListWidget> m_memoList;
    QPointer<QAbstractButton> m_button;
    const QStringList m_palette;
};
