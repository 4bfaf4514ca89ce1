#include "Widget_Bookshelf.h"

#include "platform/WindowCompositing.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/bookshelf/Dialog_UserInfo.h"
#include "ui/common/CBkHeadButton.h"
#include "ui/common/CIconButton.h"
#include "ui/common/CPixmapContainer.h"
#include "ui/common/NcFramelessHelper.h"
#include "ui/creation/memo/MemoItemManager.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <functional>

namespace {
// The nickname opens the user information as the head picture does.
class ClickFilter : public QObject
{
public:
    ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), m_onClick(std::move(onClick)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_onClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

// Page numbers the navigation buttons send, by their group id.
int pageOfButton(int id)
{
    switch (id) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 4;
    default:
        return 0;
    }
}
}

Widget_Bookshelf::Widget_Bookshelf(QWidget* parent)
    : QWidget(parent), m_qss(CQssManager::instance()), m_ui(CUiManager::instance()),
      m_model(CPublicManager::instance())
{
    buildForm();

    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint);
    WindowCompositing::settleOpaque(this);
    setWindowTitle(tr("Vellora Writing"));
    setMouseTracking(true);
    m_frame = new NcFramelessHelper(this);
    m_frame->setWidgetMovable(true);
    m_frame->setWidgetResizable(true);
    m_frame->activateOn(this);

    m_group->addButton(m_btnHomePage, 0);
    m_group->addButton(m_btnBookShelf, 1);
    m_group->addButton(m_btnUserInfo, 2);
    m_group->addButton(m_btnFeedback, 3);
    m_btnHomePage->setIconObjectName(QStringLiteral("btnHomePageIcon"));
    m_btnBookShelf->setIconObjectName(QStringLiteral("btnBookShelfIcon"));
    m_btnUserInfo->setIconObjectName(QStringLiteral("btnUserInfoIcon"));
    m_btnFeedback->setIconObjectName(QStringLiteral("btnFeedbackIcon"));
    m_btnMemo->setIconObjectName(QStringLiteral("btnMemoIcon"));
    m_btnBookShelf->setChecked(true);
    setFocusPolicy(Qt::StrongFocus);
    m_btnHead->setCursor(Qt::PointingHandCursor);
    m_tips = new BookshelfTips(this);
    m_btnHomePage->hide();
    m_btnVip->hide();
    m_btnSign->hide();
    m_labelTime->hide();

    connect(m_group, &QButtonGroup::idClicked, this,
            [this](int id) { m_ui->setCurrentPage(pageOfButton(id)); });
    const auto openUserInfo = [this]() {
        Dialog_UserInfo dialog(this);
        dialog.exec();
    };
    connect(m_btnHead, &QPushButton::clicked, this, openUserInfo);
    m_labelName->setCursor(Qt::PointingHandCursor);
    m_labelName->installEventFilter(new ClickFilter(m_labelName, openUserInfo));
    connect(m_btnMemo, &QPushButton::clicked, this, [this]() { MemoItemManager::instance()->showMemoList(this); });
    connect(m_ui, &CUiManager::sig_UserNotice, this, [this](int status, int num) {
        if (status == 1)
            m_btnFeedback->setBadgeNumber(true, num);
        else if (status == 0)
            m_btnFeedback->setBadgeNumber(false, num);
    });

    m_labelName->setText(m_model->userInfo.author_name);
    loadUserHeadImg(m_model->userInfo.localHeadImg);

    if (m_qss->currentStyleType() == StyleCustom) {
        m_theme->loadPixmap(themePicturePath());
        qDebug() << "theme picture" << themePicturePath();
    }
    m_content->changeSkin();
    m_top->changeSkin();

    // Only a real window system has a native window worth creating now.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        winId();
        using SetBorder = void (*)(QWindow*, bool);
        if (auto fn = reinterpret_cast<SetBorder>(
                QGuiApplication::platformFunction(QByteArrayLiteral("WindowsSetHasBorderInFullScreen"))))
            fn(windowHandle(), true);
    }
    DPIAdapter::instance()->adaptWidget(m_theme);
    m_btnCloseMac->hide();
    m_btnMinMac->hide();
    m_btnMaxMac->hide();
}

QString Widget_Bookshelf::themePicturePath()
{
    return appDirPath() + QStringLiteral("/data/img/theme.png");
}

