#include "LoginFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "ui/login/Dialog_LoginMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

LoginWorld::LoginWorld()
{
    CJobManager::instance()->close();
    // Every test starts with the dialog a program start would make.
    delete CUiManager::instance()->loginDialog();
    QCoreApplication::processEvents();
    const QString program = m_dir.path() + QStringLiteral("/program");
    QDir().mkpath(program);
    m_ok = m_dir.isValid() && standin().reset()
        && CJobManager::instance()->init(m_dir.path() + QStringLiteral("/wrt.db"), program)
        && standin().clearJournal();
}

LoginWorld::~LoginWorld()
{
    CJobManager::instance()->close();
    delete CUiManager::instance()->loginDialog();
}

Dialog_LoginMain* LoginWorld::dialog() const
{
    return CUiManager::instance()->loginDialog();
}

int LoginWorld::lastUid()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select lastUid from tb_sys;")) || !query.next())
        return -1;
    return query.value(0).toInt();
}
