#pragma once

#include <QString>
#include <QStringList>

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

// Every text the client holds for the author, joined: chapter rows, waiting
// jobs and stored versions.
QString allLocalTexts();
// The texts of the recovery files.
QString recoveredTexts();
void removeRecoveredFiles();
