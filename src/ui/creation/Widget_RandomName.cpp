#include "Widget_RandomName.h"

#include "CRandomNameDelegate.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/DialogFrame.h"
#include "ui/common/NcFramelessHelper.h"

#include <QButtonGroup>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {
const int kCount = 20;

struct KindButton {
    int id;
    const char* name;
    const char* text;
};
const KindButton kPeople[] = {{0, "btnChineseName", "中国人名"}, {1, "btnEnglishName", "西方人名"},
                              {2, "btnJapanesName", "日本人名"}};
const KindButton kPlaces[] = {{4, "btnChineseToponym", "中国地名"}, {5, "btnWestToponym", "西方地名"},
                              {6, "btnFntsyToponym", "奇幻地名"}};
const KindButton kGong[] = {{8, "btnGongQh", "奇幻"}, {9, "btnGongWx", "武侠"}, {10, "btnGongXh", "玄幻"}};

QString skinFolder(int style)
{
    if (style & StyleDark)
        return QStringLiteral("dark");
    if (style == StyleGreen)
        return QStringLiteral("green");
    return QStringLiteral("light");
}
} // namespace

QPushButton* Widget_RandomName::addGroup(QWidget* column, const char* headerName, const QString& headerText,
                                         const char* groupName, QWidget** group)
{
    auto* header = new QPushButton(headerText, column);
    header->setObjectName(QString::fromLatin1(headerName));
    header->setCheckable(true);
    header->setCursor(Qt::PointingHandCursor);
    header->setLayoutDirection(Qt::RightToLeft);
    column->layout()->addWidget(header);
    *group = new QWidget(column);
    (*group)->setObjectName(QString::fromLatin1(groupName));
    auto* layout = new QVBoxLayout(*group);
    layout->setContentsMargins(16, 0, 0, 0);
    column->layout()->addWidget(*group);
    connect(header, &QPushButton::clicked, this, [this, header, group = *group]() {
        group->setVisible(group->isHidden());
        header->setChecked(!group->isHidden());
        setArrows();
    });
    return header;
}

