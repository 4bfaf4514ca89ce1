#pragma once

#include "BooksFixture.h"

#include <QList>
#include <QString>

class COutlineModel;
class QAbstractItemModel;
struct T_Book;
struct T_Outline;

// A signed-in client on a fresh database with helpers for outlines: stored
// ones made through the book operations, rows read back from tb_outline and
// the modal question of a delete answered.
class OutlineFixture : public BooksFixture
{
public:
    ~OutlineFixture();

    // An outline stored through the book operations, as if it had come
    // from the platform (no job left behind).
    static T_Outline* stored(T_Book* book, int type, int orderNum, const QString& text,
                             const QString& title = QString());
    static int outlineRows(int localBookId);
    static QString storedContent(int localOutlineId);
    static int storedOrder(int localOutlineId);
    static int storedType(int localOutlineId);
    // The local ids of a model's rows, top to bottom.
    static QList<int> localIds(const QAbstractItemModel& model);
    // Answers the next modal message box with its button of that index
    // (-1: closes it); true once a box was answered.
    static void answerNextBox(int button, bool* answered = nullptr, QString* text = nullptr);
};
