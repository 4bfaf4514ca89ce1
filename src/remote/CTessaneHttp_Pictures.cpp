// Pictures of covers, head images and banners: fetched from wherever the
// platform keeps them and stored once per content, as <md5 of the bytes>
// <suffix>, so that equal pictures share one file.

#include "CTessaneHttp.h"

#include "common/Utility.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QMetaObject>
#include <QPointer>
#include <QSaveFile>
#include <QUrl>

namespace {

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

}

QString CTessaneHttp::storePicture(const QByteArray& bytes, const QString& url, const QString& folder)
{
    if (bytes.isEmpty())
        return QString();
    // The suffix comes from the URL's path, so a query or fragment never ends
    // up in a file name.
    const QString fileName = QUrl(url, QUrl::TolerantMode).path().section(QLatin1Char('/'), -1);
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot >= 0 ? fileName.mid(dot) : QStringLiteral(".png");

    const QString target = withSlash(folder) + bytesMd5(bytes) + suffix;
    if (QFileInfo::exists(target))
        return target;

    QBuffer source;
    source.setData(bytes);
    QImageReader reader(&source);
    const QImage image = reader.read();
    if (image.isNull())
        return QString();
    // Written beside the target and renamed: no half picture is ever kept
    // under a name that says it is whole.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QImageWriter writer(&file, suffix.mid(1).toLatin1());
    if (!writer.write(image) || !file.commit())
        return QString();
    return target;
}

QString CTessaneHttp::downloadImg(const QString& url, QString folder)
{
    if (url.isEmpty())
        return QString();
    QByteArray bytes;
    if (getSync(url, QString(), bytes, QByteArray()) != QNetworkReply::NoError)
        return QString();
    return storePicture(bytes, url, folder);
}

void CTessaneHttp::fetchImg(const QString& url, const QString& folder, QObject* context, PictureDone done)
{
    if (url.isEmpty()) {
        // Answered like every other fetch: later, never inside the caller.
        QMetaObject::invokeMethod(context, [done]() { done(QString()); }, Qt::QueuedConnection);
        return;
    }
    getDetached(url, context, [url, folder, done](QNetworkReply::NetworkError result, const QByteArray& bytes) {
        if (result != QNetworkReply::NoError) {
            done(QString());
            return;
        }
        mkpathIfMissing(folder);
        done(storePicture(bytes, url, folder));
    });
}
