#pragma once

#include "JobsFixture.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

struct T_Memo;

// A memo row as stored, for comparing with the model.
struct MemoRow
{
    bool found = false;
    int memoId = 0;
    QString color;
    QString content;
    int localBookId = 0;
    int localChapterId = 0;
    int isHold = 0;
    double x = 0;
    double y = 0;
};

struct MemoJob
{
    int jobType = 0;
    int memoId = 0;
    QString content;
};

MemoRow memoRow(int localMemoId);
QList<MemoJob> memoJobs(int localMemoId);
// Bodies of the requests to a path as JSON objects, oldest first.
QList<QJsonObject> bodiesTo(const QString& path);
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 15000);
// A client started on a fresh file with its start-up pass finished.
bool startClient(JobsFixture& f);
// Adds a memo through the facade and waits until the platform gave it its id.
T_Memo* addSyncedMemo(const QString& text, const QString& color = QStringLiteral("#B5E6FF"));
