#include "Utility.h"

#include "common/DPIAdapter.h"
#include "common/PrivateFiles.h"

#include "platform/ProgramPath.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <QWidget>

#include <functional>

QJsonObject emptyJsonObject()
{
    return QJsonObject();
}

void jsonInsertString(QJsonObject& object, const QString& key, const QString& value)
{
    object.insert(key, value);
}

void jsonInsertInt64(QJsonObject& object, const QString& key, qint64 value)
{
    object.insert(key, QJsonValue(value));
}

QString sqlEscape(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return escaped;
}

namespace {
bool isStrayControl(ushort u)
{
    return (u < 0x20 && u != '\n' && u != '\r' && u != '\t') || (u >= 0x7f && u <= 0x9f);
}
} // namespace

bool hasControlChars(const QString& text)
{
    for (const QChar c : text) {
        if (isStrayControl(c.unicode()))
            return true;
    }
    return false;
}

QString withoutControlChars(const QString& text)
{
    if (!hasControlChars(text))
        return text;
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (!isStrayControl(c.unicode()))
            kept += c;
    }
    return kept;
}

QString fileMd5(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

QString bytesMd5(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QString noteTextMd5(const QString& text, const QString& title)
{
    const QJsonArray both{withoutControlChars(title), withoutControlChars(text)};
    return bytesMd5(QJsonDocument(both).toJson(QJsonDocument::Compact));
}

QString stringMd5(const QString& text)
{
    return bytesMd5(text.toLatin1());
}

bool createFile(const QString& path, bool textMode)
{
    const QString folder = QFileInfo(path).absolutePath();
    mkpathIfMissing(folder);
    QFile file(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate;
    if (textMode)
        mode |= QIODevice::Text;
    const bool opened = file.open(mode);
    file.close();
    return opened;
}

QString appDirPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return ProgramPath::executableDir();
}

QString getAppDataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString getDbDir()
{
    // The per-user folder and each level down to the database are private.
    const QString top = getAppDataDir();
    PrivateFiles::makeFolder(top);
    PrivateFiles::makeFolder(top + QStringLiteral("/data"));
    const QString folder = top + QStringLiteral("/data/db");
    PrivateFiles::makeFolder(folder);
    return folder;
}

QString getBackupDir()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QLatin1Char('/') + QCoreApplication::translate("QObject", "Backup");
    PrivateFiles::makeFolder(folder);
    return folder;
}

bool isWritableFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    // A file made there is the only answer that holds for every user, root
    // included, and every kind of file system.
    QTemporaryFile probe(folder + QStringLiteral("/.probe-XXXXXX"));
    return probe.open();
}

QString getLogDir()
{
    return getLogDirBelow(appDirPath());
}

QString getLogDirBelow(const QString& programDir)
{
    const QString preferred = programDir + QStringLiteral("/logs");
    if (isWritableFolder(preferred)) {
        PrivateFiles::makeFolder(preferred);
        return preferred;
    }
    // An installed build may not write beside its executable.
    PrivateFiles::makeFolder(getAppDataDir());
    const QString fallback = getAppDataDir() + QStringLiteral("/logs");
    PrivateFiles::makeFolder(fallback);
    return fallback;
}

bool mkpathIfMissing(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    return true;
}

QString getFileName(const QString& path)
{
    const int slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

QString getFileSuffix(const QString& path)
{
    const QString name = getFileName(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

void listFilesRecursive(const QString& folder, QStringList& files)
{
    files.clear();
    const std::function<void(const QString&)> walk = [&](const QString& path) {
        QDir dir(path);
        if (!dir.exists())
            return;
        const QFileInfoList entries = dir.entryInfoList(
            QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::DirsFirst);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir())
                walk(path + QLatin1Char('/') + entry.fileName());
            else
                files.append(path + QLatin1Char('/') + entry.fileName());
        }
    };
    walk(folder);
}

QString getCurrentDate()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

QString getCurrentDateTime()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString timeToString(quint32 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString secondsToTimeString(qint64 seconds)
{
    const qint64 hours = (seconds / 3600) % 24;
    const qint64 minutes = (seconds / 60) % 60;
    const qint64 secs = seconds % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(secs, 2, 10, QLatin1Char('0'));
}

qint64 currentMsecsOfDay()
{
    const QTime now = QTime::currentTime();
    return now.isValid() ? now.msecsSinceStartOfDay() : 0;
}

QStringList pickEditorFontFamilies(const QStringList& installed)
{
    static const QStringList preferred = {
        QStringLiteral("微软雅黑"), QStringLiteral("苹方 常规"), QStringLiteral("华文宋体"),
        QStringLiteral("华文彩云"), QStringLiteral("华文新魏"), QStringLiteral("华文琥珀"),
        QStringLiteral("宋体"), QStringLiteral("方正姚体"), QStringLiteral("隶书"),
        QStringLiteral("黑体"), QStringLiteral("楷体"), QStringLiteral("思源黑体"),
        QStringLiteral("幼圆")};
    if (installed.size() <= preferred.size())
        return installed;
    QStringList result;
    for (const QString& name : preferred) {
        if (installed.contains(name))
            result.append(name);
    }
    return result;
}

QStringList getEditorFontFamilies()
{
    static const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fa5}]+"));
    QStringList installed;
    const QStringList families = QFontDatabase().families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : families) {
        if (chinese.match(family).hasMatch())
            installed.append(family);
    }
    if (!installed.isEmpty())
        return pickEditorFontFamilies(installed);
    // Font databases that name their families in Latin letters (fontconfig
    // does, whatever the font's own Chinese name) still list the families
    // that write Chinese; without any, the application font is the one choice.
    QStringList result;
    for (const QString& family : families) {
        if (!QFontDatabase().isPrivateFamily(family))
            result.append(family);
    }
    if (result.isEmpty())
        result.append(QFontInfo(QGuiApplication::font()).family());
    return result;
}

