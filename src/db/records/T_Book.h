#pragma once

#include "T_Chapter.h"
#include "T_Outline.h"
#include "T_Volume.h"

#include <QList>
#include <QString>

// One book with everything it owns: volumes, chapters, recycled chapters and
// outlines. Deleting a book deletes all of them, so a book is never copied.
struct T_Book
{
    T_Book() = default;
    T_Book(int localId, const QString& bookName);
    ~T_Book();
    T_Book(const T_Book&) = delete;
    T_Book& operator=(const T_Book&) = delete;

    int localId = 0;
    int bookId = 0;
    int authorId = 0;
    QString bookName;
    int cateId = 0;
    int cateFid = 0;
    int channelType = 0;
    int chapterCount = 0;
    QString coverUrl;
    QString localCover;
    QString intro;
    int wordNum = 0;
    int createTime = 0;
    int updateTime = 0;
    // True once the two chapter lists hold the table's chapters.
    bool chaptersLoaded = false;
    bool isImporting = false;
    // Live chapters (status other than 0) in ascending orderNum.
    QList<T_Chapter*> chapterList;
    // Chapters recycled less than 30 days ago, in ascending orderNum.
    QList<T_Chapter*> recycleChapterList;
    bool isSyncing = false;
    int lastEditChapterId = 0;
    int orderType = 0;
    double money = 0.0;
    int synCount = 0;
    int synDoneCount = 0;
    T_BookOutline outline;
    // 1 on the bookshelf, anything else in the book recycle bin;
    // kWrittenInBin while it holds words written elsewhere that came in
    // after it went to the bin here, which the author has not been told of.
    int status = 1;
    static constexpr int kWrittenInBin = 2;
    // All volumes, whatever their status, in ascending orderNum.
    QList<T_Volume*> volumeList;

    // Frees the chapters of both lists and the outlines; volumes stay.
    void clearChildren();

    // Chapter list first, then the recycled chapters.
    T_Chapter* findChapterByLocalId(int localChapterId) const;
    T_Chapter* findChapterByChapterId(int chapterId) const;
    T_Volume* findVolumeByLocalId(int localVolumeId) const;
    T_Volume* findVolumeByVolumeId(int volumeId) const;
    T_Outline* findOutlineByLocalId(int localOutlineId) const;
    T_Outline* findOutlineByOutlineId(int outlineId) const;
    // -1 when the book has no such volume.
    int getLocalVolumeId(int volumeId) const;
    int getVolumeId(int localVolumeId) const;

    // Takes the chapter out of both lists and deletes it.
    void removeChapter(int localChapterId);
    // Adds delta to the order of the volume's chapters at fromOrderNum and
    // above, live and recycled alike.
    void shiftChapterOrder(int localVolumeId, int fromOrderNum, int delta);
    // Moves the chapter between the live and the recycled list to match the
    // new status; recycling stamps its recycleTime.
    void setChapterStatus(T_Chapter* chapter, int newStatus);
    // wordNum = sum of the live chapters' wordCount.
    void calcWordCount();
};
