// The window manager's part in signing in: the login dialog's life.

#include "CUiManager.h"

#include "ui/login/Dialog_LoginMain.h"

#include <QApplication>
#include <QDebug>
#include <QTimer>

void CUiManager::showLoginDialog()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qDebug() << "no widget application: the login dialog is not shown";
        return;
    }
    if (!m_loginDialog)
        m_loginDialog = new Dialog_LoginMain(nullptr);
    m_loginDialog->show();
    m_loginDialog->raise();
    m_loginDialog->activateWindow();
}

void CUiManager::hideLoginDialog()
{
    if (!m_loginDialog)
        return;
    m_loginDialog->hide();
    // Deleted on a later turn of the event loop: the sign-in that hides it
    // is still running inside one of its pages, and another page may still
    // wait for a reply (a password reset left for the sign-in).
    QPointer<Dialog_LoginMain> dialog = m_loginDialog;
    QTimer::singleShot(500, this, [this, dialog]() {
        whenUnwound([dialog]() {
            // A sign-out meanwhile showed it again: it stays.
            if (!dialog || dialog->isVisible())
                return;
            delete dialog.data();
        });
    });
}

Dialog_LoginMain* CUiManager::loginDialog() const
{
    return m_loginDialog;
}
