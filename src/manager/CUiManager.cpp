#include "CUiManager.h"

#include <QApplication>
#include <QDebug>
#include <QDirIterator>
#include <QFont>
#include <QFontDatabase>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

CUiManager::CUiManager(QObject* parent) : QObject(parent) {}

CUiManager::~CUiManager()
{
    delete m_trayMenu;
}

CUiManager* CUiManager::instance()
{
    static CUiManager manager;
    return &manager;
}

void CUiManager::initFont()
{
    QDirIterator fonts(QStringLiteral(":/res/fonts"), {QStringLiteral("*.ttf"), QStringLiteral("*.TTF"),
                                                      QStringLiteral("*.otf")});
    while (fonts.hasNext()) {
        const QString path = fonts.next();
        if (QFontDatabase::addApplicationFont(path) < 0)
            qWarning() << "font not registered:" << path;
    }
    // The skins name the Windows CJK family; map it to what this system has.
    const QString family = QStringLiteral("Microsoft YaHei");
    QFont::insertSubstitutions(family, {QStringLiteral("WenQuanYi Micro Hei"),
                                        QStringLiteral("Noto Sans CJK SC"),
                                        QStringLiteral("Source Han Sans SC")});
    QFont font(family);
    font.setPointSize(12);
    QApplication::setFont(font);
}

void CUiManager::initTray()
{
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/res/skin/logo.svg")), this);
    m_tray->setToolTip(tr("Vellora"));
    m_trayMenu = new QMenu();
    m_trayMenu->addAction(tr("Open"), this, [this]() { activeWindows(QString()); });
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(tr("Quit"), qApp, &QCoreApplication::quit);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            activeWindows(QString());
    });
}

QSharedPointer<QWidget> CUiManager::currentWindow() const
{
    return QSharedPointer<QWidget>();
}

void CUiManager::activeWindows(const QString& message)
{
    qDebug() << "second instance says:" << message;
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window) {
        qDebug() << "no window to bring forward";
        return;
    }
    if (m_tray && QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->setVisible(true);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void CUiManager::showError(const QString& text, int msecs)
{
    qWarning() << "error toast:" << text << msecs;
}

void CUiManager::showSuccess(const QString& text, int msecs)
{
    qDebug() << "success toast:" << text << msecs;
}

void CUiManager::showTips(const QString& text, bool flag, int msecs)
{
    qDebug() << "tip toast:" << text << flag << msecs;
}
