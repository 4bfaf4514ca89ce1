#include "Widget_BookShelfList.h"
#include "ui/common/FileDialogs.h"

#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QQuickWidget>
#include "outline/COutlineController.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/CBookListModel.h"
#include "ui/bookshelf/Dialog_BookImportRule.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Dialog_CreateBook.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CIconButton.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QListView>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

Widget_BookShelfList::Widget_BookShelfList(QWidget* parent)
    : QWidget(parent), m_model_(CPublicManager::instance()), m_jobs(CJobManager::instance()),
      m_coverModel(nullptr), m_s(DPIAdapter::instance()->scale())
{
    setObjectName(QStringLiteral("Widget_BookShelfList"));
    resize(int(694 * m_s), int(428 * m_s));
    setStyleSheet(QStringLiteral("QListView#listView{border:none;background:transparent;}"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 10, 0, 0);
    layout->setSpacing(0);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("listView"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_list);

    m_model = new CBookListModel(CBookListModel::Shelf, this);
    m_list->setModel(m_model);
    m_delegate = new CBookListDelegate(CBookListModel::Shelf, m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setMouseTracking(true);
    m_list->viewport()->installEventFilter(m_delegate);
    m_list->setSpacing(18);

    m_ball = new QPushButton(this);
    m_ball->setObjectName(QStringLiteral("OutlineBall"));
    m_ball->setFixedSize(int(36 * m_s), int(36 * m_s));
    m_ball->setCursor(Qt::PointingHandCursor);
    m_ball->hide();
    m_ball->installEventFilter(this);
    m_ballAnimation = new QPropertyAnimation(m_ball, "pos", this);
    m_ballAnimation->setDuration(300);

    m_btnRecycle = new CIconButton(this);
    m_btnRecycle->setObjectName(QStringLiteral("btnRecycle"));
    m_btnRecycle->setText(tr("Book Recycle"));
    m_btnRecycle->setCursor(Qt::PointingHandCursor);
    m_btnRecycle->setIconObjectName(QStringLiteral("iconRecycle"));
    m_btnRecycle->setIconLeftOffset(5);
    m_btnRecycle->icon()->setFixedSize(int(18 * m_s), int(18 * m_s));
    m_btnRecycle->setFixedSize(int(110 * m_s), int(30 * m_s));

    m_coverFolder = appDirPath() + QStringLiteral("/data/cover");
    initCover();

    connect(m_btnRecycle, &QPushButton::clicked, this, [this]() { m_prompts->showRecycleBin(this); });
    connect(m_delegate, &CBookListDelegate::sig_open, this, &Widget_BookShelfList::onOpen);
    connect(m_delegate, &CBookListDelegate::sig_info, this, &Widget_BookShelfList::onInfo);
    connect(m_delegate, &CBookListDelegate::sig_outlinOpen, this, &Widget_BookShelfList::onOutlineOpen);
    connect(m_delegate, &CBookListDelegate::sig_export, this, &Widget_BookShelfList::onExport);
    connect(m_delegate, &CBookListDelegate::sig_delete, this, &Widget_BookShelfList::onDelete);
    connect(m_delegate, &CBookListDelegate::sig_create, this, &Widget_BookShelfList::onCreate);
    connect(m_delegate, &CBookListDelegate::sig_outlinCreate, this, &Widget_BookShelfList::onOutlineCreate);
    connect(m_delegate, &CBookListDelegate::sig_import, this, &Widget_BookShelfList::onImport);
    connect(m_ball, &QPushButton::clicked, this, [this]() {
        if (m_outline) {
            m_outline->show();
            m_outline->raise();
        }
        m_ball->hide();
    });
}

void Widget_BookShelfList::setPrompts(Prompts* prompts)
{
    m_prompts = prompts ? prompts : &m_defaultPrompts;
}

void Widget_BookShelfList::initData()
{
    m_model->resetCount();
    const int n = m_model_->bookList.size();
    qDebug() << "bookCount:" << n;
    if (n > 0)
        m_model->insertRows(0, n);
}

void Widget_BookShelfList::addBook(const TC_Books_AddBook& request, int row, bool busy)
{
    qDebug() << "addBook" << request.bookName << row;
    m_model->insertBook(row, request, busy);
}

void Widget_BookShelfList::removeBook(int row, const TC_Books_Delete& request)
{
    m_model->removeBook(row, request);
}

void Widget_BookShelfList::insertRow(int row)
{
    m_model->insertRow(row);
}

void Widget_BookShelfList::updateBook(int row)
{
    m_model->refreshRows(row, 1);
}

void Widget_BookShelfList::initCover()
{
    if (!m_coverModel)
        m_coverModel = new QStringListModel(this);
    QStringList covers;
    const QDir folder(m_coverFolder);
    if (folder.exists()) {
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Unsorted)) {
            if (file.fileName() != QLatin1String("notebook.png"))
                covers.append(file.filePath());
        }
    }
    qDebug() << "system cover count:" << covers.size();
    m_coverModel->setStringList(covers);
}