void imageToBase64Url(const QString& picturePath, QString& result)
{
    if (picturePath.isEmpty())
        return;
    QFile file(picturePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString suffix = getFileSuffix(picturePath).toLower();
    QImage image;
    if (!image.loadFromData(file.readAll()))
        return;
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, suffix.toLatin1().constData()))
        return;
    const QByteArray base64 = encoded.toBase64();
    result = QStringLiteral("data:image/") + suffix + QStringLiteral(";base64,")
        + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(base64)));
}

void moveToScreenCenter(QWidget* widget)
{
    if (!widget)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The available area need not start at the origin (a panel on the left
    // or top, a second screen placed first).
    const QRect area = screen->availableGeometry();
    widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
}

void moveOverWindowCenter(QWidget* panel, const QWidget* over)
{
    if (!panel || !over)
        return;
    const QRect area = over->window()->frameGeometry();
    panel->move(area.center() - QPoint(panel->width() / 2, panel->height() / 2));
}

void moveOverArea(QWidget* panel, const QRect& area)
{
    if (!panel)
        return;
    // The frame the window manager adds lies outside the panel's own size.
    const QSize frame = panel->frameGeometry().size() - panel->geometry().size();
    const QSize size = panel->size() + frame;
    const QPoint centred = area.center() - QPoint(size.width() / 2, size.height() / 2);
    panel->move(qMax(centred.x(), area.left()), qMax(centred.y(), area.top()));
}

void moveOverPaneCenter(QWidget* panel, const QWidget* over)
{
    if (!panel || !over)
        return;
    moveOverArea(panel, QRect(over->mapToGlobal(QPoint(0, 0)), over->size()));
}

namespace {
// Where a panel over the column of a window starts: below the window's
// buttons in the upper part of that column (its top bar's, a page's own
// like the bookshelf's recycle bin), so that they stay in reach.
int belowTheButtons(const QWidget* window, const QRect& column)
{
    int top = column.top() + column.height() / 8;
    const int gap = static_cast<int>(8 * DPIAdapter::instance()->scale());
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const QRect rect(button->mapToGlobal(QPoint(0, 0)), button->size());
        if (button->isVisible() && button->window() == window && rect.intersects(column)
            && rect.top() < column.top() + column.height() / 4)
            top = qMax(top, rect.bottom() + 1 + gap);
    }
    return top;
}
} // namespace

void moveBesideWindow(QWidget* panel, const QWidget* beside)
{
    if (!panel || !beside)
        return;
    const QRect frame = beside->window()->frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QSize size = panel->frameSize().expandedTo(panel->size());
    QPoint at(frame.right() + 1, frame.top());
    if (at.x() + size.width() - 1 > area.right()) {
        at.setX(frame.left() - size.width());
        if (at.x() < area.left()) {
            // No room on either side: over the window's right part, which
            // leaves its tree and its buttons there in sight.
            at.setX(frame.right() + 1 - size.width());
            at.setY(belowTheButtons(beside->window(), QRect(at.x(), frame.top(), size.width(), frame.height())));
        }
    }
    // Beside the window or over it, a panel that may be shorter ends where
    // the window ends.
    const int frameHeight = size.height() - panel->height();
    const int room = frame.bottom() + 1 - at.y() - frameHeight;
    if (panel->height() > room && panel->minimumHeight() <= room) {
        panel->resize(panel->width(), room);
        size.setHeight(room + frameHeight);
    }
    at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() + 1 - size.width())));
    at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() + 1 - size.height())));
    panel->move(at);
}

QObject* topLevelParent(QObject* object)
{
    if (!object || !object->parent())
        return nullptr;
    QObject* ancestor = object->parent();
    while (ancestor->parent())
        ancestor = ancestor->parent();
    return ancestor;
}

