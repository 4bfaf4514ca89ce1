#pragma once

#include <QString>
#include <QStringList>

#include <sys/resource.h>

// Database faults for the writing tests: a trigger makes every write of one
// kind to one table fail until it is dropped, as a full or failing disk would.
class WriteFault
{
public:
    // operation: "INSERT", "UPDATE" or "DELETE".
    WriteFault(const QString& table, const QString& operation);
    ~WriteFault();
    bool armed() const { return m_armed; }
    void drop();

private:
    QString m_name;
    bool m_armed = false;
};

// The recovery folder on a full disk while the object lives: a tiny file
// system mounted over it and filled up when this process may mount one,
// otherwise (or when every folder is to be full) a file size limit of one
// byte for the process, under which every write into a file fails as on a
// full disk.
class FullRecoveryDisk
{
public:
    enum Reach { RecoveryFolder, EveryFolder };
    explicit FullRecoveryDisk(Reach reach = RecoveryFolder);
    ~FullRecoveryDisk();
    bool ok() const { return m_ok; }
    // Other folders take writes again (the size limit binds every folder).
    void spareOtherFolders();

private:
    QString m_folder;
    rlimit m_sizeLimit{};
    bool m_mounted = false;
    bool m_limited = false;
    bool m_ok = false;
};

// Every text the client holds for the author, joined: chapter rows, waiting
// jobs and stored versions.
QString allLocalTexts();
// The texts of the recovery files (in folder when one is given).
QString recoveredTexts(const QString& folder = QString());
void removeRecoveredFiles();
