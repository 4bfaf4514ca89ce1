#include "COutlineController.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"

COutlineController::COutlineController(QObject* parent) : QObject(parent) {}

COutlineController* COutlineController::instance()
{
    static COutlineController* controller = new COutlineController();
    return controller;
}

T_Book* COutlineController::currentBook() const
{
    if (m_localBookId < 1)
        return nullptr;
    return CPublicManager::instance()->findBookByLocalId(m_localBookId);
}

void COutlineController::loadBook(T_Book* book)
{
    m_localBookId = book ? book->localId : 0;
    emit sigBookChanged(m_localBookId);
}

void COutlineController::addItem(T_Book* book, T_Outline* outline, bool fromServer)
{
    Q_UNUSED(fromServer)
    if (outline == nullptr)
        return;
    if (book == nullptr) {
        delete outline;
        return;
    }
    if (book->outline.outlineList.contains(outline))
        return;
    book->outline.outlineList.append(outline);
    if (book->localId == m_localBookId)
        emit sigItemAdded(outline);
}

void COutlineController::removeItem(T_Book* book, T_Outline* outline, bool fromServer)
{
    Q_UNUSED(fromServer)
    if (book == nullptr || outline == nullptr)
        return;
    if (!book->outline.outlineList.removeOne(outline))
        return;
    const int localOutlineId = outline->localId;
    delete outline;
    if (book->localId == m_localBookId)
        emit sigItemRemoved(book->localId, localOutlineId);
}

void COutlineController::updateItem(T_Outline* outline)
{
    if (outline != nullptr)
        emit sigItemChanged(outline);
}

void COutlineController::removeBook(int localBookId)
{
    if (localBookId < 1 || localBookId != m_localBookId)
        return;
    for (T_Book* book : qAsConst(CPublicManager::instance()->bookList)) {
        if (book->localId != localBookId) {
            loadBook(book);
            return;
        }
    }
}
