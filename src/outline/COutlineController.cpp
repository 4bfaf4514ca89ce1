#include "COutlineController.h"

#include "COutlineBookModel.h"
#include "COutlineModel.h"
#include "COutlineSortModel.h"

#include "common/AfterHandler.h"
#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/BkMessageBox.h"

#include <QDebug>
#include <QLabel>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWidget>
#include <QTimer>

COutlineController::COutlineController(QObject* parent)
    : QObject(parent), m_public(CPublicManager::instance()), m_jobs(CJobManager::instance())
{
    qmlRegisterUncreatableType<COutlineController>("OutlineEnums", 1, 1, "Enums",
                                                   QStringLiteral("the outline controller is given, not made"));
    connect(CUiManager::instance(), &CUiManager::sig_changeSkin, this, &COutlineController::sigTheme);
}

COutlineController* COutlineController::instance()
{
    static COutlineController* controller = new COutlineController();
    return controller;
}

// ---- the widget ----------------------------------------------------------------------

void COutlineController::createModels()
{
    if (!m_model)
        m_model = new COutlineModel(this);
    if (!m_sortModel) {
        m_sortModel = new COutlineSortModel(this);
        m_sortModel->setSourceModel(m_model);
    }
    if (!m_bookModel)
        m_bookModel = new COutlineBookModel(this);
}

QQuickWidget* COutlineController::getWidget()
{
    if (m_widget)
        return m_widget;
    auto* widget = new QQuickWidget;
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setClearColor(Qt::transparent);
    widget->setAttribute(Qt::WA_AlwaysStackOnTop);
    widget->setResizeMode(QQuickWidget::SizeViewToRootObject);
    createModels();
    m_model->setBook(currentBook());
    QQmlContext* context = widget->rootContext();
    context->setContextProperty(QStringLiteral("outlineCtr"), this);
    context->setContextProperty(QStringLiteral("outlineModel"), m_sortModel.data());
    context->setContextProperty(QStringLiteral("outlineBookModel"), m_bookModel.data());
    widget->setSource(QUrl(QStringLiteral("qrc:/outline.qml")));
    if (widget->status() == QQuickWidget::Error)
        qWarning() << "outline panel not loaded:" << widget->errors();
    m_widget = widget;
    return widget;
}

void COutlineController::addAllItem(T_Book* book)
{
    if (book != nullptr)
        showBook(book);
}

void COutlineController::showBook(T_Book* book)
{
    if (m_model)
        m_model->setBook(book);
    if (m_bookModel)
        m_bookModel->refresh();
    m_localBookId = book ? book->localId : 0;
    updateCheckState();
    if (book == nullptr) {
        emit sigBookName(QString());
        return;
    }
    emit sigBookName(book->bookName);
    qDebug() << "loadOutline" << book->bookName << book->bookId << book->localId << book->outline.outlineList.size();
}

void COutlineController::setHeight(int height)
{
    emit sigHeight(height);
}

void COutlineController::reset()
{
    if (m_widget) {
        m_widget->hide();
        m_widget->setParent(nullptr);
    }
    m_failureTold = false;
    showBook(nullptr);
}

T_Book* COutlineController::currentBook() const
{
    if (m_localBookId < 1)
        return nullptr;
    return m_public->findBookByLocalId(m_localBookId);
}

COutlineModel* COutlineController::outlineModel() const
{
    return m_model;
}

COutlineSortModel* COutlineController::sortModel() const
{
    return m_sortModel;
}

COutlineBookModel* COutlineController::bookModel() const
{
    return m_bookModel;
}

// ---- reports of the book operations --------------------------------------------------

void COutlineController::addItem(T_Book* book, T_Outline* outline, bool fromSync)
{
    if (outline == nullptr)
        return;
    if (book == nullptr) {
        delete outline;
        return;
    }
    if (book->outline.outlineList.contains(outline))
        return;
    if (m_model && book->localId == m_localBookId && m_model->book() == book) {
        m_model->addItem(book, outline, fromSync);
        return;
    }
    book->outline.outlineList.append(outline);
}

void COutlineController::removeItem(T_Book* book, T_Outline* outline, bool fromSync)
{
    if (book == nullptr || outline == nullptr)
        return;
    if (m_model && book->localId == m_localBookId && m_model->book() == book) {
        m_model->removeItem(book, outline, fromSync);
        updateCheckState();
        return;
    }
    if (book->outline.outlineList.removeOne(outline))
        delete outline;
}

void COutlineController::updateItem(T_Outline* outline)
{
    if (m_model)
        m_model->updateItem(outline);
}

void COutlineController::removeBook(int localBookId)
{
    if (localBookId < 1 || localBookId != m_localBookId)
        return;
    for (T_Book* book : qAsConst(m_public->bookList)) {
        if (book->localId != localBookId) {
            showBook(book);
            return;
        }
    }
    // The last book left the shelf: its outlines can no longer be saved, so
    // the panel shows none rather than cards whose edits would be refused.
    showBook(nullptr);
}

// ---- operations of the panel ---------------------------------------------------------

void COutlineController::close()
{
    if (m_widget)
        m_widget->close();
}

void COutlineController::hide()
{
    if (m_widget)
        m_widget->hide();
    emit hideBall();
}

void COutlineController::showTip(const QString& tip)
{
    CUiManager::instance()->showSuccess(tip, 1000);
}

void COutlineController::toggleBook(int localId)
{
    if (T_Book* book = m_public->findBookByLocalId(localId))
        showBook(book);
}

void COutlineController::create(int type)
{
    if (m_model)
        m_model->create(type);
}

