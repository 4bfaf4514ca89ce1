#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Which counters of a day an update touches.
enum StatisticsType {
    StatisticsWriting = 0,  // writeTime, wordCount, writeSpeed, wordCountAll, netIncrease
    StatisticsOutline = 1,  // outlineNum, memoNum
    StatisticsMemo = 2,     // outlineNum, memoNum
};

// One day of one author's writing statistics. Given to an update it carries
// increments in every counter except writeSpeed, which is a current value.
struct T_Statistics
{
    QString date;  // "yyyy-MM-dd", local calendar; empty = no day set
    int writeTime = 0;
    int wordCount = 0;
    int writeSpeed = 0;
    bool isChanged = false;  // kept by the writing window, not stored
    int wordCountAll = 0;
    int netIncrease = 0;
    int outlineNum = 0;
    int memoNum = 0;
};

// What the statistics page shows: the last seven days, oldest first (the
// caller sets their dates), and figures over every stored day of the author.
struct T_StatisticsSummary
{
    std::array<T_Statistics, 7> days;
    int maxWriteTime = 0;
    int maxWordCount = 0;
    int maxWriteSpeed = 0;
    int sumWordCount = 0;
    int sumWriteTime = 0;
};

// The day's 13 usage counters, kept as one comma-separated text.
struct T_ClientStatistics
{
    QString date;
    QString uv;
    QStringList uvList;
};

// The platform's history of past days: five lists of equal length.
struct T_StatisticsHistory
{
    QStringList days;
    QList<int> writeTime;
    QList<int> wordCount;
    QList<int> writeSpeed;
    QList<int> netIncrease;
};
