#pragma once

// Requests and replies of the statistics, sensitive-word, category, update and
// change-feed endpoints.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QJsonArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

struct TC_AuthorCount_Save
{
    T_Http_Custom header;
    QString date; // "yyyy-MM-dd"
    int update_time = 0;
    int pc_word = 0;
    int all_word = 0;
    int write_time = 0;
    int speed = 0;
    int netIncrease = 0;
};

struct TC_AuthorCount_SaveTools
{
    T_Http_Custom header;
    QString date;
    int outline_word_num = 0;
    int memo_word_num = 0;
    int update_time = 0;
};

struct TC_AuthorCount_UserData
{
    T_Http_Custom header;
    int channel = 0; // the asynchronous request only
};

struct TS_AuthorCount_UserData
{
    T_Http_S header;
    QList<int> wordData;
    QList<int> increaseData;
    QStringList timeData; // day labels
    QList<int> speedData;
    QList<int> writeTimeData;
    int max_word = 0;
    int max_write_time = 0;
    int max_speed = 0;
    int sum_word = 0;
    int sum_write_time = 0;
};

struct TC_SynchronizaTion_SynData
{
    T_Http_Custom header;
};

struct TS_SynchronizaTion_SynData
{
    T_Http_S header;
    int cateVersion = 0;
    int sensitiveVersion = 0;
    int peopleNameDataVersion = 0;
    int levelVersion = 0;
};

struct TC_SynchronizaTion_SynBookData
{
    T_Http_Custom header;
};

struct T_SynchronizaTion_SynBookDataItem
{
    int bookId = 0;
    int chapterId = 0;
    int changeType = 0;
    int synId = 0;
    QString extra; // JSON text; its meaning depends on the change type
};

// Owns its items: they are deleted when the record is refilled or destroyed,
// unless the synchroniser has taken them out of the list first.
struct TS_SynchronizaTion_SynBookData
{
    T_Http_S header;
    QList<T_SynchronizaTion_SynBookDataItem*> items;

    TS_SynchronizaTion_SynBookData() = default;
    TS_SynchronizaTion_SynBookData(const TS_SynchronizaTion_SynBookData&) = delete;
    TS_SynchronizaTion_SynBookData& operator=(const TS_SynchronizaTion_SynBookData&) = delete;
    ~TS_SynchronizaTion_SynBookData() { qDeleteAll(items); }
};

struct TC_SynchronizaTion_SynAuthor
{
    T_Http_Custom header;
    int task_id = 0;
    int syn_type = 0;
};

struct TC_UpdateOnline
{
    T_Http_Custom header;
    QString os;
    QString channel;
    int version_code = 0;
};

struct TS_UpdateOnline
{
    T_Http_S header;
    int status = 0;
    QString name;
    int version_code = 0;
    QString url;
    QString update_log;
    QString channel;
};

struct TC_Level_AllData
{
    T_Http_Custom header;
};

struct TS_Level_AllData
{
    T_Http_S header;
    int version = 0;
    QJsonArray data;
};

struct TC_Sensitive_Edit
{
    T_Http_Custom header;
    QString words;
    int update_time = 0;
};

struct TC_Sensitive_Get
{
    T_Http_Custom header;
    int sensitive_type = 0;
};

struct TS_Sensitive_Get
{
    T_Http_S header;
    QString sensitiveWords;
    int sensitive_type = 0;
    int version = 0;
};

struct TC_Sensitive_NameData
{
    T_Http_Custom header;
};

struct TS_Sensitive_NameData
{
    T_Http_S header;
    int version = 0;
    QMap<int, QString> texts;     // by name-list type, as sent
    QMap<int, QStringList> lists; // the same texts split on ","
};

struct T_Books_CateItem
{
    int cate_id = 0;
    int parentId = 0; // the channel number for a top-level category
    QString cate_name;
    int channel = 0;  // 1 male, 2 female
    int childCount = 0;
    QVector<T_Books_CateItem> children;
};

struct TS_Books_CateList
{
    int count = 0;
    QVector<T_Books_CateItem> items;
};

struct TC_Books_Cate
{
    T_Http_Custom header;
};

struct TS_Books_Cate
{
    T_Http_S header;
    TS_Books_CateList female;
    TS_Books_CateList male;
    int version = 0;
};