void COutlineController::create(int type, const QString& text)
{
    if (!m_model || currentBook() == nullptr)
        return;
    if (m_model->create(type, text))
        m_failureTold = false;
    else
        storeRefused();
}

bool COutlineController::update(int localId, int type, const QString& text)
{
    if (!m_model)
        return false;
    if (m_model->update(localId, type, text)) {
        m_failureTold = false;
        return true;
    }
    // An outline deleted meanwhile has nothing left to hold the text.
    const T_Book* book = currentBook();
    if (book != nullptr && book->findOutlineByLocalId(localId) != nullptr)
        storeRefused();
    return false;
}

void COutlineController::storeRefused()
{
    // A refusing database refuses every pause: told once until a save works.
    if (m_failureTold)
        return;
    m_failureTold = true;
    const QString reason = m_jobs->lastDbError();
    qWarning() << "outline text not stored:" << reason;
    CUiManager::instance()->showError(
        tr("The outline could not be saved; its text stays in the card.\n%1").arg(reason), 3000);
}

bool COutlineController::confirmDelete(const QString& text)
{
    BkMessageBox box(CUiManager::instance()->currentWindow().data());
    box.setTitle(tr("Delete"));
    box.setText(text);
    box.addButton(tr("Ok"));
    box.addButton(tr("Cancel"));
    box.textLabel()->setObjectName(QStringLiteral("RedContent"));
    return box.exec() == 0;
}

void COutlineController::remove(int localId)
{
    if (!m_model)
        return;
    if (localId == 0) {
        m_model->deleteItem(0);
        updateCheckState();
        return;
    }
    runAfterHandler(this, [this, localId]() {
        // By id once answered: an outline the platform deleted meanwhile is
        // simply not found.
        if (!confirmDelete(tr("Are you sure you want to delete this outline?")) || !m_model)
            return;
        if (!m_jobs->storing([this, localId]() { return m_model->deleteItem(localId); }))
            CUiManager::instance()->tellRefusedChange(tr("The outline could not be deleted; it stays in the list."));
        updateCheckState();
    });
}

void COutlineController::removeAll()
{
    if (!m_model)
        return;
    runAfterHandler(this, [this]() {
        if (!confirmDelete(tr("Are you sure you want to delete selected outline?")) || !m_model)
            return;
        if (!m_jobs->storing([this]() { return m_model->removeAll(); }))
            CUiManager::instance()->tellRefusedChange(tr("Some outlines could not be deleted; they stay in the list."));
        updateCheckState();
    });
}

void COutlineController::setFilter(int type)
{
    if (m_sortModel)
        m_sortModel->setFilter(type);
}

int COutlineController::sourceRow(int row) const
{
    if (!m_sortModel)
        return -1;
    const QModelIndex source = m_sortModel->mapToSource(m_sortModel->index(row, 0));
    return source.isValid() ? source.row() : -1;
}

void COutlineController::move(int from, int to, int count)
{
    Q_UNUSED(count)
    if (!m_model || !m_sortModel)
        return;
    const auto move = [this, from, to]() { return m_model->move(sourceRow(from), sourceRow(to)); };
    if (!m_jobs->storing(move))
        CUiManager::instance()->tellRefusedChange(
            tr("The outline's new place could not be stored; it stays where it was."));
}

void COutlineController::moveLine(int index, bool bottom)
{
    if (m_model && m_sortModel)
        m_model->moveLine(sourceRow(index), bottom);
}

void COutlineController::moveLine(int index)
{
    moveLine(index, true);
}

void COutlineController::exportAll()
{
    runAfterHandler(this, [this]() {
        if (m_model)
            m_model->exportAll();
    });
}

void COutlineController::expand(int localId, bool expand)
{
    if (m_model)
        m_model->expand(localId, expand);
}

void COutlineController::expandAll(bool expand)
{
    if (m_model)
        m_model->expandAll(expand);
}

void COutlineController::check(int localId, bool check)
{
    if (!m_model)
        return;
    m_model->check(localId, check);
    updateCheckState();
}

void COutlineController::checkAll(bool check)
{
    if (!m_model)
        return;
    m_model->checkAll(check);
    updateCheckState();
}

void COutlineController::edit(int localId, bool edit)
{
    if (!m_model)
        return;
    m_model->edit(localId, edit);
    updateCheckState();
}

void COutlineController::updateCheckState()
{
    m_checkState = m_model ? m_model->checkState() : 0;
    emit checkStateChanged(m_checkState);
}

QString COutlineController::bookName() const
{
    const T_Book* book = currentBook();
    return book ? book->bookName : QString();
}

void COutlineController::clearFocus()
{
    if (!m_widget)
        return;
    m_refocusing = true;
    m_widget->clearFocus();
    QPointer<QQuickWidget> widget = m_widget;
    QTimer::singleShot(200, this, [this, widget]() {
        if (widget)
            widget->setFocus(Qt::OtherFocusReason);
        m_refocusing = false;
    });
}

int COutlineController::getTheme() const
{
    switch (CQssManager::instance()->currentStyleType()) {
    case StyleLight:
    case StyleKraft:
    case StyleCustom:
        return 1;
    case StyleDark:
        return 2;
    case StyleGreen:
        return 3;
    default:
        return -1;
    }
}

double COutlineController::scale() const
{
    return DPIAdapter::instance()->scale();
}

void COutlineController::statistics(int len)
{
    m_public->statistics.outlineNum = len;
    m_jobs->updateStatictics(m_public->userInfo.uid, m_public->statistics, StatisticsOutline);
}
