#include "Dialog_UpdateOnline.h"

#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "remote/ApiBase.h"
#include "remote/records/SystemRecords.h"
#include "ui/common/BorderShadow.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

Dialog_UpdateOnline::Dialog_UpdateOnline(const TS_UpdateOnline* info, QWidget* parent)
    : QDialog(parent), m_info(info)
{
    initUi();
}

Dialog_UpdateOnline::~Dialog_UpdateOnline()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    delete m_file;
    delete m_manager;
}

void Dialog_UpdateOnline::initUi()
{
    setObjectName(QStringLiteral("Dialog_UpdateOnline"));
    setAttribute(Qt::WA_TranslucentBackground);
    const double s = DPIAdapter::instance()->scale();
    setFixedSize(int(750 * s), int(556 * s));
    auto* outer = new QVBoxLayout(this);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("updateonline_bg"));
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);
    auto* layout = new QVBoxLayout(bg);
    layout->setContentsMargins(0, 0, 0, int(24 * s));
    layout->setSpacing(int(12 * s));
    // The header picture carries the heading picture on it.
    auto* header = new QLabel(bg);
    header->setObjectName(QStringLiteral("labelPixmap"));
    header->setFixedHeight(int(150 * s));
    header->setStyleSheet(QStringLiteral("QLabel#labelPixmap { border: none; border-image: url(:/res/skin/light/update/update_bg.svg); }"));
    layout->addWidget(header);
    auto* headerLayout = new QVBoxLayout(header);
    headerLayout->setContentsMargins(int(40 * s), 0, 0, 0);
    m_pic1 = new QLabel(header);
    m_pic1->setObjectName(QStringLiteral("updateonline_lb_pic1"));
    m_pic1->setFixedSize(int(240 * s), int(40 * s));
    m_pic2 = new QLabel(header);
    m_pic2->setObjectName(QStringLiteral("updateonline_lb_pic2"));
    m_pic2->setFixedSize(int(240 * s), int(40 * s));
    headerLayout->addWidget(m_pic1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    headerLayout->addWidget(m_pic2, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_version = new QLabel(bg);
    m_version->setObjectName(QStringLiteral("updateonline_lb_version"));
    m_text = new QTextBrowser(bg);
    m_text->setObjectName(QStringLiteral("updateonline_text"));
    m_progress = new QProgressBar(bg);
    m_progress->setObjectName(QStringLiteral("updateonline_progressBar"));
    m_progress->setFixedHeight(10);
    m_progress->setTextVisible(false);
    m_progress->setValue(19);
    m_progressText = new QLabel(bg);
    m_progressText->setObjectName(QStringLiteral("updateonline_lbProgress"));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(int(40 * s), 0, int(40 * s), 0);
    body->setSpacing(int(12 * s));
    for (QWidget* w : {static_cast<QWidget*>(m_version), static_cast<QWidget*>(m_text),
                       static_cast<QWidget*>(m_progress), static_cast<QWidget*>(m_progressText)})
        body->addWidget(w);
    layout->addLayout(body, 1);
    auto* buttons = new QHBoxLayout;
    m_btnOk = new QPushButton(tr("立即更新"), bg);
    m_btnCancel = new QPushButton(tr("暂不更新"), bg);
    m_btnMust = new QPushButton(tr("立即更新"), bg);
    connect(m_btnOk, &QPushButton::clicked, this, &Dialog_UpdateOnline::on_updateonline_btnOk_clicked);
    connect(m_btnCancel, &QPushButton::clicked, this, &Dialog_UpdateOnline::on_updateonline_btnCancel_clicked);
    connect(m_btnMust, &QPushButton::clicked, this, &Dialog_UpdateOnline::on_updateonline_btnMust_clicked);
    m_btnOk->setObjectName(QStringLiteral("btnConfirm"));
    m_btnMust->setObjectName(QStringLiteral("btnConfirm"));
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->setSpacing(int(20 * s));
    for (QPushButton* b : {m_btnOk, m_btnCancel, m_btnMust})
        b->setFixedSize(int(120 * s), int(36 * s));
    buttons->addStretch(1);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnMust);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* frameless = new NcFramelessHelper(this);
    frameless->activateOn(this);
    auto* shadow = new BorderShadow(this);
    shadow->attachTo(bg);
    m_pic2->hide();
    if (!m_info)
        return;
    m_version->setText(m_info->name);
    m_text->setPlainText(m_info->update_log);
    QTextCursor cursor(m_text->document());
    for (QTextBlock b = m_text->document()->begin(); b.isValid(); b = b.next()) {
        cursor.setPosition(b.position());
        QTextBlockFormat format = b.blockFormat();
        format.setLineHeight(6, QTextBlockFormat::LineDistanceHeight);
        cursor.setBlockFormat(format);
    }
    m_btnOk->hide();
    m_btnCancel->hide();
    m_btnMust->hide();
    m_progress->hide();
    m_progressText->hide();
    m_btnOk->setVisible(m_info->status == 1);
    m_btnCancel->setVisible(m_info->status == 1);
    m_btnMust->setVisible(m_info->status == 2);
}

