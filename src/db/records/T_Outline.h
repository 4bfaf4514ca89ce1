#pragma once

#include <QList>
#include <QString>

// One outline note of a book. The last four fields are the outline panel's
// view state and are never stored.
struct T_Outline
{
    int localId = 0;
    int outlineId = 0;
    // Left 0 by the loader: the book's list carries the ids (T_BookOutline).
    int bookId = 0;
    int localBookId = 0;
    int orderNum = 0;
    int type = 0;
    QString title;
    QString content;
    int createTime = 0;
    bool isCheckedC = false;
    bool isExpand = false;
    bool isEdit = false;
    int moveLine = -1;
};

// A book's outlines with the ids of the book that holds them; the book owns
// the records.
struct T_BookOutline
{
    int localBookId = 0;
    int bookId = 0;
    QList<T_Outline*> outlineList;
};