void Widget_BookShelfList::openOutline(T_Book* book)
{
    if (!book)
        return;
    COutlineController* controller = COutlineController::instance();
    if (!m_outline) {
        m_outline = controller->getWidget();
        // The panel hides itself into the ball, which brings it back.
        connect(controller, &COutlineController::hideBall, this, [this]() {
            if (!CUiManager::instance()->isBookshelfMode())
                return;
            m_ball->show();
            m_ball->raise();
        }, Qt::UniqueConnection);
    }
    controller->addAllItem(book);
    if (m_outline) {
        m_outline->setParent(this);
        controller->setHeight(height());
        m_outline->move(width() - int(362 * m_s), 0);
        m_outline->show();
        m_outline->activateWindow();
    } else {
        qDebug() << "outline panel not available; book" << book->localId;
    }
    if (m_ball->isVisible())
        m_ball->hide();
}

void Widget_BookShelfList::closeOutline()
{
    if (m_outline)
        m_outline->close();
    m_ball->hide();
}

void Widget_BookShelfList::onOpen(int localBookId)
{
    T_Book* book = m_model_->findBookByLocalId(localBookId);
    if (!book)
        return;
    // A book whose import is still storing its chapters has none to open yet.
    if (book->isImporting && book->chapterList.isEmpty()) {
        CUiManager::instance()->showTips(tr("importing book"), true, 1000);
        return;
    }
    qDebug() << "open book" << book->localId << book->bookName;
    CUiManager::instance()->openCreation(book);
}

void Widget_BookShelfList::onInfo(int localBookId, int index)
{
    T_Book* book = m_model_->findBookByLocalId(localBookId);
    if (!book)
        return;
    if (m_prompts->askBookInfo(this, m_coverModel, book)) {
        m_jobs->moveBookToFront(book, true);
        // The book may have moved to the head: repaint both places.
        m_model->refreshRows(0, qMax(1, index + 1));
    }
}

void Widget_BookShelfList::onOutlineOpen(int localBookId)
{
    if (localBookId <= 0)
        return;
    if (T_Book* book = m_model_->findBookByLocalId(localBookId))
        openOutline(book);
}

void Widget_BookShelfList::onExport(int localBookId)
{
    if (localBookId <= 0)
        return;
    T_Book* book = m_model_->findBookByLocalId(localBookId);
    if (!book)
        return;
    const QString path = FileDialogs::saveTextFile(nullptr, tr("BookExport"), book->bookName,
                                                   FileDialogs::textFilter());
    if (!path.isEmpty() && !m_jobs->books_export(book, path))
        CUiManager::instance()->showError(tr("Failed to export book"), 1000);
}

void Widget_BookShelfList::onDelete(int localBookId, const QString& bookName, int index)
{
    Q_UNUSED(index)
    T_Book* book = m_model_->findBookByLocalId(localBookId);
    if (!book)
        return;
    if (!m_prompts->confirmDelete(this, bookName.isEmpty() ? book->bookName : bookName))
        return;
    deleteBook(localBookId);
}

bool Widget_BookShelfList::deleteBook(int localBookId)
{
    TC_Books_Delete request(localBookId, int(currentServerTime()));
    if (!m_jobs->books_delete(request)) {
        if (!CUiManager::instance()->tellRefusedChange(
                tr("The book could not be moved to the recycle bin; it stays on the shelf.")))
            CUiManager::instance()->showError(tr("Failed to delete book"), 1000);
        return false;
    }
    return true;
}

