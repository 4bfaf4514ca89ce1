#pragma once

#include <QDialog>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
class QSaveFile;
class QTextBrowser;
class QUrl;
struct TS_UpdateOnline;

// Offers (status 1) or enforces (status 2) a newer version: downloads the
// installer into "data/update/data" and starts it. The dialog is accepted
// only once the installer runs (the caller then quits); a refused address, a
// broken download or an installer that does not start is told to the author
// and rejects it. The record is not owned and must outlive the dialog.
class Dialog_UpdateOnline : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_UpdateOnline(const TS_UpdateOnline* info, QWidget* parent = nullptr);
    ~Dialog_UpdateOnline() override;

    void update();
    QString filePath() const { return m_filePath; }
    // Installers come over https only, or from the platform's own address
    // (scheme, host and port of the API base); never a local path.
    static bool isTrustedUrl(const QUrl& url);
    static QString progressText(qint64 bytesRead, qint64 totalBytes);

signals:
    // The installer is complete on disk (empty path: the download failed).
    void sig_downloaded(const QString& path);

private slots:
    void on_updateonline_btnOk_clicked();
    void on_updateonline_btnCancel_clicked();
    void on_updateonline_btnMust_clicked();
    void httpFinished();
    void httpReadyRead();
    void updateDataReadProgress(qint64 bytesRead, qint64 totalBytes);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void initUi();
    void saveWork();
    void fail(const QString& text);

    const TS_UpdateOnline* m_info;
    QNetworkAccessManager* m_manager = nullptr;
    QNetworkReply* m_reply = nullptr;
    QSaveFile* m_file = nullptr;
    bool m_writeFailed = false;
    QString m_filePath;
    QString m_fileName;
    QLabel* m_pic1 = nullptr;
    QLabel* m_pic2 = nullptr;
    QLabel* m_version = nullptr;
    QTextBrowser* m_text = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressText = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnMust = nullptr;
};
