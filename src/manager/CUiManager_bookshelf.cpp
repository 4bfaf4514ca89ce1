// The window manager's side of the bookshelf window.

#include "CUiManager.h"

#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "manager/DbFaultText.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"

#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

bool CUiManager::canBuildWindows()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

Widget_Bookshelf* CUiManager::bookshelf() const
{
    return m_bookshelf.data();
}

bool CUiManager::buildBookshelf()
{
    if (!canBuildWindows())
        return false;
    if (!m_bookshelf)
        m_bookshelf = new Widget_Bookshelf();
    m_bookshelf->initBookList();

    const QSize size = DPIAdapter::instance()->mainWindowSize();
    qDebug() << "main window size" << size;
    m_bookshelf->resize(size);
    moveToScreenCenter(m_bookshelf);
    m_bookshelf->setProperty("CG", m_bookshelf->geometry());
    if (CPublicManager::instance()->userInfo.windowSize == 2) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            m_bookshelf->setGeometry(screen->availableGeometry());
    }
    m_bookshelf->updateMargins();
    m_bookshelf->show();
    tellRecoveredText();
    const DbFault unfinished = CTessaneDb::instance()->takeUnfinishedUpgrade();
    if (unfinished != DbFault::None)
        showDbFault(DbFaultText::unfinishedUpgrade(unfinished, CTessaneDb::instance()->rowsHoldTexts()));
    return true;
}

void CUiManager::setCurrentPage(int page)
{
    if (page == 1 || page == 3 || page == 4 || page == 6)
        m_currentPage = page;
    if (m_bookshelf)
        m_bookshelf->getContent()->showPage(page);
}

void CUiManager::showMinimized()
{
    if (const QSharedPointer<QWidget> window = currentWindow())
        window->showMinimized();
}

void CUiManager::switchWindowSize()
{
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return;
    TS_Author_Info& user = CPublicManager::instance()->userInfo;
    if (user.windowSize == 1) {
        // The normal geometry is the one to come back to.
        window->setProperty("CG", window->geometry());
        user.windowSize = 2;
    } else {
        user.windowSize = 1;
    }
    setWindowSize();
}
