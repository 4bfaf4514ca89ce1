#pragma once

#include <QObject>
#include <QPointer>
#include <QSharedPointer>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The window manager: owns the top-level windows, the tray icon and the
// application-wide font. Managers reach screens only through it.
class CUiManager : public QObject
{
    Q_OBJECT
public:
    static CUiManager* instance();
    ~CUiManager() override;

    // Application font; called before the window manager exists.
    static void initFont();
    void initTray();

    // The current main window (bookshelf or writing window), empty when none.
    QSharedPointer<QWidget> currentWindow() const;

    void emitCleanCreationScroll() { emit sig_CleanCreationScroll(); }

    void showError(const QString& text, int msecs);
    void showSuccess(const QString& text, int msecs);
    void showTips(const QString& text, bool flag, int msecs);

    QSystemTrayIcon* trayIcon() const { return m_tray; }

    // Set while a text file is being imported as a book; one import at a time.
    bool isBookImporting() const { return m_bookImporting; }
    void setBookImporting(bool importing) { m_bookImporting = importing; }

public slots:
    // A second instance was started: bring the program's window forward.
    void activeWindows(const QString& message);

signals:
    void sig_CleanCreationScroll();
    void sig_changeSkin();

private:
    explicit CUiManager(QObject* parent = nullptr);

    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    bool m_bookImporting = false;
};
