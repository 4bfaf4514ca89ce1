#pragma once

#include "ui/bookshelf/BookDialogBase.h"

class CTextEdit;
class QAbstractItemModel;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QStackedWidget;
struct T_Book;

// Edits a book's name, introduction, channel, categories and cover. Saving a
// change stores it locally and records the edit job in one go; a dialog
// confirmed without a change stores and sends nothing.
class Dialog_BookInfo : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_BookInfo(QWidget* parent = nullptr);

    void setCoverModel(QAbstractItemModel* model);
    void loadBookInfo(T_Book* book);
    // The cover chosen in this dialog (system or custom); empty when none.
    QString chosenCover() const { return m_cover; }

    QLineEdit* nameEdit() const { return m_name; }
    CTextEdit* introEdit() const { return m_intro; }
    QListView* coverList() const { return m_covers; }
    QRadioButton* radioMan() const { return m_radioMan; }
    QRadioButton* radioWomen() const { return m_radioWomen; }
    QComboBox* primaryCombo(int channel) const;
    QComboBox* subCombo(int channel) const;
    QLabel* preview() const { return m_preview; }
    QPushButton* btnConfirm() const { return m_btnConfirm; }
    QPushButton* btnSystemCover() const { return m_btnSystemCover; }
    QPushButton* btnCustomCover() const { return m_btnCustomCover; }
    QPushButton* btnSaveCover() const { return m_btnSave; }
    QPushButton* btnCancelCover() const { return m_btnCancel2; }
    QStackedWidget* pages() const { return m_pages; }

private:
    void buildInfoPage(QWidget* page);
    void buildCoverPage(QWidget* page);
    void initCategory(int channel);
    void initSubCategory(int channel, int primaryId, int subId);
    int currentChannel() const;
    void showCover(const QString& path);
    void showDefaultCover();
    void onConfirm();

    bool m_loaded = false;
    int m_localBookId = -1;
    QString m_cover;
    // The channel and category, name and introduction the dialog showed
    // after loading: the author changed one only when it moved away from
    // them (the feed may bring another one meanwhile).
    int m_shownChannel = 0;
    int m_shownCate = 0;
    QString m_shownName;
    QString m_shownIntro;

    QStackedWidget* m_pages;
    QWidget* m_pageInfo;
    QWidget* m_pageCover;
    QLineEdit* m_name;
    QRadioButton* m_radioMan;
    QRadioButton* m_radioWomen;
    QButtonGroup* m_channelGroup;
    QStackedWidget* m_channelPages;
    QComboBox* m_primaryMan;
    QComboBox* m_subMan;
    QComboBox* m_primaryWomen;
    QComboBox* m_subWomen;
    QLabel* m_preview;
    QLabel* m_shade;
    QPushButton* m_btnSystemCover;
    QPushButton* m_btnCustomCover;
    CTextEdit* m_intro;
    QPushButton* m_btnConfirm;
    QListView* m_covers;
    QPushButton* m_btnSave;
    QPushButton* m_btnCancel2;
};
