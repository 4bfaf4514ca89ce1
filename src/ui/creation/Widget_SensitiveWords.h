#pragma once

#include <QWidget>

class CBaseTitleBar;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTextEdit;

// The sensitive-word check of the writing window: which lists to check, the
// user's own list, the number of words found and the treatment to apply.
class Widget_SensitiveWords : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_SensitiveWords(QWidget* parent = nullptr);
    ~Widget_SensitiveWords() override;

    // The result text for a count of found words.
    static QString resultText(int count);
    // As the panel is when the author opens it: the first page with the
    // lists chosen last and the stored words, not being edited. A panel
    // brought back with the program's windows keeps what it showed.
    void openAnew();

private:
    void buildForm();
    void initConnect();
    void check();
    void setEditing(bool editing);
    void setStatusBit(int bit, bool on);

    QWidget* m_background = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_pageSetting = nullptr;
    QWidget* m_pageResult = nullptr;
    QCheckBox* m_checkNormal = nullptr;
    QCheckBox* m_checkCustom = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QPushButton* m_btnSaveEdit = nullptr;
    QPushButton* m_btnCancelEdit = nullptr;
    QTextEdit* m_textEdit = nullptr;
    QPushButton* m_btnConfirm = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QLabel* m_labelResult = nullptr;
    QButtonGroup* m_group = nullptr;
    QPushButton* m_btnReplace = nullptr;
    QPushButton* m_btnReturn = nullptr;
};
