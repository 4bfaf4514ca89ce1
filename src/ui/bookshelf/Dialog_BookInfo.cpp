#include "Dialog_BookInfo.h"
#include "ui/common/FileDialogs.h"

#include "common/ServerClock.h"
#include "common/StyleType.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "remote/records/BookRecords.h"
#include "remote/records/SystemRecords.h"
#include "ui/bookshelf/CSystemCoverDelegate.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/CTextEdit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {
const TS_Books_CateList& categoriesOf(int channel)
{
    const TS_Books_Cate& tree = CPublicManager::instance()->cateList;
    return channel == 2 ? tree.female : tree.male;
}
}

Dialog_BookInfo::Dialog_BookInfo(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_BookInfo_Bg"), QSize(547, 524), parent)
{
    setTitle(tr("BookInfo"));
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("stackedWidget"));
    m_pageInfo = new QWidget(m_pages);
    m_pageInfo->setObjectName(QStringLiteral("pageInfo"));
    m_pageCover = new QWidget(m_pages);
    m_pageCover->setObjectName(QStringLiteral("pageCover"));
    buildInfoPage(m_pageInfo);
    buildCoverPage(m_pageCover);
    m_pages->addWidget(m_pageInfo);
    m_pages->addWidget(m_pageCover);
    content()->addWidget(m_pages, 1);

    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_btnConfirm->setEnabled(!text.trimmed().isEmpty()); });
    connect(m_channelGroup, &QButtonGroup::idClicked, this,
            [this](int id) { m_channelPages->setCurrentIndex(id == 0 ? 0 : 1); });
    for (int channel : {1, 2}) {
        connect(primaryCombo(channel), QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, channel](int) {
            if (!m_loaded)
                return;
            // A category picked on a book without a channel chooses the
            // channel whose list it came from.
            QRadioButton* radio = channel == 2 ? m_radioWomen : m_radioMan;
            if (!radio->isChecked())
                radio->setChecked(true);
            initSubCategory(channel, primaryCombo(channel)->currentData().toInt(), -1);
        });
    }
    connect(m_btnSystemCover, &QPushButton::clicked, this, [this]() {
        m_covers->setCurrentIndex(QModelIndex());
        m_covers->clearSelection();
        m_pages->setCurrentWidget(m_pageCover);
        setTitle(tr("BookCover"));
    });
    connect(m_btnSave, &QPushButton::clicked, this, [this]() {
        m_pages->setCurrentWidget(m_pageInfo);
        setTitle(tr("BookInfo"));
        const QModelIndex current = m_covers->currentIndex();
        if (current.isValid()) {
            m_cover = current.data(Qt::DisplayRole).toString();
            showCover(m_cover);
        }
    });
    connect(m_btnCancel2, &QPushButton::clicked, this, [this]() {
        m_pages->setCurrentWidget(m_pageInfo);
        setTitle(tr("BookInfo"));
    });
    connect(m_btnCustomCover, &QPushButton::clicked, this, [this]() {
        const QString path = FileDialogs::openFile(this, tr("Please select the cover image"),
                                                   FileDialogs::Picture, QStringLiteral("*.png *.jpg *.jpeg"));
        if (path.isEmpty())
            return;
        m_cover = path;
        showCover(path);
    });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_BookInfo::onConfirm);

    initCategory(1);
    initCategory(2);
    m_radioMan->setChecked(true);
    m_channelPages->setCurrentIndex(0);
    DialogKeys::setUp(this, m_name, m_btnConfirm);
    // The cover page comes up with the keys in its covers, and Enter saves the one chosen.
    DialogKeys::setUpPage(this, m_pageInfo, m_name, m_btnConfirm);
    DialogKeys::setUpPage(this, m_pageCover, m_covers, m_btnSave);
    DialogKeys::setLink(m_btnSystemCover);
    DialogKeys::setLink(m_btnCustomCover);
}

