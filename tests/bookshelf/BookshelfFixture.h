#pragma once

#include "StandinServer.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

class Widget_Bookshelf;
class Widget_BookShelfList;

StandinServer& standin();

// One signed-in start against the stand-in: a fresh database with the demo
// author remembered and the given books stored (name, update time), then the
// job manager's start-up, which builds the bookshelf.
class BookshelfFixture
{
public:
    using Book = QPair<QString, int>;
    // hideKey: the boss key stored in the author's settings (default when empty).
    explicit BookshelfFixture(const QList<Book>& books = {}, const QString& hideKey = QString());
    ~BookshelfFixture();

    bool ok() const { return m_ok; }
    Widget_Bookshelf* shelf() const;
    Widget_BookShelfList* list() const;
    QString dir() const { return m_dir.path(); }
    // Rows of tb_job of the given type.
    static int jobCount(int jobType);
    static int bookStatus(int localBookId);

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};
