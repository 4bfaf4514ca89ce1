#include "SessionAutostart.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString autostartDir()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    // Desktops ignore a relative XDG_CONFIG_HOME; so do we, or the entry
    // would land where no session looks for it.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart");
}

// An argument of an Exec key: quoted, with the characters a desktop entry
// treats specially escaped, so a path with spaces or "$" runs as it is.
QString quotedExec(const QString& path)
{
    QString escaped;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    // A literal percent sign is doubled in an Exec key.
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // The desktop file's own escape level doubles each backslash once more.
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
}

namespace SessionAutostart {

QString entryPath()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return autostartDir() + QLatin1Char('/') + (name.isEmpty() ? QStringLiteral("vellora-client") : name)
           + QStringLiteral(".desktop");
}

bool setEnabled(bool on)
{
    const QString path = entryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            qWarning() << "autostart entry not removed:" << path;
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(autostartDir())) {
        qWarning() << "autostart folder not created:" << autostartDir();
        return false;
    }
    const QString exec = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    QByteArray text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=Vellora\n";
    text += "Exec=" + quotedExec(exec).toUtf8() + "\n";
    text += "Terminal=false\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qWarning() << "autostart entry not written:" << path << file.errorString();
        return false;
    }
    return true;
}

bool isEnabled()
{
    return QFileInfo::exists(entryPath());
}

}