Widget_RandomName::Widget_RandomName(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_RandomName"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    const double scale = DPIAdapter::instance()->scale();
    setFixedSize(static_cast<int>(750 * scale), static_cast<int>(556 * scale));

    const DialogFrame frame = buildDialogFrame(this, tr("RandomName"), 46, 0);
    QWidget* bg = frame.background;
    QVBoxLayout* column = frame.column;
    CBaseTitleBar* title = frame.title;

    auto* body = new QHBoxLayout();
    body->setContentsMargins(16, 8, 16, 16);
    column->addLayout(body, 1);

    // Left: the three groups of kinds.
    auto* left = new QWidget(bg);
    left->setObjectName(QStringLiteral("widgetLeft"));
    // Narrow enough to leave the conditions' row its room at every scale.
    left->setFixedWidth(static_cast<int>(150 * scale));
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_kinds = new QButtonGroup(this);
    m_kinds->setObjectName(QStringLiteral("buttonGroup"));
    m_kinds->setExclusive(true);
    QWidget* groups[3] = {nullptr, nullptr, nullptr};
    m_headers[0] = addGroup(left, "btnName", QStringLiteral("人名   "), "widgetName", &groups[0]);
    m_headers[1] = addGroup(left, "btnToponym", QStringLiteral("地名   "), "widgetToponym", &groups[1]);
    m_headers[2] = addGroup(left, "btnGong", QStringLiteral("功法名"), "widgetGong", &groups[2]);
    const KindButton* lists[3] = {kPeople, kPlaces, kGong};
    for (int g = 0; g < 3; ++g) {
        for (int i = 0; i < 3; ++i) {
            auto* button = new QPushButton(QString::fromUtf8(lists[g][i].text), groups[g]);
            button->setObjectName(QString::fromLatin1(lists[g][i].name));
            button->setCheckable(true);
            button->setCursor(Qt::PointingHandCursor);
            groups[g]->layout()->addWidget(button);
            m_kinds->addButton(button, lists[g][i].id);
        }
    }
    leftLayout->addStretch(1);
    body->addWidget(left);

    // Right: the conditions, the generate button and the names.
    auto* right = new QVBoxLayout();
    auto* conditions = new QHBoxLayout();
    m_fieldLabel = new QLabel(tr("Family"), bg);
    m_fieldLabel->setObjectName(QStringLiteral("labelName"));
    m_fixed = new QLineEdit(bg);
    m_fixed->setObjectName(QStringLiteral("lineEdit"));
    m_fixed->setMaxLength(6);
    m_fixed->setFixedWidth(static_cast<int>(120 * scale));
    conditions->addWidget(m_fieldLabel);
    conditions->addWidget(m_fixed);

    m_family = new QWidget(bg);
    m_family->setObjectName(QStringLiteral("widgetFamily"));
    auto* familyLayout = new QHBoxLayout(m_family);
    familyLayout->setContentsMargins(0, 0, 0, 0);
    auto* single = new QPushButton(QStringLiteral("随机单姓"), m_family);
    single->setObjectName(QStringLiteral("btnSingle"));
    auto* twin = new QPushButton(QStringLiteral("随机复姓"), m_family);
    twin->setObjectName(QStringLiteral("btnDouble"));
    familyLayout->addWidget(single);
    familyLayout->addWidget(twin);
    conditions->addWidget(m_family);

    m_condition = new QWidget(bg);
    m_condition->setObjectName(QStringLiteral("widgetCondition"));
    auto* conditionLayout = new QHBoxLayout(m_condition);
    conditionLayout->setContentsMargins(0, 0, 0, 0);
    m_randomFixed = new QPushButton(tr("RandomSurname"), m_condition);
    m_randomFixed->setObjectName(QStringLiteral("btnSurname"));
    conditionLayout->addWidget(m_randomFixed);
    conditions->addWidget(m_condition);
    conditions->addStretch(1);
    right->addLayout(conditions);

    auto* options = new QHBoxLayout();
    m_sex = new QWidget(bg);
    m_sex->setObjectName(QStringLiteral("widgetSex"));
    auto* sexLayout = new QHBoxLayout(m_sex);
    sexLayout->setContentsMargins(0, 0, 0, 0);
    auto* sexLabel = new QLabel(QStringLiteral("性别"), m_sex);
    sexLabel->setObjectName(QStringLiteral("label_2"));
    m_man = new QRadioButton(QStringLiteral("男"), m_sex);
    m_man->setObjectName(QStringLiteral("radioButton_man"));
    auto* woman = new QRadioButton(QStringLiteral("女"), m_sex);
    woman->setObjectName(QStringLiteral("radioButton_women"));
    sexLayout->addWidget(sexLabel);
    sexLayout->addWidget(m_man);
    sexLayout->addWidget(woman);
    m_man->setChecked(true);
    options->addWidget(m_sex);

    m_number = new QWidget(bg);
    m_number->setObjectName(QStringLiteral("widgetNumber"));
    auto* numberLayout = new QHBoxLayout(m_number);
    numberLayout->setContentsMargins(0, 0, 0, 0);
    auto* numberLabel = new QLabel(QStringLiteral("字数（名）"), m_number);
    numberLabel->setObjectName(QStringLiteral("label_3"));
    numberLayout->addWidget(numberLabel);
    m_length = new QButtonGroup(this);
    m_length->setObjectName(QStringLiteral("buttonGroup_2"));
    const struct {
        int id;
        const char* name;
        const char* text;
    } lengths[] = {{3, "radioButton_unlimited", "不限"}, {1, "radioButton_one", "一字"}, {2, "radioButton_two", "两字"}};
    for (const auto& l : lengths) {
        auto* radio = new QRadioButton(QString::fromUtf8(l.text), m_number);
        radio->setObjectName(QString::fromLatin1(l.name));
        m_length->addButton(radio, l.id);
        numberLayout->addWidget(radio);
    }
    m_length->button(3)->setChecked(true);
    options->addWidget(m_number);
    options->addStretch(1);
    auto* confirm = new QPushButton(QStringLiteral("随机生成"), bg);
    confirm->setObjectName(QStringLiteral("btnConfirm"));
    confirm->setCursor(Qt::PointingHandCursor);
    // The one action of the window, as large as the other dialogs' buttons.
    confirm->setMinimumSize(static_cast<int>(92 * scale), static_cast<int>(30 * scale));
    options->addWidget(confirm);
    right->addLayout(options);

    m_model = new QStringListModel(this);
    m_list = new QListView(bg);
    m_list->setObjectName(QStringLiteral("listView"));
    m_delegate = new CRandomNameDelegate(m_list);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSpacing(10);
    m_list->setViewMode(QListView::IconMode);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->viewport()->setCursor(Qt::PointingHandCursor);
    right->addWidget(m_list, 1);
    body->addLayout(right, 1);

    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(bg);
    DPIAdapter::instance()->adaptWidget(bg);

    m_headers[0]->setChecked(true);
    groups[1]->hide();
    groups[2]->hide();
    m_kinds->button(0)->setChecked(true);

    connect(title, &CBaseTitleBar::sig_close, this, &QWidget::close);
    connect(m_kinds, &QButtonGroup::idClicked, this, &Widget_RandomName::onKindChosen);
    connect(confirm, &QPushButton::clicked, this, &Widget_RandomName::generate);
    DialogKeys::setUp(this, m_fixed, confirm);
    connect(single, &QPushButton::clicked, this, [this]() {
        m_fixed->clear();
        fillFixedPart(1, 1, false, "Single--------");
    });
    connect(twin, &QPushButton::clicked, this, [this]() {
        m_fixed->clear();
        fillFixedPart(1, 2, false, "Double--------");
    });
    connect(m_randomFixed, &QPushButton::clicked, this, &Widget_RandomName::onRandomFixedPart);
    connect(CUiManager::instance(), &CUiManager::sig_changeSkin, this, &Widget_RandomName::setArrows);

    // The first look shows Chinese names, like a click on that kind.
    onKindChosen(0);
    setArrows();
}

