#pragma once

#include <QString>

// One chapter of a book. The text is loaded on demand, never by the sign-in
// load, so `contentLoaded` tells whether `content` is the stored text.
struct T_Chapter
{
    int localId = 0;
    int chapterId = 0;
    int localBookId = 0;
    int bookId = 0;
    int orderNum = 0;
    QString name;
    bool contentLoaded = false;
    QString content;
    int wordCount = 0;
    // 1 normal, 0 in the chapter recycle bin. A new record starts at 0 and its
    // creator sets it; the column's default is 1.
    int status = 0;
    int createTime = 0;
    int updateTime = 0;
    int recycleTime = 0;
    // In the recycle bin here, it took words written on another device: the
    // bin shows them, but a delete for good of everything at once would not.
    // Gone with any change of status.
    bool writtenInBin = false;
    int localVolumeId = 0;
    int volumeId = 0;

    // Counts every UTF-16 unit of `content` that is not a blank, tab, line
    // break or ideographic space, and stores it in `wordCount`.
    void calcWordCount();
    static int countWords(const QString& text);
};
