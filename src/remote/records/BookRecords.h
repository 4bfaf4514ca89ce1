#pragma once

// Requests and replies of the book endpoints.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QString>
#include <QVector>

namespace JobType {
enum BookJobs {
    BooksAdd = 1002,
    BooksList = 1003,
    BooksInfo = 1004,
    BooksDelete = 1005,
    BooksEdit = 1006,
    BooksDeleteHard = 1028,
    BooksRestore = 1029,
};
}

struct TC_Books_AddBook
{
    T_Http_Custom header;
    QString bookName;
    int createTime = 0;
    int updateTime = 0;
    bool import = false;
    QString localCover;

    TC_Books_AddBook() { header.jobType = JobType::BooksAdd; header.runNext = 1; }
    TC_Books_AddBook(const QString& name, int created, int updated, const QString& cover)
        : TC_Books_AddBook()
    {
        bookName = name;
        createTime = created;
        updateTime = updated;
        localCover = cover;
    }
};

struct TS_Books_AddBook
{
    T_Http_S header;
    int book_id = 0;
    int local_id = 0;
    int uid = 0;
};

// Header only: the book's ids.
struct TC_Books_Info
{
    T_Http_Custom header;
    TC_Books_Info() { header.jobType = JobType::BooksInfo; }
};

struct TS_Books_Info
{
    T_Http_S header;
    int author_id = 0;
    int book_id = 0;
    QString book_name;
    int cate_id = 0;
    int channel_type = 0;
    int chapter_count = 0;
    QString cover;
    int create_time = 0;
    int first_cate_id = 0;
    QString intro;
    int update_time = 0;
    int word_num = 0;
};

struct TC_Books_Delete
{
    T_Http_Custom header;
    int updateTime = 0;

    TC_Books_Delete() { header.jobType = JobType::BooksDelete; }
    TC_Books_Delete(int localBookId, int time) : TC_Books_Delete()
    {
        header.localBookId = localBookId;
        updateTime = time;
    }
};

struct TC_Books_Delete_Hard
{
    T_Http_Custom header;
    int updateTime = 0;
    TC_Books_Delete_Hard() { header.jobType = JobType::BooksDeleteHard; }
};

struct TC_Books_Restore
{
    T_Http_Custom header;
    int updateTime = 0;
    TC_Books_Restore() { header.jobType = JobType::BooksRestore; }
};

struct TC_Books_Edit
{
    T_Http_Custom header;
    QString bookName;
    QString intro;
    int channelType = 0;
    int cateId = 0;
    int cateFid = 0;
    // A local picture path until the book operations replace it by the
    // picture's data URL, which is what the request carries as "cover".
    QString localCover;
    int updateTime = 0;
    // Name, introduction, channel and categories are all the author's, an
    // empty introduction included; otherwise empty or 0 members keep the
    // book's own values.
    bool wholeBook = false;

    TC_Books_Edit() { header.jobType = JobType::BooksEdit; }
    TC_Books_Edit(int localBookId, int channel, int cate, int cateParent, const QString& name,
                  const QString& introduction, const QString& cover, int time)
        : TC_Books_Edit()
    {
        header.localBookId = localBookId;
        channelType = channel;
        cateId = cate;
        cateFid = cateParent;
        bookName = name;
        intro = introduction;
        localCover = cover;
        updateTime = time;
    }
};

// The platform answers every member as text.
struct TS_Books_Edit
{
    T_Http_S header;
    QString book_name;
    QString cate_id;
    QString channel_type;
    QString cover;
    QString intro;
};

struct TS_Books_ListItem
{
    int book_id = 0;
    QString book_name;
    QString cover;
    int word_num = 0;
};

struct TS_Books_List
{
    T_Http_S header;
    int count = 0;
    QVector<TS_Books_ListItem> items;
};
