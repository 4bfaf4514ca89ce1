#include "Dialog_WritingLock.h"

#include "common/DPIAdapter.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogFrame.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegExpValidator>
#include <QVBoxLayout>

#include <cmath>

namespace {
const int kMinMinutes = 10;
const int kMaxMinutes = 1440;
const int kMinWords = 1000;
const int kMaxWords = 200000;

// Empty or unreadable text counts as 0, which no range accepts.
int fieldValue(const QLineEdit* edit)
{
    bool ok = false;
    const int value = edit->text().toInt(&ok, 10);
    return ok ? value : 0;
}

// The height showing all of the box's text when it is the given width.
int wholeTextHeight(QPlainTextEdit* edit, int width)
{
    edit->ensurePolished();
    const QFontMetrics metrics(edit->font());
    const int margin = int(std::ceil(edit->document()->documentMargin()));
    const int frame = edit->frameWidth();
    const QRect room(0, 0, width - 2 * frame - 2 * margin, 1 << 20);
    int height = 0;
    for (const QString& paragraph : edit->toPlainText().split(QLatin1Char('\n')))
        height += metrics.boundingRect(room, Qt::TextWordWrap, paragraph).height();
    // Half a line spare for where the editor breaks a line differently.
    return height + 2 * margin + 2 * frame + metrics.lineSpacing() / 2;
}
} // namespace

