#include "Dialog_Search.h"

#include "common/DPIAdapter.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_Search::Dialog_Search(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dialog_Search"));
    const double s = DPIAdapter::instance()->scale();
    setFixedSize(int(380 * s), int(280 * s));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QVBoxLayout(this);
    outer->setObjectName(QStringLiteral("verticalLayout"));
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Dialog_Search_Bg"));
    outer->addWidget(bg);
    auto* column = new QVBoxLayout(bg);
    column->setObjectName(QStringLiteral("verticalLayout_2"));
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* title = new CBaseTitleBar(bg);
    title->setObjectName(QStringLiteral("widgetTitle"));
    title->setFixedHeight(int(46 * s));
    title->setTitle(tr("Search/Replace"));
    column->addWidget(title);
    auto* content = new QWidget(bg);
    content->setObjectName(QStringLiteral("widgetContent"));
    column->addWidget(content, 1);
    auto* main = new QVBoxLayout(content);
    main->setObjectName(QStringLiteral("layoutMain"));
    main->setSpacing(20);
    main->setContentsMargins(0, 40, 0, 0);
    auto* edits = new QVBoxLayout();
    edits->setObjectName(QStringLiteral("layoutLineEdit"));
    edits->setSpacing(20);
    m_search = new QLineEdit(content);
    m_search->setObjectName(QStringLiteral("lineEditSearch"));
    m_search->setFixedSize(int(260 * s), int(32 * s));
    m_search->setPlaceholderText(tr("Please enter your search"));
    m_replace = new QLineEdit(content);
    m_replace->setObjectName(QStringLiteral("lineEditReplace"));
    m_replace->setFixedSize(int(260 * s), int(32 * s));
    m_replace->setPlaceholderText(tr("Please enter a replacement"));
    edits->addWidget(m_search, 0, Qt::AlignHCenter);
    edits->addWidget(m_replace, 0, Qt::AlignHCenter);
    main->addLayout(edits);
    auto* buttons = new QHBoxLayout();
    buttons->setObjectName(QStringLiteral("layoutBtns"));
    buttons->setSpacing(12);
    buttons->addStretch(1);
    auto make = [content, buttons, s](const char* name, const QString& text, int width) {
        auto* button = new QPushButton(text, content);
        button->setObjectName(QString::fromLatin1(name));
        // A text button grows to its words: the skins pad buttons generously.
        if (text.isEmpty())
            button->setFixedSize(int(width * s), int(28 * s));
        else {
            button->setFixedHeight(int(28 * s));
            button->setMinimumWidth(int(width * s));
        }
        button->setCursor(Qt::PointingHandCursor);
        buttons->addWidget(button);
        return button;
    };
    QPushButton* left = make("btnLeft", QString(), 32);
    QPushButton* right = make("btnRight", QString(), 32);
    QPushButton* current = make("btnReplaceCur", tr("替换当前"), 76);
    QPushButton* all = make("btnReplaceAll", tr("替换全部"), 76);
    buttons->addStretch(1);
    main->addLayout(buttons);
    main->addStretch(1);

    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    CQssManager::instance()->addShadowEffect(bg);
    DPIAdapter::instance()->adaptWidget(bg);
    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);

    // User edits only: filling the field from code starts no search.
    connect(m_search, &QLineEdit::textEdited, this,
            [this](const QString& text) { emit sig_sreach_btn(SreachSearch, text); });
    connect(left, &QPushButton::clicked, this, [this]() { emit sig_sreach_btn(SreachPrevious, QString()); });
    connect(right, &QPushButton::clicked, this, [this]() { emit sig_sreach_btn(SreachNext, QString()); });
    connect(current, &QPushButton::clicked, this,
            [this]() { emit sig_sreach_btn(SreachReplaceCurrent, m_replace->text()); });
    connect(all, &QPushButton::clicked, this, [this]() { emit sig_sreach_btn(SreachReplaceAll, m_replace->text()); });
    connect(title, &CBaseTitleBar::sig_close, this, &Dialog_Search::closeSearch);
    DialogKeys::setUp(this, m_search);
}

void Dialog_Search::keyPressEvent(QKeyEvent* event)
{
    // Return and Enter in a field press no button: in the find field they go
    // to the next occurrence.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_search->hasFocus())
            emit sig_sreach_btn(SreachNext, QString());
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog_Search::closeSearch()
{
    emit sig_sreach_btn(SreachClose, QString());
    m_search->clear();
    m_replace->clear();
    close();
}
