// The window manager's part in the memo windows.

#include "CUiManager.h"

#include "db/records/T_Memo.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"

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

bool CUiManager::memosStored()
{
    if (MemoItemManager::instance()->saveAll().isEmpty())
        return true;
    showError(tr("A memo could not be saved; you stay signed in so that no word is lost"), 3000);
    return false;
}

void CUiManager::keepMemoWords()
{
    MemoItemManager* memos = MemoItemManager::instance();
    for (MemoItemWidget* window : memos->saveAll()) {
        // The last chance for these words: a file the next start points to.
        const T_Memo* memo = window->memo();
        keepUnsavedWords(memo != nullptr ? memo->bookName : QString(), tr("Memo"),
                         window->textEdit()->toPlainText());
        window->dropUnsavedText();
    }
    memos->closeAll();
}
