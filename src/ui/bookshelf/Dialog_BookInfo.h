#pragma once

#include "ui/bookshelf/BookDialogBase.h"

class QAbstractItemModel;
class QLineEdit;
class QListView;
class QPushButton;
class QTextEdit;
struct T_Book;

// Shows and edits a book's name, introduction and cover; "Save" stores the
// change through the job manager and accepts only once that worked.
class Dialog_BookInfo : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_BookInfo(QWidget* parent = nullptr);

    void setCoverModel(QAbstractItemModel* model);
    void loadBookInfo(T_Book* book);
    // Stores the form; false (dialog stays open) when nothing was stored.
    bool save();

    QLineEdit* nameEdit() const { return m_name; }
    QTextEdit* introEdit() const { return m_intro; }
    QListView* coverList() const { return m_covers; }

private:
    int m_localBookId = 0;
    QLineEdit* m_name;
    QTextEdit* m_intro;
    QListView* m_covers;
    QPushButton* m_btnConfirm;
};
