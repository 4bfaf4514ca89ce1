#include "QBreakpadHttpUploader.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QMetaEnum>

QBreakpadHttpUploader::QBreakpadHttpUploader(const QUrl& url, QObject* parent) : QObject(parent)
{
    m_request.setUrl(url);
}

QBreakpadHttpUploader::~QBreakpadHttpUploader()
{
    if (m_reply) {
        qWarning("m_reply is not NULL");
        m_reply->deleteLater();
    }
}

void QBreakpadHttpUploader::uploadDump(const QString& abs_file_path)
{
    if (m_reply) {
        qWarning() << "upload already running, not sending" << abs_file_path;
        return;
    }
    auto* multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);

    QHttpPart product;
    product.setHeader(QNetworkRequest::ContentDispositionHeader, QVariant("form-data; name=\"prod\""));
    product.setBody(QCoreApplication::applicationName().toLatin1());
    QHttpPart version;
    version.setHeader(QNetworkRequest::ContentDispositionHeader, QVariant("form-data; name=\"ver\""));
    version.setBody(QCoreApplication::applicationVersion().toLatin1());

    QHttpPart dump;
    const QString fileName = QFileInfo(abs_file_path).fileName();
    dump.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QVariant(QByteArray("form-data; name=\"upload_file_minidump\"; filename=\"")
                            + fileName.toLatin1() + '"'));
    dump.setHeader(QNetworkRequest::ContentTypeHeader, QVariant("application/octet-stream"));
    m_file = new QFile(abs_file_path, multiPart);
    if (!m_file->open(QIODevice::ReadOnly)) {
        qWarning() << "cannot open dump" << abs_file_path << m_file->errorString();
        delete multiPart;
        m_file = nullptr;
        // Nothing was sent: the owner still hears that this upload is over.
        emit finished(QString());
        return;
    }
    dump.setBodyDevice(m_file);

    multiPart->append(product);
    multiPart->append(version);
    multiPart->append(dump);

    m_request.setRawHeader("User-Agent", (QCoreApplication::applicationName() + QLatin1Char('/')
                                          + QCoreApplication::applicationVersion()).toLatin1());
    m_reply = m_manager.post(m_request, multiPart);
    multiPart->setParent(m_reply);
    connect(m_reply, &QNetworkReply::uploadProgress, this, &QBreakpadHttpUploader::onUploadProgress);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &QBreakpadHttpUploader::onError);
    connect(m_reply, &QNetworkReply::finished, this, &QBreakpadHttpUploader::onUploadFinished);
}

void QBreakpadHttpUploader::onUploadProgress(qint64 sent, qint64 total)
{
    qDebug("upload progress: %lld/%lld", sent, total);
}

void QBreakpadHttpUploader::onError(QNetworkReply::NetworkError err)
{
    qDebug() << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(err);
}

void QBreakpadHttpUploader::onUploadFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    const QString answer = QString::fromUtf8(reply->readAll());
    qDebug() << "Upload finished";
    qDebug() << "Answer: " << answer;
    if (reply->error() != QNetworkReply::NoError) {
        qWarning("Upload error: %d - %s", int(reply->error()), qPrintable(reply->errorString()));
    } else {
        qDebug() << "Upload to " << m_request.url().toString() << " success!";
        const QString path = m_file ? m_file->fileName() : QString();
        if (!path.isEmpty() && !QFile::remove(path))
            qWarning() << "cannot remove uploaded dump" << path;
    }
    emit finished(answer);
    reply->deleteLater();
}
