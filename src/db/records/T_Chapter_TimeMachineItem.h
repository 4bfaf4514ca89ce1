#pragma once

#include <QString>

// One stored version of a chapter's text (a row of tb_contentblade).
struct T_Chapter_TimeMachineItem
{
    int localId = 0;
    int uid = 0;
    int localBookId = 0;
    int localChapterId = 0;
    int bookId = 0;
    int chapterId = 0;
    // The platform's id of the version; 0 for a snapshot taken here.
    int bladeId = 0;
    QString content;
    // False while content was left in the table (read when needed).
    bool contentLoaded = true;
    int wordCount = 0;
    int createTime = 0;
};