void Widget_Bookshelf::buildForm()
{
    const double s = DPIAdapter::instance()->scale();
    auto px = [s](int v) { return int(v * s); };
    resize(px(991), px(650));
    setMinimumSize(px(767), px(540));

    m_layoutMain = new QVBoxLayout(this);
    m_layoutMain->setObjectName(QStringLiteral("layoutMain"));
    const int margin = shadowMargin();
    m_layoutMain->setContentsMargins(margin, margin, margin, margin);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Widget_BookshelfBg"));
    m_layoutMain->addWidget(bg);
    auto* bgLayout = new QVBoxLayout(bg);
    bgLayout->setContentsMargins(0, 0, 0, 0);
    m_theme = new CPixmapContainer(bg);
    m_theme->setObjectName(QStringLiteral("widgetTheme"));
    bgLayout->addWidget(m_theme);
    auto* row = new QHBoxLayout(m_theme);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* left = new QWidget(m_theme);
    left->setObjectName(QStringLiteral("bookShelfLeft"));
    left->setFixedWidth(px(180));
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);

    auto* macRow = new QHBoxLayout();
    macRow->setContentsMargins(px(12), px(12), 0, 0);
    m_btnCloseMac = new QPushButton(left);
    m_btnCloseMac->setObjectName(QStringLiteral("btnCloseMac"));
    m_btnMinMac = new QPushButton(left);
    m_btnMinMac->setObjectName(QStringLiteral("btnMinMac"));
    m_btnMaxMac = new QPushButton(left);
    m_btnMaxMac->setObjectName(QStringLiteral("btnMaxMac"));
    for (QPushButton* b : {m_btnCloseMac, m_btnMinMac, m_btnMaxMac}) {
        b->setFixedSize(px(12), px(12));
        b->setFocusPolicy(Qt::NoFocus);
        macRow->addWidget(b);
    }
    macRow->addStretch(1);
    leftLayout->addLayout(macRow);

    auto* userInfo = new QWidget(left);
    userInfo->setObjectName(QStringLiteral("widgetUserInfo"));
    userInfo->setFixedHeight(px(270));
    auto* userLayout = new QVBoxLayout(userInfo);
    userLayout->setContentsMargins(0, px(40), 0, 0);
    userLayout->setSpacing(px(10));
    auto* head = new QWidget(userInfo);
    head->setObjectName(QStringLiteral("widgetHead"));
    head->setFixedSize(px(100), px(100));
    auto* headLayout = new QVBoxLayout(head);
    headLayout->setContentsMargins(0, 0, 0, 0);
    m_btnHead = new CBkHeadButton(head);
    m_btnHead->setObjectName(QStringLiteral("btnHeadImg"));
    m_btnHead->setFixedSize(px(80), px(80));
    headLayout->addWidget(m_btnHead, 0, Qt::AlignCenter);
    userLayout->addWidget(head, 0, Qt::AlignHCenter);
    m_labelName = new QLabel(tr("写作"), userInfo);
    m_labelName->setObjectName(QStringLiteral("labelName"));
    m_labelName->setAlignment(Qt::AlignCenter);
    userLayout->addWidget(m_labelName);
    auto* vipRow = new QHBoxLayout();
    vipRow->addStretch(1);
    m_btnVip = new QPushButton(userInfo);
    m_btnVip->setObjectName(QStringLiteral("btnVip"));
    m_btnVip->setFixedSize(px(20), px(20));
    m_labelTime = new QLabel(QStringLiteral("2019/12/31到期"), userInfo);
    m_labelTime->setObjectName(QStringLiteral("labelTime"));
    m_btnSign = new QPushButton(QStringLiteral("签到"), userInfo);
    m_btnSign->setObjectName(QStringLiteral("btnSign"));
    m_btnSign->setFixedSize(px(42), px(20));
    vipRow->addWidget(m_btnVip);
    vipRow->addWidget(m_labelTime);
    vipRow->addWidget(m_btnSign);
    vipRow->addStretch(1);
    userLayout->addLayout(vipRow);
    userLayout->addStretch(1);
    leftLayout->addWidget(userInfo);

    auto* tags = new QWidget(left);
    tags->setObjectName(QStringLiteral("widgetTag"));
    auto* grid = new QGridLayout(tags);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(18);
    auto nav = [&](const char* name, const QString& text, bool checkable) {
        auto* b = new CIconButton(tags);
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        b->setCheckable(checkable);
        b->setCursor(Qt::PointingHandCursor);
        b->setFixedHeight(px(40));
        b->icon()->setFixedSize(px(31), px(31));
        return b;
    };
    m_btnBookShelf = nav("btnBookShelf", tr("写作"), true);
    m_btnUserInfo = nav("btnUserInfo", tr("个人数据"), true);
    m_btnMemo = nav("btnMemo", tr("便签"), false);
    m_btnHomePage = nav("btnHomePage", tr("主页"), true);
    m_btnFeedback = nav("btnFeedback", tr("Community"), true);
    int r = 0;
    for (CIconButton* b : {m_btnHomePage, m_btnBookShelf, m_btnUserInfo, m_btnMemo, m_btnFeedback})
        grid->addWidget(b, r++, 0);
    m_group = new QButtonGroup(this);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    m_group->setExclusive(true);
    leftLayout->addWidget(tags);
    leftLayout->addStretch(1);
    row->addWidget(left);

    auto* right = new QVBoxLayout();
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    m_top = new Widget_Bookshelf_Top(m_theme);
    m_top->setObjectName(QStringLiteral("bookShelfTop"));
    m_top->setFixedHeight(px(59));
    m_content = new Widget_Bookshelf_Content(m_theme);
    m_content->setObjectName(QStringLiteral("bookShelfContent"));
    right->addWidget(m_top);
    right->addWidget(m_content, 1);
    row->addLayout(right, 1);
}

