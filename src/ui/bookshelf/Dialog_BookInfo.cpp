#include "Dialog_BookInfo.h"

#include "common/ServerClock.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

Dialog_BookInfo::Dialog_BookInfo(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_BookInfo_Bg"), QSize(770, 576), parent)
{
    setTitle(tr("Book Info"));
    auto* nameRow = new QHBoxLayout();
    nameRow->addWidget(new QLabel(tr("Book Name"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("lineEditName"));
    m_name->setMaxLength(15);
    nameRow->addWidget(m_name, 1);
    content()->addLayout(nameRow);
    m_intro = new QTextEdit(this);
    m_intro->setObjectName(QStringLiteral("textEditIntro"));
    m_intro->setAcceptRichText(false);
    m_intro->setFixedHeight(px(110));
    content()->addWidget(m_intro);
    m_covers = new QListView(this);
    m_covers->setObjectName(QStringLiteral("listView"));
    m_covers->setViewMode(QListView::IconMode);
    m_covers->setFlow(QListView::LeftToRight);
    m_covers->setWrapping(true);
    m_covers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    content()->addWidget(m_covers, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_btnConfirm = new QPushButton(tr("Save"), this);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnConfirm, cancel}) {
        b->setFixedSize(px(100), px(34));
        buttons->addWidget(b);
    }
    content()->addLayout(buttons);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_btnConfirm->setEnabled(!text.trimmed().isEmpty()); });
    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, [this]() {
        if (save())
            accept();
    });
}

void Dialog_BookInfo::setCoverModel(QAbstractItemModel* model)
{
    if (model)
        m_covers->setModel(model);
}

void Dialog_BookInfo::loadBookInfo(T_Book* book)
{
    if (!book)
        return;
    m_localBookId = book->localId;
    m_name->setText(book->bookName);
    m_intro->setPlainText(book->intro);
}

bool Dialog_BookInfo::save()
{
    T_Book* book = CPublicManager::instance()->findBookByLocalId(m_localBookId);
    if (!book)
        return false;
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return false;
    const QModelIndex cover = m_covers->currentIndex();
    TC_Books_Edit request(book->localId, 0, 0, 0, name, m_intro->toPlainText(),
                          cover.isValid() ? cover.data(Qt::DisplayRole).toString() : QString(),
                          int(currentServerTime()));
    if (!CJobManager::instance()->books_edit(request)) {
        CUiManager::instance()->showError(tr("Failed to save book"), 1000);
        return false;
    }
    return true;
}
