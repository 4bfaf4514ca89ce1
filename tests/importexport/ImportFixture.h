#pragma once

#include "StandinServer.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

struct T_Book;

StandinServer& standin();

// A signed-in demo author on a fresh database file in a temporary folder,
// and helpers to run imports and read the tables.
class ImportFixture
{
public:
    ImportFixture();
    ~ImportFixture();
    bool ready() const { return m_ready; }

    // Writes the bytes to a file of that name in the temporary folder.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // Starts an import and waits for its end; the result code, or -1 when it
    // did not start, or -2 when it did not end in time.
    int import(const QString& path);

    QString dir() const { return m_dir.path(); }
    // Makes every chapter row take some milliseconds, as on a slow disk, so
    // that an import of a few thousand chapters is still writing while the
    // test acts; false takes that back.
    static bool slowChapterRows(bool slow);
    // Every row of a query on the GUI thread's connection, columns in order.
    static QList<QVariantList> rows(const QString& sql);
    static int count(const QString& table);
    static T_Book* firstBook();
    // How long SQLite's busy handlers of the connections opened since the
    // fixture began asked to sleep while another connection held the write
    // lock, in milliseconds: what they waited, however busy the machine.
    static qint64 lockWaitMs();

    // Signs the author in for the job queue and waits until the platform
    // has answered every job the import recorded (the queue is empty),
    // however slowly the replies come. Until then only the book is sent.
    static bool waitUntilAllAnswered(int timeoutMs = 120000);
    // The chapter lists of the batches the platform received, in the order
    // received; a batch the transport sent again counts once.
    static QList<QJsonArray> receivedBatches();

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
};
