#include "BookshelfFixture.h"
#include "JobsFixture.h"
#include "WhenShown.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/records/AccountRecords.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/Dialog_BookImportRule.h"
#include "ui/bookshelf/Dialog_UserInfo.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/CBkHeadLabel.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>

namespace {
template <class T>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QLatin1String(name));
}

QJsonObject bodyOf(const QJsonValue& entry)
{
    return QJsonDocument::fromJson(entry.toObject().value(QStringLiteral("body")).toString().toUtf8()).object();
}

QString writePicture(const QString& path, const QColor& color)
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path) ? path : QString();
}

TS_Author_Info storedUser()
{
    TS_Author_Info user;
    T_UserConf conf;
    CTessaneDb::instance()->getUserData(StandinServer::demoUid(), user, conf);
    return user;
}

// The real rules dialog; the file chooser is only counted.
struct CountingPrompts : Widget_BookShelfList::Prompts
{
    int filesAsked = 0;
    QString askImportFile() override
    {
        ++filesAsked;
        return QString();
    }
};
} // namespace

class UserDialogsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nameAndSexAreSentStoredAndToasted();
    void changeWhoseSessionEndsWhileItIsSentTellsNothing();
    void newPictureIsUploadedAlone();
    void pictureGoesBeforeTheProfile();
    void unloadablePictureShowsTheDefaultWhichIsNotUploaded();
    void headPictureAndNicknameOfTheBookshelfOpenTheDialog();
    void importRulesClosedStopsTheImport();

private:
    BookshelfFixture* m_fixture = nullptr;
    QTemporaryDir m_dir;
    QString m_head;
};

void UserDialogsTest::init()
{
    m_fixture = new BookshelfFixture;
    QVERIFY(m_fixture->ok());
    m_head = writePicture(m_dir.filePath(QStringLiteral("head.png")), Qt::darkCyan);
    QVERIFY(!m_head.isEmpty());
    TS_Author_Info& user = CPublicManager::instance()->userInfo;
    user.author_name = QStringLiteral("示例作者");
    user.sex = QStringLiteral("M");
    user.localHeadImg = m_head;
    user.headimg.clear();
}

void UserDialogsTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void UserDialogsTest::nameAndSexAreSentStoredAndToasted()
{
    // Quotes and a placeholder reach the platform and the row untouched.
    const QString name = QStringLiteral("他说\"%1\"'x'");
    Dialog_UserInfo dialog;
    child<QLineEdit>(&dialog, "lineEditName")->setText(name);
    child<QRadioButton>(&dialog, "radioButtonW")->click();
    whenShown<QDialog>([](QDialog* d) { child<QPushButton>(d, "btnConfirm")->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    const QJsonArray sent = JobsFixture::requestsTo(QStringLiteral("/author/updateAuthor"));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(bodyOf(sent.at(0)).value(QStringLiteral("author_name")).toString(), name);
    QCOMPARE(bodyOf(sent.at(0)).value(QStringLiteral("sex")).toString(), QStringLiteral("F"));
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/author/uploadimg")).isEmpty());
    QCOMPARE(storedUser().author_name, name);
    QCOMPARE(storedUser().sex, QStringLiteral("F"));
    QCOMPARE(CPublicManager::instance()->userInfo.author_name, name);
    // Taken by the platform at once: nothing is left queued, and its answer
    // stands in the record.
    QCOMPARE(BookshelfFixture::jobCount(2), 0);
    QCOMPARE(CPublicManager::instance()->userInfo.sign, QStringLiteral("每天写一点"));
    BookshelfTips* tips = m_fixture->shelf()->tips();
    QVERIFY(tips->isVisible());
    QCOMPARE(tips->text(), QCoreApplication::translate("Dialog_UserInfo", "User modified successfully"));
}

void UserDialogsTest::changeWhoseSessionEndsWhileItIsSentTellsNothing()
{
    const QString update = QStringLiteral("/author/updateAuthor");
    QVERIFY(standin().addFault(update, QStringLiteral("ok"), -1));
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    Dialog_UserInfo dialog;
    child<QLineEdit>(&dialog, "lineEditName")->setText(QStringLiteral("会话结束前"));
    // The author is signed out while the change is on its way; its answer
    // comes after that.
    standin().onceAsked(update, this, [&]() {
        CUiManager::instance()->logout();
        QVERIFY(standin().releaseHeld());
    });
    whenShown<QDialog>([](QDialog* d) { child<QPushButton>(d, "btnConfirm")->click(); });
    // Ended by the sign-out, the dialog tells nobody of the change.
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(CUiManager::instance()->signInState(), 2);
    const QString success = QCoreApplication::translate("Dialog_UserInfo", "User modified successfully");
    for (const QList<QVariant>& message : qAsConst(told))
        QVERIFY(message.first().toString() != success);
}

void UserDialogsTest::newPictureIsUploadedAlone()
{
    const QString picked = writePicture(m_dir.filePath(QStringLiteral("Picked.PNG")), Qt::red);
    QFile file(picked);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    Dialog_UserInfo dialog;
    emit child<CBkHeadLabel>(&dialog, "labelHeadImg")->sigPath(picked);
    QCOMPARE(dialog.headImgPath(), picked);
    whenShown<QDialog>([](QDialog* d) { child<QPushButton>(d, "btnConfirm")->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    const QJsonArray sent = JobsFixture::requestsTo(QStringLiteral("/author/uploadimg"));
    QCOMPARE(sent.size(), 1);
    const QString img = bodyOf(sent.at(0)).value(QStringLiteral("img")).toString();
    // The picture's bytes, Base64 then percent-encoded as the platform takes it.
    QCOMPARE(img, QStringLiteral("data:image/png;base64,")
                      + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(bytes.toBase64()))));
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/author/updateAuthor")).isEmpty());
    // The platform's address and a local copy are kept for the head picture.
    const TS_Author_Info& user = CPublicManager::instance()->userInfo;
    QVERIFY(user.headimg.contains(QStringLiteral("/img/head_")));
    QVERIFY(user.localHeadImg != m_head);
    QVERIFY(!QImage(user.localHeadImg).isNull());
    QCOMPARE(m_fixture->shelf()->tips()->text(), QCoreApplication::translate("Dialog_UserInfo", "User modified successfully"));
}

void UserDialogsTest::pictureGoesBeforeTheProfile()
{
    const QString picked = writePicture(m_dir.filePath(QStringLiteral("second.jpg")), Qt::blue);
    Dialog_UserInfo dialog;
    emit child<CBkHeadLabel>(&dialog, "labelHeadImg")->sigPath(picked);
    child<QLineEdit>(&dialog, "lineEditName")->setText(QStringLiteral("又一个"));
    whenShown<QDialog>([](QDialog* d) { child<QPushButton>(d, "btnConfirm")->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    QStringList order;
    for (const QJsonValue& v : standin().journal()) {
        const QString path = v.toObject().value(QStringLiteral("path")).toString();
        if (path == QLatin1String("/author/uploadimg") || path == QLatin1String("/author/updateAuthor"))
            order << path;
    }
    QCOMPARE(order, (QStringList{QStringLiteral("/author/uploadimg"), QStringLiteral("/author/updateAuthor")}));
    QVERIFY(bodyOf(JobsFixture::requestsTo(QStringLiteral("/author/uploadimg")).at(0))
                .value(QStringLiteral("img")).toString().startsWith(QLatin1String("data:image/jpg;base64,")));
    QCOMPARE(storedUser().author_name, QStringLiteral("又一个"));
}

void UserDialogsTest::unloadablePictureShowsTheDefaultWhichIsNotUploaded()
{
    QFile broken(m_dir.filePath(QStringLiteral("broken.png")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    CPublicManager::instance()->userInfo.localHeadImg = broken.fileName();
    Dialog_UserInfo dialog;
    QCOMPARE(dialog.headImgPath(), Dialog_UserInfo::defaultHeadImg());
    QVERIFY(!child<CBkHeadLabel>(&dialog, "labelHeadImg")->pixmap(Qt::ReturnByValue).isNull());
    // A path that is not a picture, chosen later, also falls back.
    emit child<CBkHeadLabel>(&dialog, "labelHeadImg")->sigPath(broken.fileName());
    QCOMPARE(dialog.headImgPath(), Dialog_UserInfo::defaultHeadImg());
    whenShown<QDialog>([](QDialog* d) { child<QPushButton>(d, "btnConfirm")->click(); });
    // Nothing changed, so nothing is sent.
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/author/uploadimg")).isEmpty());
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/author/updateAuthor")).isEmpty());
}

void UserDialogsTest::headPictureAndNicknameOfTheBookshelfOpenTheDialog()
{
    for (QWidget* w : {static_cast<QWidget*>(m_fixture->shelf()->findChild<QPushButton*>(QStringLiteral("btnHeadImg"))),
                       static_cast<QWidget*>(m_fixture->shelf()->labelName())}) {
        QString opened;
        whenShown<QDialog>([&opened](QDialog* d) {
            opened = d->metaObject()->className();
            d->reject();
        });
        QVERIFY(w);
        QTest::mouseClick(w, Qt::LeftButton);
        QCOMPARE(opened, QStringLiteral("Dialog_UserInfo"));
    }
}

void UserDialogsTest::importRulesClosedStopsTheImport()
{
    CountingPrompts prompts;
    Widget_BookShelfList* list = m_fixture->list();
    list->setPrompts(&prompts);
    whenShown<QDialog>([](QDialog* d) { emit static_cast<Dialog_BookImportRule*>(d)->titleBar()->sig_close(); });
    list->onImport();
    QCOMPARE(prompts.filesAsked, 0);
    list->setPrompts(nullptr);
}

int runUserDialogTests(int argc, char** argv)
{
    UserDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_UserDialogs.moc"
