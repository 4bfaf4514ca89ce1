#pragma once

#include "remote/records/SystemRecords.h"

#include <QByteArray>
#include <QObject>

class CPublicManager;
class CTessaneHttp;
class CUiManager;
struct T_Book;

// The change feed: pulls the list of changes made to the author's data
// elsewhere (job 3010). What is here: the pull and the end of a pass. The
// items are read and logged but not applied yet, and none is acknowledged,
// so the platform keeps offering them until their handlers exist.
class CSynDataManager : public QObject
{
    Q_OBJECT
public:
    static CSynDataManager* instance();

    // Empties the queue and sends the pull.
    void requestSynData();
    // The pull's reply.
    void startSyn(const QByteArray& body);
    // The item at the head is done: the next one.
    void execNext();
    // A request of the pass failed: the pass ends without acknowledging
    // anything, so the next pull brings the same items again.
    void abortSyn();
    // Forgets the queue (signing out, closing).
    void clear();

    int pendingItems() const { return m_reply.items.size(); }

    // The queue of change items, for the book operations: a book whose
    // changes are queued shows as synchronising; a change the client needs
    // itself (a chapter's text, change type 9) is queued behind the rest.
    void countBookItems(T_Book* book);
    void addSynItem(int changeType, int bookId, int chapterId, int synId, const QString& extra);
    bool hasSynItem(int changeType, int bookId, int chapterId) const;

private:
    explicit CSynDataManager(QObject* parent = nullptr);
    void execSynData();
    void endPass(bool ok);

    TS_SynchronizaTion_SynBookData m_reply;
    CTessaneHttp* m_http = nullptr;
    CPublicManager* m_model = nullptr;
    CUiManager* m_ui = nullptr;
};
