#pragma once

#include <QMetaType>
#include <QString>

// What a book tile shows, handed from the list model to its delegate.
struct BookShelf_Book
{
    int localId = 0;
    int wordNum = 0;
    QString bookName;
    QString localCover;
    bool syncing = false;
    bool importing = false;
    int changeCount = 0;
    int doneCount = 0;
};
Q_DECLARE_METATYPE(BookShelf_Book)
