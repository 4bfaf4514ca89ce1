#pragma once

#include "manager/TessaneError.h"

#include <QString>
#include <QThread>

#include <functional>

// What an import needs of the GUI thread's state, taken there before the
// worker starts: the database file, the author and the import's start time.
struct T_ImportTarget
{
    QString dbFile;
    int uid = 0;
    int startTime = 0;
    // Asked on the worker between steps: true ends the import, which then
    // stores nothing (TessaneImportStopped). None: the import runs to its end.
    std::function<bool()> stopRequested;
};

// Runs one text import (CBookJobManager::books_import) and ends; an
// interruption request before its last turn stops it with nothing stored
// for the author.
class CThreadImportBook : public QThread
{
    Q_OBJECT
public:
    // Takes the database file, author and time from the GUI thread's database
    // and model: construct it on the GUI thread.
    CThreadImportBook(const QString& path, QObject* parent);

    // Valid once the thread has finished.
    TessaneError result() const { return m_result; }
    const T_ImportTarget& target() const { return m_target; }

protected:
    void run() override;

private:
    const QString m_path;
    T_ImportTarget m_target;
    TessaneError m_result = TessaneImportNotStored;
};
