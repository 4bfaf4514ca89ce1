#include "CThreadImportBook.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"

CThreadImportBook::CThreadImportBook(const QString& path, QObject* parent)
    : QThread(parent), m_path(path)
{
    m_target.dbFile = CTessaneDb::instance()->dbFilePath();
    m_target.uid = CPublicManager::instance()->userInfo.uid;
    m_target.startTime = static_cast<int>(currentServerTime());
    m_target.stopRequested = [this]() { return isInterruptionRequested(); };
}

void CThreadImportBook::run()
{
    m_result = CBookJobManager::instance()->books_import(m_path, m_target);
}
