#pragma once

#include <QMetaType>
#include <QString>

// One memo of the signed-in user, free or pinned to a chapter.
struct T_Memo
{
    int localId = 0;
    int memoId = 0;
    QString color;
    QString content;
    int updateTime = 0;
    // Changes with the colour or the text; the memo list is ordered by it.
    int colorUpdateTime = 0;
    int bookId = 0;
    int chapterId = 0;
    int localBookId = 0;
    int localChapterId = 0;
    // Filled by the memo operations for display, never stored.
    QString bookName;
    QString chapterName;
    // Stored as REAL with full precision; held as float by the memo window.
    float x = 0;
    float y = 0;
    int width = 0;
    int height = 0;
    bool isHold = false;
};

Q_DECLARE_METATYPE(T_Memo)