void Dialog_UpdateOnline::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void Dialog_UpdateOnline::saveWork()
{
    CUiManager::instance()->saveChapter();
    CJobManager::instance()->saveUserData();
}

void Dialog_UpdateOnline::on_updateonline_btnOk_clicked()
{
    saveWork();
    update();
}

void Dialog_UpdateOnline::on_updateonline_btnMust_clicked()
{
    saveWork();
    update();
}

void Dialog_UpdateOnline::on_updateonline_btnCancel_clicked()
{
    saveWork();
    close();
}

QString Dialog_UpdateOnline::progressText(qint64 bytesRead, qint64 totalBytes)
{
    return QStringLiteral("%1Mb/%2Mb")
        .arg(double(float(bytesRead) / 1000000.0f), 0, 'f', 1)
        .arg(double(float(totalBytes) / 1000000.0f), 0, 'f', 1);
}

void Dialog_UpdateOnline::update()
{
    m_pic1->hide();
    m_pic2->show();
    m_text->hide();
    m_version->hide();
    m_btnOk->hide();
    m_btnCancel->hide();
    m_btnMust->hide();
    m_progress->show();
    m_progressText->show();
    if (m_manager || !m_info)
        return;
    m_manager = new QNetworkAccessManager;
    const QUrl url(m_info->url, QUrl::StrictMode);
    if (!isTrustedUrl(url)) {
        qWarning() << "update address refused:" << url.toString(QUrl::RemoveUserInfo);
        fail(tr("The update address is not trusted"));
        return;
    }
    m_fileName = QFileInfo(url.path()).fileName();
    const QString folder = appDirPath() + QStringLiteral("/data/update/data");
    if (!QDir(folder).exists()) {
        mkpathIfMissing(folder);
        qDebug() << "create update dir : " << folder;
    }
    m_filePath = QFileInfo(folder + QLatin1Char('/') + m_fileName).absoluteFilePath();
    if (m_fileName.isEmpty() || m_fileName == QLatin1String(".") || m_fileName == QLatin1String("..")) {
        fail(tr("The update address is not trusted"));
        return;
    }
    QFile::remove(m_filePath);
    // The installer only appears under its name once it arrived whole.
    m_file = new QSaveFile(m_filePath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        fail(tr("write not permission"));
        return;
    }
    m_reply = m_manager->get(QNetworkRequest(url));
    connect(m_reply, &QNetworkReply::finished, this, &Dialog_UpdateOnline::httpFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &Dialog_UpdateOnline::httpReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Dialog_UpdateOnline::updateDataReadProgress);
}

bool Dialog_UpdateOnline::isTrustedUrl(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    // The platform's own address (the stand-in's plain http on 127.0.0.1).
    const QUrl base = ApiBase::url();
    return url.scheme() == base.scheme() && url.host() == base.host()
           && url.port(-1) == base.port(-1);
}

void Dialog_UpdateOnline::httpReadyRead()
{
    if (!m_file || !m_reply)
        return;
    const QByteArray chunk = m_reply->readAll();
    if (m_file->write(chunk) != chunk.size())
        m_writeFailed = true;
}

void Dialog_UpdateOnline::updateDataReadProgress(qint64 bytesRead, qint64 totalBytes)
{
    m_progress->setMaximum(int(totalBytes));
    m_progress->setValue(int(bytesRead));
    m_progressText->setText(progressText(bytesRead, totalBytes));
}

void Dialog_UpdateOnline::fail(const QString& text)
{
    qWarning() << "update download failed:" << text;
    if (m_file)
        m_file->cancelWriting();
    CUiManager::instance()->showError(text, 3000);
    emit sig_downloaded(QString());
    reject();
}

void Dialog_UpdateOnline::httpFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    httpReadyRead();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const qint64 expected = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    // A broken or partial download must never be started as the installer.
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        fail(tr("The update could not be downloaded"));
        return;
    }
    if (m_writeFailed || (expected > 0 && m_file->size() != expected)) {
        fail(tr("The update could not be downloaded"));
        return;
    }
    if (!m_file->commit()) {
        fail(tr("write not permission"));
        return;
    }
    emit sig_downloaded(m_filePath);
    // A download carries no execute permission; the installer is started by
    // its absolute path so no search path can put another program first.
    QFile::setPermissions(m_filePath, QFile::permissions(m_filePath) | QFileDevice::ExeOwner
                                          | QFileDevice::ExeUser);
    if (!QProcess::startDetached(m_filePath, QStringList(), QFileInfo(m_filePath).absolutePath())) {
        qWarning() << "update installer did not start:" << m_filePath;
        CUiManager::instance()->showError(tr("The update could not be started"), 3000);
        reject();
        return;
    }
    qInfo() << "update installer started:" << m_filePath;
    accept();
}
