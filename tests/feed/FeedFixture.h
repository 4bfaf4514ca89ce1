#pragma once

#include "JobsFixture.h"

#include "remote/T_Http_Custom.h"

#include <QJsonObject>
#include <QString>

// The demo author's book as the stand-in seeds it (5001, volume 7001,
// chapters 9001 and 9002), stored locally as a synchronised copy.
struct SeededBook
{
    int localBookId = 0;
    int localVolumeId = 0;
    int localChapter1 = 0;
    int localChapter2 = 0;
};

bool seedDemoBook(SeededBook& out, const QString& text1 = QStringLiteral("本地第一章"),
                  const QString& text2 = QStringLiteral("本地第二章"));
// One change item as the control endpoint takes it, and as a pull reply lists it.
QJsonObject feedItem(int type, int bookId, int chapterId, const QString& extra = QString());
QJsonObject pulledItem(int id, int type, int bookId, int chapterId, const QString& extra = QString());
// A whole reply of the platform, for a raw fault; its userdata is what the
// client's request of that job type carries.
QByteArray platformReply(int jobType, int uid, const QJsonValue& content);
// The same for a request of that identity.
QByteArray platformReply(const T_Http_Custom& identity, const QJsonValue& content);
// The platform's answer, as it stands now, to a list of a book's chapters,
// volumes or outline cards, or to a memo's detail (by the request's job
// type; the memo's server id in memoId): to come later, as a slow platform
// answers. The request of such an identity, sent.
QJsonValue platformAnswerNow(const T_Http_Custom& identity);
bool askAs(const T_Http_Custom& identity);
// The text stored for a chapter row, and how many chapter rows a book has.
QString storedChapterText(int localChapterId);
int chapterRows(int localBookId);
QList<int> jobTypesOfChapter(int localChapterId);
// How many change items the platform still holds.
int storeFeedSize();
// The acknowledgements sent, as their task ids.
QList<int> acknowledgedIds();
// Waits until the feed pass ended (its update check went out).
bool waitForPassEnd(int count = 1, int timeoutMs = 15000);
// Waits until the client has nothing going on: no reply outstanding, no
// drain and no feed pass running.
bool settleClient(int timeoutMs = 30000);
// Seeds a fixture as one machine of the demo author (its own uniquecode);
// started later with restart().
bool seedMachine(JobsFixture& fixture, int index);
