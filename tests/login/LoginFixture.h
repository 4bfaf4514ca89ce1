#pragma once

#include "StandinServer.h"

#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

class Dialog_LoginMain;

// The one stand-in of the executable; main() starts it first.
StandinServer& standin();

// A fresh start with nobody signed in: the job manager started on a new
// database in a temporary folder, the stand-in at its seed, and the login
// dialog that the start shows.
class LoginWorld
{
public:
    LoginWorld();
    ~LoginWorld();

    bool ok() const { return m_ok; }
    Dialog_LoginMain* dialog() const;
    QString path() const { return m_dir.path(); }

    // A value of tb_sys (the remembered user).
    static int lastUid();

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};
