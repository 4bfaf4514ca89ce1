#pragma once

// Requests and replies of the outline endpoints. Outline records carry the
// book's ids as their own fields as well as in the header.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QList>
#include <QString>

namespace JobType {
enum OutlineJobs {
    OutlineCreate = 1022,
    OutlineUpdate = 1023,
    OutlineDelete = 1024,
    OutlineDetail = 1025,
    OutlineList = 1026,
    OutlineMove = 1027,
};
}

struct TC_BookOutline_Create
{
    T_Http_Custom header;
    int localOutlineId = 0;
    int localBookId = 0;
    int bookId = 0;
    int type = 0;
    int orderNum = 0;
    int outlineId = 0;
    QString title;
    QString content;
    int updateTime = 0;

    TC_BookOutline_Create() { header.jobType = JobType::OutlineCreate; }
    TC_BookOutline_Create(int serverBookId, int localBook, int localOutline, int serverOutline,
                          int outlineType, int order, int time, const QString& outlineTitle,
                          const QString& text)
        : TC_BookOutline_Create()
    {
        bookId = serverBookId;
        localBookId = localBook;
        header.bookId = serverBookId;
        header.localBookId = localBook;
        localOutlineId = localOutline;
        outlineId = serverOutline;
        type = outlineType;
        orderNum = order;
        updateTime = time;
        title = outlineTitle;
        content = text;
    }
};

struct TS_BookOutline_Create
{
    T_Http_S header;
    int local_id = 0;
    int book_id = 0;
    int outline_id = 0;
    int type = 0;
};

struct TC_BookOutline_Update
{
    T_Http_Custom header;
    int localOutlineId = 0;
    int outlineId = 0;
    int localBookId = 0;
    int bookId = 0;
    int updateTime = 0;
    int type = 0;
    QString title;
    QString content;
    TC_BookOutline_Update() { header.jobType = JobType::OutlineUpdate; }
};

struct TC_BookOutline_Delete
{
    T_Http_Custom header;
    int localOutlineId = 0;
    int outlineId = 0;
    int type = 0;
    int localBookId = 0;
    int bookId = 0;
    int updateTime = 0;
    TC_BookOutline_Delete() { header.jobType = JobType::OutlineDelete; }
};

struct TC_BookOutline_Detail
{
    T_Http_Custom header;
    int bookId = 0;
    int outlineId = 0;
    TC_BookOutline_Detail() { header.jobType = JobType::OutlineDetail; }
};

// Also one entry of the outline list (its header then stays as constructed).
struct TS_BookOutline_Detail
{
    T_Http_S header;
    int book_id = 0;
    int outline_id = 0;
    int order_num = 0;
    int type = 0;
    QString title;
    QString content;
    int create_time = 0;
};

// The book's ids travel in the header.
struct TC_BookOutline_List
{
    T_Http_Custom header;
    TC_BookOutline_List() { header.jobType = JobType::OutlineList; }
};

struct TS_BookOutline_List
{
    T_Http_S header;
    QList<TS_BookOutline_Detail> items;
};

struct TC_BookOutline_Move
{
    T_Http_Custom header;
    int bookId = 0;
    int localBookId = 0;
    int fromLocalId = 0;
    int toLocalId = 0;
    int fromOutlineId = 0;
    int toOutlineId = 0;
    int updateTime = 0;
    TC_BookOutline_Move() { header.jobType = JobType::OutlineMove; }
};
