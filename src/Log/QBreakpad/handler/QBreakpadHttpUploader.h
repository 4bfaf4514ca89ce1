#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QFile;

// Uploads one dump file as a multipart form POST; a successful upload
// deletes the file, a failed one keeps it for the next attempt.
class QBreakpadHttpUploader : public QObject
{
    Q_OBJECT
public:
    explicit QBreakpadHttpUploader(const QUrl& url, QObject* parent = nullptr);
    ~QBreakpadHttpUploader() override;

signals:
    // The platform's answer; empty when nothing could be sent.
    void finished(QString answer);

public slots:
    void uploadDump(const QString& abs_file_path);

private slots:
    void onUploadProgress(qint64 sent, qint64 total);
    void onError(QNetworkReply::NetworkError err);
    void onUploadFinished();

private:
    QNetworkAccessManager m_manager;
    QNetworkRequest m_request;
    QPointer<QNetworkReply> m_reply;
    // Owned by the multipart message once the upload runs.
    QFile* m_file = nullptr;
};
