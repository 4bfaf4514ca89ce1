#include "Dialog_CreateBook.h"
#include "ui/common/FileDialogs.h"

#include "ui/bookshelf/CSystemCoverDelegate.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

Dialog_CreateBook::Dialog_CreateBook(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_CreateBook_Bg"), QSize(770, 576), parent)
{
    setTitle(tr("Create Book"));
    auto* nameRow = new QHBoxLayout();
    auto* label = new QLabel(tr("Book Name"), this);
    label->setObjectName(QStringLiteral("labelBookName"));
    m_lineEdit = new QLineEdit(this);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setPlaceholderText(tr("Please enter book name"));
    m_lineEdit->setMaxLength(15);
    nameRow->addWidget(label);
    nameRow->addWidget(m_lineEdit, 1);
    content()->addLayout(nameRow);

    auto* tabs = new QHBoxLayout();
    m_btnSys = new QPushButton(QStringLiteral("系统封面"), this);
    m_btnSys->setObjectName(QStringLiteral("btnSysCover"));
    m_btnCustom = new QPushButton(QStringLiteral("自定义封面"), this);
    m_btnCustom->setObjectName(QStringLiteral("btnCustomCover"));
    m_group = new QButtonGroup(this);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    for (QPushButton* b : {m_btnSys, m_btnCustom}) {
        b->setCheckable(true);
        tabs->addWidget(b);
    }
    m_group->addButton(m_btnSys, 0);
    m_group->addButton(m_btnCustom, 1);
    tabs->addStretch(1);
    content()->addLayout(tabs);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_pageSys = new QWidget(m_stack);
    m_pageSys->setObjectName(QStringLiteral("page"));
    auto* sysLayout = new QVBoxLayout(m_pageSys);
    sysLayout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListView(m_pageSys);
    m_list->setObjectName(QStringLiteral("listView"));
    m_list->setFlow(QListView::LeftToRight);
    m_list->setWrapping(true);
    m_list->setViewMode(QListView::IconMode);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // More covers than one row fits: the rest must be reachable.
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setMouseTracking(true);
    auto* delegate = new CSystemCoverDelegate(m_list);
    delegate->setItemSize(px(120), px(180));
    delegate->setIconSize(px(20), px(20));
    m_list->setItemDelegate(delegate);
    m_list->setSpacing(px(28));
    sysLayout->addWidget(m_list);
    auto* pageCustom = new QWidget(m_stack);
    pageCustom->setObjectName(QStringLiteral("page_2"));
    auto* customLayout = new QVBoxLayout(pageCustom);
    m_preview = new QLabel(pageCustom);
    m_preview->setObjectName(QStringLiteral("labelPixmap"));
    m_preview->setFixedSize(px(105), px(140));
    auto* select = new QPushButton(QStringLiteral("上传图片"), pageCustom);
    select->setObjectName(QStringLiteral("btnSelect"));
    customLayout->addWidget(m_preview, 0, Qt::AlignHCenter);
    customLayout->addWidget(select, 0, Qt::AlignHCenter);
    customLayout->addStretch(1);
    m_stack->addWidget(m_pageSys);
    m_stack->addWidget(pageCustom);
    content()->addWidget(m_stack, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_btnConfirm = new QPushButton(tr("Save"), this);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnCancel = new QPushButton(tr("Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnConfirm, m_btnCancel}) {
        b->setFixedSize(px(100), px(34));
        buttons->addWidget(b);
    }
    content()->addLayout(buttons);

    m_btnSys->setChecked(true);
    m_stack->setCurrentWidget(m_pageSys);
    connect(m_btnSys, &QPushButton::clicked, this, [this]() { m_stack->setCurrentIndex(0); });
    connect(m_btnCustom, &QPushButton::clicked, this, [this]() { m_stack->setCurrentIndex(1); });
    connect(select, &QPushButton::clicked, this, [this]() {
        const QString path = FileDialogs::openFile(this, tr("Please select the cover image"),
                                                   FileDialogs::Picture, QStringLiteral("*.png *.jpg *.jpeg"));
        if (!path.isEmpty())
            setCustomCover(path);
    });
    // A disabled button alone does not say what it waits for.
    auto updateConfirm = [this]() {
        const bool named = !m_lineEdit->text().isEmpty();
        m_btnConfirm->setEnabled(named);
        m_btnConfirm->setToolTip(named ? QString() : tr("Enter a book name to save"));
    };
    connect(m_lineEdit, &QLineEdit::textChanged, this, updateConfirm);
    updateConfirm();
    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &QDialog::accept);
    DialogKeys::setUp(this, m_lineEdit, m_btnConfirm);
    // The name takes the keys first; the cover tabs are links, and the page
    // one brings takes the keys.
    DialogKeys::setUpPart(this, m_pageSys, m_list);
    DialogKeys::setUpPart(this, pageCustom, select);
    DialogKeys::setLink(m_btnSys);
    DialogKeys::setLink(m_btnCustom);
}

void Dialog_CreateBook::setCoverModel(QAbstractItemModel* model)
{
    if (!model)
        return;
    m_list->setModel(model);
}

QString Dialog_CreateBook::getBookName() const
{
    return m_lineEdit->text();
}

QString Dialog_CreateBook::getCover() const
{
    if (m_stack->currentWidget() == m_pageSys) {
        const QModelIndex current = m_list->currentIndex();
        return current.isValid() ? current.data(Qt::DisplayRole).toString() : QString();
    }
    return m_customCover;
}

void Dialog_CreateBook::setCustomCover(const QString& path)
{
    m_customCover = path;
    m_preview->setPixmap(QPixmap(path).scaled(m_preview->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
