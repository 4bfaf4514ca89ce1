#include "ui/bookshelf/Dialog_UserInfo.h"

#include "common/ServerClock.h"
#include "common/StyleType.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/CBkHeadLabel.h"
#include "ui/common/WindowWait.h"

#include <QButtonGroup>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const int kNameMaxLength = 11;
}

Dialog_UserInfo::Dialog_UserInfo(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_UserInfo_Bg"), QSize(380, 486), parent),
      m_jobs(CJobManager::instance()),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance()),
      m_qss(CQssManager::instance())
{
    setTitle(tr("UserInfo"));
    titleBar()->setFixedHeight(px(46));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(px(10));
    grid->setVerticalSpacing(px(22));
    grid->setColumnMinimumWidth(0, px(78));
    auto leftLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setFixedWidth(px(78));
        return label;
    };

    grid->addWidget(leftLabel("label_2", tr("头像")), 0, 0);
    m_labelHeadImg = new CBkHeadLabel(this);
    m_labelHeadImg->setObjectName(QStringLiteral("labelHeadImg"));
    m_labelHeadImg->setFixedSize(px(80), px(80));
    grid->addWidget(m_labelHeadImg, 0, 1, Qt::AlignLeft);

    grid->addWidget(leftLabel("label_5", tr("ID")), 1, 0);
    m_labelId = new QLabel(this);
    m_labelId->setObjectName(QStringLiteral("label_Id"));
    m_labelId->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_labelId, 1, 1);

    grid->addWidget(leftLabel("label", tr("昵称")), 2, 0);
    m_lineEditName = new QLineEdit(this);
    m_lineEditName->setObjectName(QStringLiteral("lineEditName"));
    m_lineEditName->setFixedSize(px(160), px(28));
    m_lineEditName->setPlaceholderText(tr("请输入昵称"));
    grid->addWidget(m_lineEditName, 2, 1, Qt::AlignLeft);

    grid->addWidget(leftLabel("label_3", tr("性别")), 3, 0);
    auto* sexRow = new QHBoxLayout;
    sexRow->setSpacing(px(30));
    m_radioButtonM = new QRadioButton(tr("男"), this);
    m_radioButtonM->setObjectName(QStringLiteral("radioButtonM"));
    m_radioButtonW = new QRadioButton(tr("女"), this);
    m_radioButtonW->setObjectName(QStringLiteral("radioButtonW"));
    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setObjectName(QStringLiteral("buttonGroup"));
    m_buttonGroup->addButton(m_radioButtonM, 0);
    m_buttonGroup->addButton(m_radioButtonW, 1);
    sexRow->addWidget(m_radioButtonM);
    sexRow->addWidget(m_radioButtonW);
    sexRow->addStretch();
    grid->addLayout(sexRow, 3, 1);
    grid->setColumnStretch(1, 1);

    content()->addLayout(grid);
    content()->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(px(20));
    m_btnConfirm = new QPushButton(tr("确认"), this);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnCancel = new QPushButton(tr("取消"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnConfirm, m_btnCancel}) {
        b->setFixedSize(px(92), px(30));
        b->setCursor(Qt::PointingHandCursor);
    }
    buttons->addStretch();
    buttons->addWidget(m_btnConfirm);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();
    content()->addLayout(buttons);

    m_lineEditName->setMaxLength(kNameMaxLength);
    initConnect();
    initData();
    DialogKeys::setUp(this, m_lineEditName, m_btnConfirm);
}

void Dialog_UserInfo::initConnect()
{
    connect(m_labelHeadImg, &CBkHeadLabel::sigPath, this, [this](const QString& path) {
        if (!path.isEmpty())
            loadHeadImg(path);
    });
    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_lineEditName, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_btnConfirm->setEnabled(!WindowWait::isWaiting(this) && !text.isEmpty()); });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_UserInfo::onConfirm);
}

void Dialog_UserInfo::initData()
{
    const TS_Author_Info user = m_model->userInfo;
    qDebug() << "user info" << user.author_name << user.sex << user.localHeadImg;
    m_lineEditName->setText(user.author_name);
    m_btnConfirm->setEnabled(!user.author_name.isEmpty());
    if (user.sex == QLatin1String("O")) {
        // A group keeps one button checked unless it is told otherwise.
        m_buttonGroup->setExclusive(false);
        m_radioButtonM->setChecked(false);
        m_radioButtonW->setChecked(false);
        m_buttonGroup->setExclusive(true);
    } else if (user.sex == QLatin1String("M")) {
        m_radioButtonM->setChecked(true);
    } else if (user.sex == QLatin1String("F")) {
        m_radioButtonW->setChecked(true);
    }
    loadHeadImg(user.localHeadImg);
    m_labelId->setText(QString::number(user.uid));
}

void Dialog_UserInfo::loadHeadImg(const QString& path)
{
    m_headImgPath = path;
    if (m_headImgPath.isEmpty() && !m_model->userInfo.headimg.isEmpty())
        CUserJobManager::instance()->getHeadImg(&m_headImgPath, true);
    QPixmap picture(m_headImgPath);
    if (m_headImgPath.isEmpty() || picture.isNull()) {
        m_headImgPath = defaultHeadImg();
        picture = QPixmap(m_headImgPath);
    }
    qDebug() << "userHead" << m_headImgPath;
    m_labelHeadImg->setPixmap(picture);
    m_labelHeadImg->setImagePath(changeImageOfTheme());
    m_labelHeadImg->update();
}

QString Dialog_UserInfo::changeImageOfTheme() const
{
    switch (m_qss->currentStyleType()) {
    case StyleLight:
    case StyleCustom:
    case StyleKraft:
        return QStringLiteral(":/res/skin/light/left/icon_open_head.png");
    case StyleDark:
        return QStringLiteral(":/res/skin/dark/left/icon_open_head.png");
    case StyleGreen:
        return QStringLiteral(":/res/skin/green/left/icon_open_head.png");
    default:
        return QString();
    }
}

void Dialog_UserInfo::onConfirm()
{
    WindowWait wait(this, {m_btnConfirm});
    if (!wait.started())
        return;
    const TS_Author_Info user = m_model->userInfo;
    // The default picture only stands in for a missing one: sending it would
    // replace the author's picture on the platform with ours.
    const bool headChanged = m_headImgPath != user.localHeadImg && m_headImgPath != defaultHeadImg();
    if (headChanged) {
        TC_Author_UploadImg upload;
        imageToBase64Url(m_headImgPath, upload.img);
        upload.localPath = m_headImgPath;
        upload.update_time = int(currentServerTime());
        TS_Author_UploadImg uploaded;
        m_jobs->author_uploadImg(upload, uploaded);
        // Signed out or cancelled meanwhile: nothing more goes.
        if (!wait.resumed() || !isVisible())
            return;
        qDebug() << "uploaded head image" << uploaded.headimg;
    }

    QString sex = QStringLiteral("O");
    if (m_radioButtonM->isChecked())
        sex = QStringLiteral("M");
    else if (m_radioButtonW->isChecked())
        sex = QStringLiteral("F");
    const QString name = m_lineEditName->text();

    if (name == user.author_name && sex == user.sex) {
        if (!headChanged) {
            reject();
            return;
        }
    } else {
        TC_Author_Update update;
        update.author_name = name;
        update.sex = sex;
        update.update_time = int(currentServerTime());
        TS_Author_Update updated;
        m_jobs->author_update(update, updated);
        if (!wait.resumed())
            return;
    }
    m_ui->showSuccess(tr("User modified successfully"), 1000);
    accept();
}