Widget_BookShelfList* Widget_Bookshelf::bookList() const
{
    return m_content->getBookShelfList();
}

void Widget_Bookshelf::changeSkin()
{
    if (m_qss->currentStyleType() == StyleCustom) {
        m_theme->loadPixmap(themePicturePath());
        qDebug() << "theme picture" << themePicturePath();
    }
    m_content->changeSkin();
    m_top->changeSkin();
}

void Widget_Bookshelf::loadUserHeadImg(const QString& path)
{
    QString head = path;
    if (head.isEmpty() && !m_model->userInfo.headimg.isEmpty())
        CUserJobManager::instance()->getHeadImg(&head, true);
    if (!head.isEmpty() && QPixmap(head).isNull())
        head.clear();
    if (head.isEmpty()) {
        const int style = m_qss->currentStyleType();
        if (style == StyleLight || style == StyleCustom || style == StyleKraft || (style & StyleDark))
            head = QStringLiteral(":/res/skin/light/left/icon_head_def.svg");
        else if (style == StyleGreen)
            head = QStringLiteral(":/res/skin/green/left/icon_head_def.png");
    }
    qDebug() << "loadUserHeadImg" << head;
    m_headPath = head;
    if (!head.isEmpty()) {
        const double s = DPIAdapter::instance()->scale();
        m_btnHead->s = s;
        m_btnHead->setHeadSize(int(80 * s));
        m_btnHead->setHeadImage(head);
    }
}

void Widget_Bookshelf::setUserInfo(const TS_Author_Info& info)
{
    m_labelName->setText(info.author_name);
    loadUserHeadImg(info.localHeadImg);
}

void Widget_Bookshelf::showClientTips(const QString& text, int kind, int msecs)
{
    if (m_tips)
        m_tips->showTips(text, kind, msecs);
}

void Widget_Bookshelf::initBookList()
{
    bookList()->initData();
}

void Widget_Bookshelf::closeOutline()
{
    bookList()->closeOutline();
}

int Widget_Bookshelf::shadowMargin()
{
    // The margin is room for the shadow of a translucent window; on an
    // opaque one it would show as a bare frame in the default colour.
    return WindowCompositing::isAvailable() ? 14 : 0;
}

void Widget_Bookshelf::updateMargins()
{
    const bool filled = m_ui->isFullScreen() || m_model->userInfo.windowSize == 2;
    const int margin = filled ? 0 : shadowMargin();
    m_layoutMain->setContentsMargins(margin, margin, margin, margin);
    m_frame->setWidgetMovable(!filled);
    m_frame->setWidgetResizable(!filled);
    m_top->updateMaxButton();
}

void Widget_Bookshelf::storeGeometry()
{
    if (m_model->userInfo.windowSize == 1)
        setProperty("CG", geometry());
}

void Widget_Bookshelf::closeEvent(QCloseEvent* event)
{
    // Whoever asks (the window manager's close, Alt+F4, a task bar), the
    // window goes as the author chose, as with its own ×: to the tray, or the
    // program quits. Closed alone it would leave the program running with no
    // window but its tray icon.
    event->ignore();
    m_ui->closeWindow();
}

void Widget_Bookshelf::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    storeGeometry();
}

void Widget_Bookshelf::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    storeGeometry();
    if (m_tips)
        m_tips->move((width() - m_tips->width()) / 2, 66);
}

void Widget_Bookshelf::showEvent(QShowEvent* event)
{
    setAttribute(Qt::WA_Mapped);
    QWidget::showEvent(event);
}