QStringList Widget_RandomName::names() const
{
    return m_model->stringList();
}

void Widget_RandomName::onKindChosen(int id)
{
    m_fixed->clear();
    m_fixed->show();
    m_family->hide();
    m_number->hide();
    m_sex->hide();
    m_condition->hide();
    m_fieldLabel->setText(tr("Family"));
    switch (id) {
    case 0:
        m_family->show();
        m_number->show();
        m_sex->show();
        break;
    case 1:
    case 2:
        m_randomFixed->setText(tr("RandomSurname"));
        m_condition->show();
        m_sex->show();
        break;
    case 4:
    case 5:
        m_randomFixed->setText(tr("RandomSuffix"));
        m_condition->show();
        m_fieldLabel->setText(tr("Toponym Suffix"));
        break;
    case 6:
        m_fieldLabel->setText(tr("Toponym Bizarre"));
        m_fixed->hide();
        break;
    case 8:
        m_fieldLabel->setText(tr("Gong Bizarre"));
        m_fixed->hide();
        break;
    case 9:
        m_fieldLabel->setText(tr("Gong Dragon"));
        m_fixed->hide();
        break;
    case 10:
        m_fieldLabel->setText(tr("Gong Fantasy"));
        m_fixed->hide();
        break;
    default:
        break;
    }
    m_kind = id;
    generate();
}

void Widget_RandomName::generate()
{
    CSystemManager* system = CSystemManager::instance();
    QStringList out;
    const int gender = m_man->isChecked() ? 1 : 2;
    switch (m_kind) {
    case 0:
    case 1:
    case 2: {
        static const int nationality[] = {1, 4, 2};
        const int length = m_kind == 0 ? m_length->checkedId() : 3;
        system->randomPeopleNames(nationality[m_kind], gender, 3, length, m_fixed->text(), out, kCount);
        break;
    }
    case 4:
    case 5:
    case 6: {
        static const int place[] = {1, 2, 4};
        system->randomPlaceNames(place[m_kind - 4], out, kCount, m_fixed->text());
        break;
    }
    case 8:
    case 9:
    case 10: {
        static const int gong[] = {1, 2, 4};
        system->randomGongNames(gong[m_kind - 8], out, kCount);
        break;
    }
    default:
        break;
    }
    m_model->setStringList(out);
}

void Widget_RandomName::fillFixedPart(int nationalityOrKind, int surnameKind, bool suffix, const char* logTag)
{
    QStringList out;
    if (suffix)
        CSystemManager::instance()->randomPlaceSuffixes(nationalityOrKind, out, 1);
    else
        CSystemManager::instance()->randomSurnames(nationalityOrKind, surnameKind, out, 1);
    qDebug() << logTag << out;
    if (!out.isEmpty())
        m_fixed->setText(out.first());
}

void Widget_RandomName::onRandomFixedPart()
{
    switch (m_kind) {
    case 1:
        fillFixedPart(4, 3, false, "All--------");
        break;
    case 2:
        fillFixedPart(2, 3, false, "All--------");
        break;
    case 4:
        fillFixedPart(1, 0, true, "All--------");
        break;
    case 5:
        fillFixedPart(2, 0, true, "All--------");
        break;
    default:
        break;
    }
}

void Widget_RandomName::setArrows()
{
    const QString skin = skinFolder(CQssManager::instance()->currentStyleType());
    for (QPushButton* header : m_headers) {
        const QString file = header->isChecked() ? QStringLiteral("arrow_down.png") : QStringLiteral("arrow_left.png");
        header->setIcon(QIcon(QStringLiteral(":/res/skin/%1/creation/").arg(skin) + file));
    }
}
