#pragma once

#include "ui/bookshelf/BookDialogBase.h"

class CBkHeadLabel;
class CJobManager;
class CPublicManager;
class CQssManager;
class CUiManager;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The signed-in author's head picture, id, nickname and gender, with the
// changes sent through the account operations.
class Dialog_UserInfo : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_UserInfo(QWidget* parent = nullptr);

    void initData();
    void loadHeadImg(const QString& path);
    QString headImgPath() const { return m_headImgPath; }

    static QString defaultHeadImg() { return QStringLiteral(":/res/skin/light/left/icon_head_def.svg"); }

private slots:
    void onConfirm();

private:
    void initConnect();
    QString changeImageOfTheme() const;

    CJobManager* m_jobs;
    CPublicManager* m_model;
    CUiManager* m_ui;
    CQssManager* m_qss;
    QString m_headImgPath;

    CBkHeadLabel* m_labelHeadImg;
    QLabel* m_labelId;
    QLineEdit* m_lineEditName;
    QRadioButton* m_radioButtonM;
    QRadioButton* m_radioButtonW;
    QButtonGroup* m_buttonGroup;
    QPushButton* m_btnConfirm;
    QPushButton* m_btnCancel;
};
