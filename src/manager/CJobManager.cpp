#include "CJobManager.h"

#include "common/ChineseNumerals.h"
#include "db/CTessaneDb.h"

#include <QDebug>

CJobManager::CJobManager(QObject* parent) : QObject(parent) {}

CJobManager* CJobManager::instance()
{
    static CJobManager manager;
    return &manager;
}

bool CJobManager::init()
{
    if (!CTessaneDb::instance()->init()) {
        qCritical() << "db init error";
        return false;
    }
    initNumeralTables();
    qDebug() << "job manager ready";
    return true;
}

bool CJobManager::saveUserData()
{
    return true;
}

void CJobManager::execUserJob()
{
}
