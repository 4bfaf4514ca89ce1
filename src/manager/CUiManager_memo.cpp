// The window manager's part in the memo windows.

#include "CUiManager.h"

#include <QWidget>

void CUiManager::setDialogParent(QWidget* widget)
{
    if (!widget)
        return;
    const Qt::WindowFlags flags = widget->windowFlags() | Qt::Dialog;
    const QSharedPointer<QWidget> window = currentWindow();
    if (window && widget->parentWidget() != window.data())
        widget->setParent(window.data(), flags);
    else
        widget->setWindowFlags(flags);
}

void CUiManager::setMemoChapter(int localBookId, int localChapterId)
{
    m_memoLocalBookId = qMax(0, localBookId);
    m_memoLocalChapterId = qMax(0, localChapterId);
}
