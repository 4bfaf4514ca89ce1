#include "CJobManager.h"

#include "common/ChineseNumerals.h"

#include <QDebug>

CJobManager::CJobManager(QObject* parent) : QObject(parent) {}

CJobManager* CJobManager::instance()
{
    static CJobManager manager;
    return &manager;
}

bool CJobManager::init()
{
    initNumeralTables();
    qDebug() << "job manager ready; no local store is kept yet";
    return true;
}

bool CJobManager::saveUserData()
{
    return true;
}
