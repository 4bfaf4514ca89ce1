#pragma once

#include "BooksFixture.h"

class Creation_TextEdit;
class QWidget;
class Widget_Creation;
class Widget_Creation_Content;
struct T_Chapter;

// A signed-in client with the writing window open on a book.
class CreationFixture : public BooksFixture
{
public:
    ~CreationFixture();
    // Opens the writing window on the book through the window manager.
    bool open(T_Book* book);
    // Signs in, stores a book and opens it; null when any step failed.
    T_Book* start(const QString& name, bool online = false);
    Widget_Creation* window() const;
    Widget_Creation_Content* pane() const;
    Creation_TextEdit* editor() const;
    // One writing tick, as the timer would run it.
    void tick(int count = 1);
    void holdTimer();
    // Commits the text through the input method, as CJK typing arrives, into
    // the editor or the given widget.
    void type(const QString& text, QWidget* target = nullptr);
    // Lets the ten-second writing window close as if the author stopped.
    void pause();
    // The stored text of the chapter.
    static QString storedText(const T_Chapter* chapter);
    // Chapter saves recorded in the queue.
    static int pendingSaves();
};
