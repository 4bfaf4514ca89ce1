#include "MemoItemManager.h"

#include "MemoItemWidget.h"
#include "MemoListWidget.h"
#include "manager/CPublicManager.h"
#include "common/Utility.h"
#include "manager/CUiManager.h"

#include <QAbstractButton>
#include <QDebug>

MemoItemManager::MemoItemManager(QObject* parent)
    : QObject(parent),
      m_palette{QStringLiteral("#C6C6FC"), QStringLiteral("#B5E6FF"), QStringLiteral("#B1F5EF"),
                QStringLiteral("#FFE9B5"), QStringLiteral("#FFB4C6"), QStringLiteral("#C9C3C3")}
{
}

MemoItemManager* MemoItemManager::instance()
{
    static MemoItemManager manager;
    return &manager;
}

MemoItemWidget* MemoItemManager::creatItemWidget(const QWidget* beside)
{
    auto* item = new MemoItemWidget();
    CUiManager::instance()->setDialogParent(item);
    connect(item, &MemoItemWidget::sig_closed, this, [this, item]() {
        m_listItem.removeAll(item);
        item->deleteLater();
        qDebug() << "m_listItem Count:" << m_listItem.size();
    });
    // A window also goes without closing, with the main window that is its
    // parent (a sign-out deletes that one): the list must not keep it.
    connect(item, &QObject::destroyed, this, [this, item]() { m_listItem.removeAll(item); });
    const int counter = CPublicManager::instance()->userConf.systemConf.memoCount;
    item->setColor(colorAt(((counter % m_palette.size()) + m_palette.size()) % m_palette.size()));
    // Where the desktop puts nothing, a new window would open at the screen's
    // corner, over the writing window's tree.
    moveBesideWindow(item, beside ? beside : CUiManager::instance()->currentWindow().data());
    item->show();
    m_listItem.append(item);
    return item;
}

void MemoItemManager::showMemoList(QWidget* parent, QAbstractButton* button)
{
    m_button = button;
    bool placed = !m_memoList.isNull();
    if (!m_memoList) {
        m_memoList = new MemoListWidget(parent);
        connect(m_memoList.data(), &MemoListWidget::sig_closed, this, [this]() {
            if (m_button)
                m_button->setChecked(false);
        });
    }
    const QSharedPointer<QWidget> window = CUiManager::instance()->currentWindow();
    if (window && m_memoList->parentWidget() != window.data()) {
        m_memoList->setParent(window.data(), m_memoList->windowFlags() | Qt::Dialog);
        placed = false;
    }
    // Beside the window it belongs to when it first shows there; moved by
    // the author, it stays where it was put.
    if (!placed) {
        m_memoList->resize(m_memoList->width(), m_memoList->maximumHeight());
        moveBesideWindow(m_memoList, m_memoList->parentWidget() ? m_memoList->parentWidget() : parent);
    }
    // The memo list may have been loaded again since the list was last seen.
    if (!m_memoList->isVisible())
        m_memoList->reload();
    if (m_button)
        m_memoList->setVisible(m_button->isChecked());
    else
        m_memoList->show();
}

void MemoItemManager::closeAll()
{
    if (m_memoList)
        m_memoList->close();
    const QList<MemoItemWidget*> windows = m_listItem;
    for (MemoItemWidget* item : windows)
        item->close();
}

QList<MemoItemWidget*> MemoItemManager::saveAll()
{
    QList<MemoItemWidget*> unsaved;
    const QList<MemoItemWidget*> windows = m_listItem;
    for (MemoItemWidget* item : windows) {
        if (!item->saveMemo())
            unsaved.append(item);
    }
    return unsaved;
}

bool MemoItemManager::storeTyped(int localMemoId)
{
    MemoItemWidget* item = windowOf(localMemoId);
    return item == nullptr || item->saveMemo();
}

void MemoItemManager::insertMemo(int index)
{
    if (m_memoList)
        m_memoList->insertMemo(index);
}

void MemoItemManager::updateMemo(int index, int localMemoId, bool refreshWindow)
{
    if (refreshWindow) {
        if (MemoItemWidget* item = windowOf(localMemoId))
            item->setMemo(CPublicManager::instance()->findMemoByLocalId(localMemoId));
    }
    if (m_memoList && index >= 0)
        m_memoList->updateMemo(index);
}

bool MemoItemManager::removeMemo(int index, int localMemoId, bool fromServer)
{
    if (!m_memoList)
        return false;
    if (MemoItemWidget* item = windowOf(localMemoId)) {
        item->dropUnsavedText();
        item->close();
    }
    m_memoList->removeMemo(index, fromServer);
    return true;
}

QString MemoItemManager::colorAt(int index) const
{
    return m_palette.value(index);
}

int MemoItemManager::indexOfColor(const QString& color) const
{
    return m_palette.indexOf(color);
}

bool MemoItemManager::isItemOpen(int localMemoId) const
{
    return windowOf(localMemoId) != nullptr;
}

MemoItemWidget* MemoItemManager::windowOf(int localMemoId) const
{
    if (localMemoId < 1)
        return nullptr;
    for (MemoItemWidget* item : m_listItem) {
        if (item->localMemoId() == localMemoId)
            return item;
    }
    return nullptr;
}

MemoListWidget* MemoItemManager::memoList() const
{
    return m_memoList.data();
}