void Widget_BookShelfList::onCreate()
{
    QString name, cover;
    if (m_prompts->askNewBook(this, m_coverModel, false, &name, &cover))
        createBook(name, cover, false);
}

void Widget_BookShelfList::onOutlineCreate()
{
    QString name, cover;
    if (m_prompts->askNewBook(this, m_coverModel, true, &name, &cover))
        createBook(name, cover, true);
}

bool Widget_BookShelfList::createBook(const QString& name, const QString& cover, bool withOutline)
{
    const int now = int(currentServerTime());
    TC_Books_AddBook request(name, now, now, cover);
    if (!m_jobs->books_add(request)) {
        if (!CUiManager::instance()->tellRefusedChange(tr("The new book could not be stored.")))
            CUiManager::instance()->showError(tr("Failed to add book"), 1000);
        return false;
    }
    if (withOutline) {
        if (T_Book* book = m_model_->findBookByLocalId(request.header.localBookId)) {
            openOutline(book);
            COutlineController::instance()->create(1);
        }
    }
    return true;
}

void Widget_BookShelfList::onImport()
{
    if (CUiManager::instance()->isBookImporting()) {
        CUiManager::instance()->showTips(tr("importing book"), true, 1000);
        return;
    }
    if (!m_prompts->askImportRule(this))
        return;
    const QString path = m_prompts->askImportFile();
    if (path.isEmpty())
        return;
    importFile(path);
}

void Widget_BookShelfList::importFile(const QString& path)
{
    // Progress and the new tile come back through the window manager.
    if (!m_jobs->startImportBook(path))
        qWarning() << "import not started:" << path;
}

void Widget_BookShelfList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_outline) {
        m_outline->move(width() - int(362 * m_s), 0);
        COutlineController::instance()->setHeight(height());
    }
    m_ball->move(width() - m_ball->width() / 2, int(16 * m_s));
    m_btnRecycle->move(int(width() - m_btnRecycle->width() - 20 * m_s), int(10 * m_s));
    m_btnRecycle->raise();
}

bool Widget_BookShelfList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ball && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        m_ballAnimation->stop();
        m_ballAnimation->setStartValue(m_ball->pos());
        const int x = event->type() == QEvent::Enter ? width() - m_ball->width() : width() - m_ball->width() / 2;
        m_ballAnimation->setEndValue(QPoint(x, int(16 * m_s)));
        m_ballAnimation->start();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the questions, as the user answers them ----

bool Widget_BookShelfList::Prompts::confirmDelete(QWidget* parent, const QString& bookName)
{
    // The name goes in with replace(), not arg(): a name holding "%1" stays as typed.
    QString text = Widget_BookShelfList::tr("Are you sure to delete %1?");
    text.replace(QStringLiteral("%1"), bookName);
    return BkMessageBox::question(parent, Widget_BookShelfList::tr("Confirm"), text, Widget_BookShelfList::tr("OK"), Widget_BookShelfList::tr("Cancel"), 0) == 0;
}

bool Widget_BookShelfList::Prompts::askNewBook(QWidget* parent, QStringListModel* covers, bool outline,
                                               QString* name, QString* cover)
{
    Dialog_CreateBook dialog(parent);
    dialog.setCoverModel(covers);
    if (outline)
        dialog.setTitle(QStringLiteral("创建大纲"));
    if (dialog.exec() != 1)
        return false;
    *name = dialog.getBookName();
    *cover = dialog.getCover();
    return true;
}

bool Widget_BookShelfList::Prompts::askBookInfo(QWidget* parent, QStringListModel* covers, T_Book* book)
{
    Dialog_BookInfo dialog(parent);
    dialog.setCoverModel(covers);
    dialog.loadBookInfo(book);
    return dialog.exec() == 1;
}

bool Widget_BookShelfList::Prompts::askImportRule(QWidget* parent)
{
    Dialog_BookImportRule dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

QString Widget_BookShelfList::Prompts::askImportFile()
{
    return FileDialogs::openFile(nullptr, tr("请选择导入的书籍"), FileDialogs::BookImport,
                                 FileDialogs::textFilter());
}

void Widget_BookShelfList::Prompts::showRecycleBin(QWidget* parent)
{
    Dialog_BookRecycle dialog(parent);
    dialog.exec();
}
