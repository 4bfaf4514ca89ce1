#pragma once

#include "ui/bookshelf/BookDialogBase.h"

class QAbstractItemModel;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;

// Asks for the name and the cover of a new book; writes nothing itself.
class Dialog_CreateBook : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_CreateBook(QWidget* parent = nullptr);

    void setCoverModel(QAbstractItemModel* model);
    QString getBookName() const;
    // The selected system cover while the system page shows, else the
    // chosen picture; empty when there is none.
    QString getCover() const;
    // The picture of the custom page, as the file dialog would give it.
    void setCustomCover(const QString& path);

    QLineEdit* lineEdit() const { return m_lineEdit; }
    QListView* listView() const { return m_list; }
    QPushButton* btnConfirm() const { return m_btnConfirm; }
    QPushButton* btnSysCover() const { return m_btnSys; }
    QPushButton* btnCustomCover() const { return m_btnCustom; }

private:
    QString m_customCover;
    QLineEdit* m_lineEdit;
    QPushButton* m_btnSys;
    QPushButton* m_btnCustom;
    QButtonGroup* m_group;
    QStackedWidget* m_stack;
    QWidget* m_pageSys;
    QListView* m_list;
    QLabel* m_preview;
    QPushButton* m_btnConfirm;
    QPushButton* m_btnCancel;
};