Dialog_WritingLock::Dialog_WritingLock(QWidget* parent) : QDialog(parent)
{
    const double s = DPIAdapter::instance()->scale();
    setObjectName(QStringLiteral("Dialog_WritingLock"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    const DialogFrame frame = buildDialogFrame(this, tr("Lock"), 38, 16);
    QWidget* bg = frame.background;
    QVBoxLayout* column = frame.column;
    CBaseTitleBar* title = frame.title;

    auto* body = new QVBoxLayout();
    body->setContentsMargins(24, 8, 24, 8);
    m_notice = new QPlainTextEdit(bg);
    m_notice->setObjectName(QStringLiteral("plainTextEdit"));
    m_notice->setPlainText(QStringLiteral(
        "1、点击确定后立即启动; \n2、码字页面将会自动锁定，无法打开电脑其他页面; \n"
        "3、锁定后，码字字数(粘贴复制乱码不算字数)、时间 (不计空闲时间)达到该数值时将立即解锁; \n"
        "4、否则无论关机还是重启都不会解锁，请谨慎设置！"));
    body->addWidget(m_notice);

    auto* grid = new QGridLayout();
    m_words = new QRadioButton(QStringLiteral("输入锁定字数"), bg);
    m_words->setObjectName(QStringLiteral("radioButtonWords"));
    m_time = new QRadioButton(QStringLiteral("输入码字时间"), bg);
    m_time->setObjectName(QStringLiteral("radioButtonTime"));
    m_wordsEdit = new QLineEdit(QStringLiteral("0"), bg);
    m_wordsEdit->setObjectName(QStringLiteral("lineEditWords"));
    m_timeEdit = new QLineEdit(QStringLiteral("0"), bg);
    m_timeEdit->setObjectName(QStringLiteral("lineEditTime"));
    auto* wordsUnit = new QLabel(QStringLiteral("字"), bg);
    wordsUnit->setObjectName(QStringLiteral("label"));
    auto* timeUnit = new QLabel(QStringLiteral("分钟"), bg);
    timeUnit->setObjectName(QStringLiteral("label_2"));
    grid->addWidget(m_words, 0, 0);
    grid->addWidget(m_wordsEdit, 0, 1);
    grid->addWidget(wordsUnit, 0, 2);
    grid->addWidget(m_time, 1, 0);
    grid->addWidget(m_timeEdit, 1, 1);
    grid->addWidget(timeUnit, 1, 2);
    body->addLayout(grid);
    column->addLayout(body);
    column->addStretch(1);

    m_group = new QButtonGroup(this);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    m_group->setExclusive(true);
    m_group->addButton(m_words, 0);
    m_group->addButton(m_time, 1);

    auto* row = new QHBoxLayout();
    row->addStretch(1);
    m_confirm = new QPushButton(QStringLiteral("确认"), bg);
    m_confirm->setObjectName(QStringLiteral("btnConfirm"));
    m_confirm->setFixedSize(int(92 * s), int(30 * s));
    m_confirm->setCursor(Qt::PointingHandCursor);
    auto* cancel = new QPushButton(QStringLiteral("取消"), bg);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setFixedSize(int(92 * s), int(30 * s));
    row->addWidget(m_confirm);
    row->addSpacing(16);
    row->addWidget(cancel);
    row->addStretch(1);
    column->addLayout(row);

    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(bg);
    DPIAdapter::instance()->adaptWidget(bg);
    fixDialogSize(this, QSize(460, 390));
    // The rules are read whole, never scrolled: the box takes the height of
    // its text at the width the dialog gives it, and the dialog grows with it.
    const QMargins outer = layout()->contentsMargins();
    const QMargins inner = body->contentsMargins();
    const int noticeWidth = width() - outer.left() - outer.right() - inner.left() - inner.right();
    m_notice->setFixedHeight(wholeTextHeight(m_notice, noticeWidth));
    fixDialogSize(this, QSize(460, 390));

    const QRegExp digits(QStringLiteral("[0-9]+$"));
    m_wordsEdit->setValidator(new QRegExpValidator(digits, m_wordsEdit));
    m_timeEdit->setValidator(new QRegExpValidator(digits, m_timeEdit));
    m_confirm->setEnabled(false);
    // Read-only rather than disabled: the rules are read, and a disabled
    // text is drawn faint.
    m_notice->setReadOnly(true);
    m_notice->setFocusPolicy(Qt::NoFocus);
    m_words->setChecked(true);
    m_timeEdit->setEnabled(false);

    connect(m_group, &QButtonGroup::idClicked, this, &Dialog_WritingLock::onModeChosen);
    const auto onEdited = [this](const QString& text) { m_confirm->setEnabled(!text.isEmpty()); };
    connect(m_wordsEdit, &QLineEdit::textEdited, this, onEdited);
    connect(m_timeEdit, &QLineEdit::textEdited, this, onEdited);
    connect(m_confirm, &QPushButton::clicked, this, &Dialog_WritingLock::onConfirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(title, &CBaseTitleBar::sig_close, this, &QDialog::reject);
    DialogKeys::setUp(this, m_wordsEdit, m_confirm);
}

void Dialog_WritingLock::onModeChosen(int id)
{
    QLineEdit* chosen = id == 1 ? m_timeEdit : m_wordsEdit;
    QLineEdit* other = id == 1 ? m_wordsEdit : m_timeEdit;
    chosen->setEnabled(true);
    other->setText(QStringLiteral("0"));
    other->setEnabled(false);
    m_confirm->setEnabled(false);
}

void Dialog_WritingLock::onConfirm()
{
    const bool byTime = m_time->isChecked();
    const int minutes = fieldValue(m_timeEdit);
    const int words = fieldValue(m_wordsEdit);
    if (byTime && (minutes < kMinMinutes || minutes > kMaxMinutes)) {
        CUiManager::instance()->showError(tr("Lock time: minimum 10 minutes, maximum 24 hours"), 1000);
        return;
    }
    if (!byTime && (words < kMinWords || words > kMaxWords)) {
        CUiManager::instance()->showError(tr("Lock words minimum 1000, maximum 200,000"), 1000);
        return;
    }
    CPublicManager* model = CPublicManager::instance();
    T_WriteLock lock = model->userConf.writeLock;
    lock.lockType = byTime ? 2 : 1;
    lock.lockWords = words;
    lock.lockTime = minutes;
    // The lock must survive a restart: a goal that did not reach the
    // database is no goal, so the dialog stays open and the model unchanged.
    if (!CJobManager::instance()->updateLock(model->userInfo.uid, lock)) {
        CUiManager::instance()->showError(tr("The lock could not be saved"), 1000);
        return;
    }
    model->userConf.writeLock = lock;
    accept();
}
