#include "Widget_Creation_Bottom.h"

#include "common/DPIAdapter.h"

#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
// 0.005 as the single-precision value the rounding was tuned against.
const double kHalfCent = double(0.005f);
}

Widget_Creation_Bottom::Widget_Creation_Bottom(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_Creation_Bottom"));
    setAttribute(Qt::WA_StyledBackground);
    resize(996, 53);
    const double s = DPIAdapter::instance()->scale();
    m_public = CPublicManager::instance();
    m_system = CSystemManager::instance();
    m_ui = CUiManager::instance();

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("widget_creation_bottom"));
    outer->addWidget(bg);
    auto* row = new QHBoxLayout(bg);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(24);

    auto* word = new QWidget(bg);
    word->setObjectName(QStringLiteral("widgetWord"));
    word->setMaximumWidth(int(260 * s));
    auto* wordRow = new QHBoxLayout(word);
    wordRow->setContentsMargins(0, 0, 0, 0);
    wordRow->setSpacing(0);
    auto* label = new QLabel(QStringLiteral("本章字数: "), word);
    label->setObjectName(QStringLiteral("labelWord"));
    m_selectWord = new QLabel(QStringLiteral("0"), word);
    m_selectWord->setObjectName(QStringLiteral("label_selectWord"));
    m_wordCount = new QLabel(QStringLiteral("0"), word);
    m_wordCount->setObjectName(QStringLiteral("lb_wordCount"));
    m_wordCount->setMaximumWidth(int(158 * s));
    m_speed = new QLabel(QStringLiteral("输入速度:"), word);
    m_speed->setObjectName(QStringLiteral("lb_speed"));
    m_speed->setMaximumWidth(int(188 * s));
    wordRow->addWidget(label);
    wordRow->addWidget(m_selectWord);
    wordRow->addWidget(m_wordCount);
    wordRow->addSpacing(16);
    wordRow->addWidget(m_speed);
    wordRow->addStretch(1);
    row->addWidget(word);

    auto* time = new QWidget(bg);
    time->setObjectName(QStringLiteral("widgetTime"));
    time->setMaximumWidth(int(260 * s));
    auto* timeRow = new QHBoxLayout(time);
    timeRow->setContentsMargins(0, 0, 0, 0);
    timeRow->setSpacing(6);
    auto lamp = [time](const char* name) {
        auto* button = new QPushButton(time);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(6, 6);
        button->setCheckable(true);
        button->setChecked(true);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    m_btnWrite = lamp("btn_write");
    m_writeTime = new QLabel(QStringLiteral("输入："), time);
    m_writeTime->setObjectName(QStringLiteral("lb_writeTime"));
    m_btnFree = lamp("btn_free");
    m_freeTime = new QLabel(QStringLiteral("偷闲："), time);
    m_freeTime->setObjectName(QStringLiteral("lb_freeTime"));
    timeRow->addWidget(m_btnWrite);
    timeRow->addWidget(m_writeTime);
    timeRow->addSpacing(10);
    timeRow->addWidget(m_btnFree);
    timeRow->addWidget(m_freeTime);
    row->addWidget(time);
    row->addStretch(1);

    auto* grading = new QWidget(bg);
    grading->setObjectName(QStringLiteral("widgetGrading"));
    auto* gradingRow = new QHBoxLayout(grading);
    gradingRow->setContentsMargins(0, 0, 0, 0);
    gradingRow->setSpacing(4);
    auto* setMoney = new QPushButton(QStringLiteral("本章稿费:"), grading);
    setMoney->setObjectName(QStringLiteral("btn_setMoney"));
    setMoney->setFixedSize(int(60 * s), int(30 * s));
    setMoney->setCursor(Qt::PointingHandCursor);
    m_money = new QLabel(QStringLiteral("0.00元"), grading);
    m_money->setObjectName(QStringLiteral("lb_money"));
    gradingRow->addWidget(setMoney);
    gradingRow->addWidget(m_money);
    row->addWidget(grading);

    connect(setMoney, &QPushButton::clicked, this, &Widget_Creation_Bottom::sig_openSetMoneyDlg);
}

QString Widget_Creation_Bottom::feeText(int words, double rate)
{
    double fee = double(words) * rate / 1000.0;
    if (fee >= kHalfCent)
        fee -= kHalfCent;
    return tr("%1y").arg(QString::asprintf("%.2f", fee));
}

void Widget_Creation_Bottom::updateInfo(bool active, int window)
{
    const T_WritingCounters& writing = m_public->writing;
    if (writing.selectedWords <= 0) {
        m_selectWord->hide();
        m_wordCount->setText(QString::number(writing.lastWordCount));
    } else {
        m_selectWord->show();
        m_selectWord->setText(QString::number(writing.selectedWords));
        m_wordCount->setText(QStringLiteral("/%1").arg(writing.lastWordCount));
    }
    if (writing.speed > 0)
        m_speed->setText(tr("Input Speed: %1w/h").arg(writing.speed));
    else
        m_speed->setText(tr("Calculating:%1s").arg(window - writing.tickCount));
    m_writeTime->setText(tr("Writing: %1").arg(secondsToTimeString(writing.activeSeconds)));
    m_freeTime->setText(tr("Free: %1").arg(secondsToTimeString(writing.pausedSeconds)));
    m_btnWrite->setChecked(!active);
    m_btnFree->setChecked(active);
    m_money->setText(feeText(writing.lastWordCount, m_public->feeRate));
}