void Dialog_BookInfo::buildInfoPage(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(px(12));
    grid->setVerticalSpacing(px(14));

    auto* label = new QLabel(QStringLiteral("创作名称"), page);
    label->setObjectName(QStringLiteral("label"));
    m_name = new QLineEdit(page);
    m_name->setObjectName(QStringLiteral("lineEdit"));
    m_name->setFixedSize(px(276), px(26));
    m_name->setPlaceholderText(tr("Please enter book name"));
    m_name->setMaxLength(15);
    m_name->setContextMenuPolicy(Qt::NoContextMenu);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_name, 0, 1, Qt::AlignLeft);

    auto* label2 = new QLabel(QStringLiteral("作品分类"), page);
    label2->setObjectName(QStringLiteral("label_2"));
    auto* channelBox = new QVBoxLayout();
    auto* radios = new QHBoxLayout();
    m_radioMan = new QRadioButton(QStringLiteral("男频"), page);
    m_radioMan->setObjectName(QStringLiteral("radioMan"));
    m_radioWomen = new QRadioButton(QStringLiteral("女频"), page);
    m_radioWomen->setObjectName(QStringLiteral("radioWomen"));
    m_channelGroup = new QButtonGroup(this);
    m_channelGroup->setObjectName(QStringLiteral("buttonGroup"));
    m_channelGroup->addButton(m_radioMan, 0);
    m_channelGroup->addButton(m_radioWomen, 1);
    radios->addWidget(m_radioMan);
    radios->addWidget(m_radioWomen);
    radios->addStretch(1);
    channelBox->addLayout(radios);
    m_channelPages = new QStackedWidget(page);
    m_channelPages->setObjectName(QStringLiteral("stackedWidget_2"));
    auto comboPage = [this](const char* name, QComboBox** primary, const char* primaryName, QComboBox** sub,
                            const char* subName) {
        auto* w = new QWidget(m_channelPages);
        w->setObjectName(QLatin1String(name));
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(0, 0, 0, 0);
        for (auto pair : {std::make_pair(primary, primaryName), std::make_pair(sub, subName)}) {
            auto* combo = new QComboBox(w);
            combo->setObjectName(QLatin1String(pair.second));
            combo->setFixedWidth(px(132));
            // The style sheet styles the items only through a styled delegate.
            combo->setItemDelegate(new QStyledItemDelegate(combo));
            row->addWidget(combo);
            *pair.first = combo;
        }
        row->addStretch(1);
        m_channelPages->addWidget(w);
    };
    comboPage("pageMan", &m_primaryMan, "comPrimaryMan", &m_subMan, "comSubMan");
    comboPage("pageWomen", &m_primaryWomen, "comPrimaryWomen", &m_subWomen, "comSubWomen");
    channelBox->addWidget(m_channelPages);
    grid->addWidget(label2, 1, 0, Qt::AlignTop);
    grid->addLayout(channelBox, 1, 1);

    auto* coverLabel = new QLabel(tr("Cover"), page);
    auto* coverBox = new QHBoxLayout();
    // Nested rows take the grid's spacing, which is none.
    coverBox->setSpacing(px(16));
    m_preview = new QLabel(page);
    m_preview->setObjectName(QStringLiteral("labelPixmap"));
    m_preview->setFixedSize(px(105), px(140));
    m_shade = new QLabel(m_preview);
    m_shade->setFixedSize(m_preview->size());
    m_shade->setPixmap(QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/cover_shade.png"))
                           .scaled(m_preview->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_shade->setVisible((CQssManager::instance()->currentStyleType() & StyleDark) != 0);
    coverBox->addWidget(m_preview);
    auto* coverButtons = new QHBoxLayout();
    coverButtons->setSpacing(px(8));
    m_btnSystemCover = new QPushButton(QStringLiteral("系统封面"), page);
    m_btnSystemCover->setObjectName(QStringLiteral("btnSystemCover"));
    auto* line = new QLabel(QStringLiteral("|"), page);
    line->setObjectName(QStringLiteral("labelLine"));
    m_btnCustomCover = new QPushButton(QStringLiteral("自定义封面"), page);
    m_btnCustomCover->setObjectName(QStringLiteral("btnCustomCover"));
    coverButtons->addWidget(m_btnSystemCover);
    coverButtons->addWidget(line);
    coverButtons->addWidget(m_btnCustomCover);
    auto* coverSide = new QVBoxLayout();
    coverSide->addStretch(1);
    coverSide->addLayout(coverButtons);
    coverBox->addLayout(coverSide);
    coverBox->addStretch(1);
    grid->addWidget(coverLabel, 2, 0, Qt::AlignTop);
    grid->addLayout(coverBox, 2, 1);

    auto* label3 = new QLabel(QStringLiteral("作品简介"), page);
    label3->setObjectName(QStringLiteral("label_3"));
    m_intro = new CTextEdit(page);
    m_intro->setObjectName(QStringLiteral("textEdit"));
    m_intro->setAcceptRichText(false);
    // The introduction takes the column's width, so it never runs past the dialog.
    m_intro->setFixedHeight(px(120));
    m_intro->setMinimumWidth(px(300));
    m_intro->setPlaceholderText(tr("Please enter the introduction, 20-500 words"));
    m_intro->setMaxLength(500);
    m_intro->m_counterVisible = true;
    m_intro->setContextMenuPolicy(Qt::NoContextMenu);
    grid->addWidget(label3, 3, 0, Qt::AlignTop);
    grid->addWidget(m_intro, 3, 1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(px(12));
    buttons->addStretch(1);
    m_btnConfirm = new QPushButton(QStringLiteral("确定"), page);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), page);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnConfirm, cancel}) {
        b->setFixedSize(px(92), px(30));
        buttons->addWidget(b);
    }
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
}

