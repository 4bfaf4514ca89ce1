#pragma once

// Requests and replies of the memo endpoints. The header's local and server
// memo ids name the memo.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QString>

namespace JobType {
enum MemoJobs {
    MemoAdd = 3002,
    MemoDel = 3003,
    MemoEditColor = 3004,
    MemoEditContent = 3005,
    MemoEditLocation = 3006,
    MemoEdit = 3007,
    MemoDetail = 3008,
    MemoList = 3009,
};
}

struct TC_Memo_Add
{
    T_Http_Custom header;
    QString content;
    int updateTime = 0;
    QString color;
    TC_Memo_Add() { header.jobType = JobType::MemoAdd; }
};

struct TS_Memo_Add
{
    T_Http_S header;
    int memo_id = 0;
};

struct TC_Memo_Del
{
    T_Http_Custom header;
    int updateTime = 0;
    TC_Memo_Del() { header.jobType = JobType::MemoDel; }
};

struct TC_Memo_Detail
{
    T_Http_Custom header;
    TC_Memo_Detail() { header.jobType = JobType::MemoDetail; }
};

struct TS_Memo_Detail
{
    T_Http_S header;
    int id = 0;
    QString color;
    QString content;
    int update_time = 0;
    int color_update_time = 0;
    int book_id = 0;
    int chapter_id = 0;
    QString location;
};

// One request serves the colour, text and position edits; the job type in
// the header picks the members sent.
struct TC_Memo_Edit
{
    T_Http_Custom header;
    QString content;
    QString color; // empty: unchanged
    int updateTime = 0;
    int localBookId = 0;
    int localChapterId = 0;
    int bookId = 0;
    int chapterId = 0;
    float x = 0;
    float y = 0;
    int width = 0;
    int height = 0;
    QString location; // "x,y,width,height"; empty when the memo is not placed
    bool contentChanged = false;
    bool locationChanged = false;
    int isHold = 0;

    TC_Memo_Edit() { header.jobType = JobType::MemoEdit; }
    TC_Memo_Edit(int localMemoId, int memoId, int time, const QString& text, const QString& colour,
                 int localBook, int localChapter, float posX, float posY, int hold, int w, int h)
        : TC_Memo_Edit()
    {
        header.localMemoId = localMemoId;
        header.memoId = memoId;
        updateTime = time;
        content = text;
        color = colour;
        localBookId = localBook;
        localChapterId = localChapter;
        x = posX;
        y = posY;
        isHold = hold;
        width = w;
        height = h;
        if (x != 0 || y != 0) {
            location = QString::number(double(x), 'g') + QLatin1Char(',') + QString::number(double(y), 'g')
                + QLatin1Char(',') + QString::number(width) + QLatin1Char(',') + QString::number(height);
        }
    }
};