void Dialog_BookInfo::buildCoverPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_covers = new QListView(page);
    m_covers->setObjectName(QStringLiteral("listView"));
    m_covers->setViewMode(QListView::IconMode);
    m_covers->setFlow(QListView::LeftToRight);
    m_covers->setWrapping(true);
    m_covers->setResizeMode(QListView::Adjust);
    m_covers->setMovement(QListView::Static);
    m_covers->setDragEnabled(false);
    m_covers->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_covers->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_covers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_covers->setMouseTracking(true);
    m_covers->setSpacing(px(10));
    auto* delegate = new CSystemCoverDelegate(m_covers);
    delegate->setItemSize(px(120), px(160));
    delegate->setIconSize(px(30), px(30));
    m_covers->setItemDelegate(delegate);
    layout->addWidget(m_covers, 1);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(px(12));
    buttons->addStretch(1);
    // Named like the information page's pair, so the style sheets match them.
    m_btnSave = new QPushButton(QStringLiteral("保存"), page);
    m_btnSave->setObjectName(QStringLiteral("btnConfirm"));
    m_btnCancel2 = new QPushButton(QStringLiteral("取消"), page);
    m_btnCancel2->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnSave, m_btnCancel2}) {
        b->setFixedSize(px(92), px(30));
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

QComboBox* Dialog_BookInfo::primaryCombo(int channel) const
{
    return channel == 2 ? m_primaryWomen : m_primaryMan;
}

QComboBox* Dialog_BookInfo::subCombo(int channel) const
{
    return channel == 2 ? m_subWomen : m_subMan;
}

void Dialog_BookInfo::setCoverModel(QAbstractItemModel* model)
{
    if (model)
        m_covers->setModel(model);
}

void Dialog_BookInfo::initCategory(int channel)
{
    QComboBox* primary = primaryCombo(channel);
    const QSignalBlocker block(primary);
    primary->clear();
    // Row 0 stands for "no category": a book may have none yet.
    primary->addItem(tr("Not chosen"), 0);
    for (const T_Books_CateItem& item : categoriesOf(channel).items)
        primary->addItem(item.cate_name, item.cate_id);
    primary->setCurrentIndex(0);
    initSubCategory(channel, -1, -1);
}

void Dialog_BookInfo::initSubCategory(int channel, int primaryId, int subId)
{
    QComboBox* primary = primaryCombo(channel);
    QComboBox* sub = subCombo(channel);
    sub->clear();
    const QVector<T_Books_CateItem>& items = categoriesOf(channel).items;
    // A primary id the stored tree does not list shows as not chosen rather
    // than as somebody else's category.
    int position = -1;
    if (primaryId > 0) {
        for (int i = 0; i < items.size(); ++i) {
            if (items.at(i).cate_id == primaryId) {
                position = i;
                break;
            }
        }
    }
    {
        const QSignalBlocker block(primary);
        primary->setCurrentIndex(position + 1);
    }
    if (position < 0) {
        sub->addItem(tr("Not chosen"), 0);
        sub->setCurrentIndex(0);
        return;
    }
    for (const T_Books_CateItem& child : items.at(position).children)
        sub->addItem(child.cate_name, child.cate_id);
    int chosen = 0;
    if (subId > 0) {
        const int found = sub->findData(subId);
        if (found >= 0)
            chosen = found;
    }
    sub->setCurrentIndex(chosen);
}

int Dialog_BookInfo::currentChannel() const
{
    if (m_radioMan->isChecked())
        return 1;
    return m_radioWomen->isChecked() ? 2 : 0;
}

void Dialog_BookInfo::showCover(const QString& path)
{
    const QPixmap picture(path);
    m_preview->setPixmap(picture.isNull() ? QPixmap()
                                          : picture.scaled(m_preview->size(), Qt::IgnoreAspectRatio,
                                                           Qt::SmoothTransformation));
}

void Dialog_BookInfo::showDefaultCover()
{
    const int style = CQssManager::instance()->currentStyleType();
    QString file;
    if (style & StyleDark)
        file = QStringLiteral(":/res/skin/dark/bookshelf/book_def.svg");
    else if (style == StyleLight || style == StyleCustom || style == StyleKraft || style == StyleGreen)
        file = QStringLiteral(":/res/skin/light/bookshelf/book_def.svg");
    if (file.isEmpty()) {
        m_preview->setPixmap(QPixmap());
        return;
    }
    QPixmap picture(m_preview->size());
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QSvgRenderer(file).render(&painter);
    painter.end();
    m_preview->setPixmap(picture);
}

void Dialog_BookInfo::loadBookInfo(T_Book* book)
{
    m_loaded = false;
    m_pages->setCurrentWidget(m_pageInfo);
    setTitle(tr("BookInfo"));
    if (!book)
        return;
    m_localBookId = book->localId;
    qDebug() << "book info" << book->localId << book->channelType << book->cateId << book->bookName
             << book->localCover;
    m_name->setText(book->bookName);
    m_intro->setPlainText(book->intro);
    if (QPixmap(book->localCover).isNull())
        showDefaultCover();
    else
        showCover(book->localCover);
    // A book without a channel (a new one) shows neither button checked.
    const int channel = book->channelType == 1 || book->channelType == 2 ? book->channelType : 0;
    m_channelGroup->setExclusive(false);
    m_radioMan->setChecked(channel == 1);
    m_radioWomen->setChecked(channel == 2);
    m_channelGroup->setExclusive(true);
    m_channelPages->setCurrentIndex(channel == 2 ? 1 : 0);
    initSubCategory(1, channel == 1 ? book->cateFid : -1, channel == 1 ? book->cateId : -1);
    initSubCategory(2, channel == 2 ? book->cateFid : -1, channel == 2 ? book->cateId : -1);
    m_shownChannel = channel;
    m_shownCate = channel == 0 ? 0 : subCombo(channel)->currentData().toInt();
    m_shownName = m_name->text().trimmed();
    m_shownIntro = m_intro->toPlainText();
    m_btnConfirm->setEnabled(!m_name->text().trimmed().isEmpty());
    m_loaded = true;
}

void Dialog_BookInfo::onConfirm()
{
    T_Book* book = CPublicManager::instance()->findBookByLocalId(m_localBookId);
    if (!book)
        return;
    const QString typedName = m_name->text().trimmed();
    if (typedName.isEmpty())
        return;
    const int channel = currentChannel();
    const int cateId = channel == 0 ? 0 : subCombo(channel)->currentData().toInt();
    const int cateFid = channel == 0 ? 0 : primaryCombo(channel)->currentData().toInt();
    const QString typedIntro = m_intro->toPlainText();

    // What the author left as shown keeps the book's own values, also those
    // the stored tree does not list or the feed brought while the dialog was
    // open; whatever else the dialog shows is the author's choice and is
    // stored as it stands.
    const QString name = typedName != m_shownName ? typedName : book->bookName;
    const QString intro = typedIntro != m_shownIntro ? typedIntro : book->intro;
    const bool categoryChosen = channel != m_shownChannel || cateId != m_shownCate;
    const int newChannel = categoryChosen ? channel : book->channelType;
    const int newCate = categoryChosen ? cateId : book->cateId;
    const int newCateFid = categoryChosen ? cateFid : book->cateFid;
    const bool coverChosen = !m_cover.isEmpty() && m_cover != book->localCover;

    const bool changed = newChannel != book->channelType || newCate != book->cateId || name != book->bookName
                         || intro != book->intro || coverChosen;
    if (!changed) {
        reject();
        return;
    }
    TC_Books_Edit request(book->localId, newChannel, newCate, newCateFid, name, intro,
                          coverChosen ? m_cover : QString(), int(currentServerTime()));
    request.wholeBook = true;
    qDebug() << "edit book" << book->localId << newChannel << newCate << name << intro.size() << m_cover;
    // Refused, the dialog stays with what the author chose in it.
    if (CJobManager::instance()->books_edit(request))
        accept();
    else if (!CUiManager::instance()->tellRefusedChange(tr("The book's information could not be stored.")))
        CUiManager::instance()->showError(tr("Failed to save book"), 1000);
}
