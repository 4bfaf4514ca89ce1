// Every operation of the API client against the stand-in's journal: method,
// path, raw query, byte-exact body and identity header, the expected requests
// kept in golden_requests.json; then values the platform must get intact.

#include "RemoteTestSupport.h"
#include "remote/CTessaneHttp.h"

#include <QFile>
#include <QJsonDocument>
#include <QMap>
#include <QTest>
#include <functional>

namespace {
constexpr int T = 1700000000;

// The identity every case sends; the ids are those of the stand-in's seed.
T_Http_Custom identity(int jobType)
{
    T_Http_Custom block;
    block.uid = 10001;
    block.jobType = jobType;
    block.localBookId = 3;
    block.bookId = 5001;
    block.localChapterId = 40;
    block.chapterId = 9001;
    block.jobId = 77;
    block.localMemoId = 8;
    block.memoId = 13001;
    block.localVolumeId = 5;
    block.volumeId = 7001;
    return block;
}

// How a case puts its request on the wire; what the wire must carry is in
// golden_requests.json under the same name.
struct Sender
{
    bool blocking;
    std::function<T_Http_Custom(CTessaneHttp&)> send;
};

template <class R, class F>
Sender async(void (CTessaneHttp::*op)(R&), int jobType, F fill)
{
    return {false, [=](CTessaneHttp& c) {
                R r;
                r.header = identity(jobType);
                fill(r);
                (c.*op)(r);
                return r.header;
            }};
}

template <class R>
Sender async(void (CTessaneHttp::*op)(R&), int jobType)
{
    return async(op, jobType, [](R&) {});
}

template <class R, class S, class F>
Sender blocking(QNetworkReply::NetworkError (CTessaneHttp::*op)(R&, S&), int jobType, F fill)
{
    return {true, [=](CTessaneHttp& c) {
                R r;
                r.header = identity(jobType);
                fill(r);
                S reply;
                (c.*op)(r, reply);
                return r.header;
            }};
}

template <class R, class S>
Sender blocking(QNetworkReply::NetworkError (CTessaneHttp::*op)(R&, S&), int jobType)
{
    return blocking(op, jobType, [](R&) {});
}

const QMap<QString, Sender>& senders()
{
    static const QMap<QString, Sender> all = {
        {"author_login", blocking(&CTessaneHttp::author_login, 0, [](auto& r) {
             r.phone = QStringLiteral("13800000000"); r.password = QStringLiteral("demo1234");
         })},
        {"author_register", blocking(&CTessaneHttp::author_register, 0, [](auto& r) {
             r.phone = QStringLiteral("13900000000"); r.password = QStringLiteral("p");
         })},
        {"author_sendCode", blocking(&CTessaneHttp::author_sendCode, 0, [](auto& r) {
             r.phone = QStringLiteral("13900000000"); r.code = QStringLiteral("1234");
             r.uuid = QStringLiteral("u-1");
         })},
        {"author_authNumber", blocking(&CTessaneHttp::author_authNumber, 0, [](auto& r) {
             r.uuid = QStringLiteral("u 1/2");
         })},
        {"author_editPwd", blocking(&CTessaneHttp::author_editPwd, 0, [](auto& r) {
             r.phone = QStringLiteral("13800000000"); r.code = QStringLiteral("1234");
             r.password = QStringLiteral("new");
         })},
        {"author_setNewPwd", blocking(&CTessaneHttp::author_setNewPwd, 0, [](auto& r) {
             r.password = QStringLiteral("demo1234"); r.newPassword = QStringLiteral("next");
         })},
        {"author_info", blocking(&CTessaneHttp::author_info, 2)},
        {"author_update", blocking(&CTessaneHttp::author_update, 2, [](auto& r) {
             r.author_name = QStringLiteral("新名字"); r.sex = QStringLiteral("M");
             r.sign = QStringLiteral("never sent"); r.update_time = T;
         })},
        {"author_uploadImg", blocking(&CTessaneHttp::author_uploadImg, 0, [](auto& r) {
             r.img = QStringLiteral("data:image/png;base64,AAAA"); r.update_time = T;
         })},
        {"author_wxCodeLogin", blocking(&CTessaneHttp::author_wxCodeLogin, 0, [](auto& r) {
             r.nonce_str = QStringLiteral("abc");
         })},
        {"author_wxBindPhone", blocking(&CTessaneHttp::author_wxBindPhone, 0, [](auto& r) {
             r.phone = QStringLiteral("13800000000"); r.code = QStringLiteral("1234");
         })},
        {"author_bannerList", blocking(&CTessaneHttp::author_bannerList, 0)},
        {"authorCount_userData", blocking(&CTessaneHttp::authorCount_userData, 0, [](auto& r) {
             r.channel = 2; // the blocking form sends no channel
         })},
        {"synchronizaTion_synData", blocking(&CTessaneHttp::synchronizaTion_synData, 0)},
        {"author_info_asyn", async(&CTessaneHttp::author_info_asyn, 2, [](auto& r) { r.header.synStep = 1; })},
        {"author_notice_asyn", async(&CTessaneHttp::author_notice_asyn, 6)},
        {"author_pollingWx_asyn", async(&CTessaneHttp::author_pollingWx_asyn, 4, [](auto& r) {
             r.nonce_str = QStringLiteral("n 1&x");
         })},
        {"books_cate_asyn", async(&CTessaneHttp::books_cate_asyn, 2002)},
        {"sensitive_edit_asyn", async(&CTessaneHttp::sensitive_edit_asyn, 2003, [](auto& r) {
             r.words = QStringLiteral("甲,乙"); r.update_time = T;
         })},
        {"sensitive_get_asyn", async(&CTessaneHttp::sensitive_get_asyn, 2004, [](auto& r) { r.sensitive_type = 2; })},
        {"sensitive_nameData_asyn", async(&CTessaneHttp::sensitive_nameData_asyn, 2005)},
        {"authorCount_save_asyn", async(&CTessaneHttp::authorCount_save_asyn, 2006, [](auto& r) {
             r.date = QStringLiteral("2024-01-02"); r.update_time = T; r.pc_word = 1; r.all_word = 2;
             r.write_time = 3; r.speed = 4; r.netIncrease = 5;
         })},
        {"authorCount_saveTools_asyn", async(&CTessaneHttp::authorCount_saveTools_asyn, 2006, [](auto& r) {
             r.date = QStringLiteral("2024-01-02"); r.outline_word_num = 6; r.memo_word_num = 7;
             r.update_time = T;
         })},
        {"authorCount_userData_asyn", async(&CTessaneHttp::authorCount_userData_asyn, 2007, [](auto& r) {
             r.channel = 2;
         })},
        {"updateOnline_asyn", async(&CTessaneHttp::updateOnline_asyn, 2008, [](auto& r) {
             r.os = QStringLiteral("windows"); r.channel = QStringLiteral("官方&beta"); r.version_code = 12;
         })},
        {"synchronizaTion_synBookData_asyn", async(&CTessaneHttp::synchronizaTion_synBookData_asyn, 3010)},
        {"synchronizaTion_synAuthor_asyn", async(&CTessaneHttp::synchronizaTion_synAuthor_asyn, 3011, [](auto& r) {
             r.task_id = 9; r.syn_type = 2;
         })},
        {"books_add_asyn", {false, [](CTessaneHttp& c) {
             TC_Books_AddBook r(QStringLiteral("新书 \"一\""), T - 5, T, QString());
             r.header = identity(1002);
             c.books_add_asyn(r);
             return r.header;
         }}},
        {"books_info_asyn", async(&CTessaneHttp::books_info_asyn, 1004)},
        {"books_delete_asyn", async(&CTessaneHttp::books_delete_asyn, 1005, [](auto& r) { r.updateTime = T; })},
        {"books_edit_asyn", {false, [](CTessaneHttp& c) {
             TC_Books_Edit r(3, 2, 2001, 2000, QStringLiteral("改名"), QStringLiteral("简介\n第二行"),
                             QStringLiteral("data:image/png;base64,AAAA"), T);
             r.header = identity(1006);
             c.books_edit_asyn(r);
             return r.header;
         }}},
        {"books_delete_hard_asyn", async(&CTessaneHttp::books_delete_hard_asyn, 1028, [](auto& r) {
             r.updateTime = T;
         })},
        {"books_restore_asyn", async(&CTessaneHttp::books_restore_asyn, 1029, [](auto& r) { r.updateTime = T; })},
        {"chapter_add_asyn", async(&CTessaneHttp::chapter_add_asyn, 1008, [](auto& r) {
             r.chapterName = QStringLiteral("第三章"); r.updateTime = T;
         })},
        {"chapter_batchCreate_asyn", async(&CTessaneHttp::chapter_batchCreate_asyn, 1009, [](auto& r) {
             r.list = QStringLiteral("[{\"chapter_name\":\"甲\"}]"); r.updateTime = T;
         })},
        {"chapter_recycle_asyn", async(&CTessaneHttp::chapter_recycle_asyn, 1010, [](auto& r) {
             r.status = 0; r.updateTime = T;
         })},
        {"chapter_delete_asyn", async(&CTessaneHttp::chapter_delete_asyn, 1011, [](auto& r) { r.updateTime = T; })},
        {"chapter_menu_asyn", async(&CTessaneHttp::chapter_menu_asyn, 1012, [](auto& r) { r.bookId = 5001; })},
        {"chapter_content_asyn", async(&CTessaneHttp::chapter_content_asyn, 1013, [](auto& r) {
             r.bookId = 5001; r.chapterId = 9002;
         })},
        {"chapter_getChapters_asyn", async(&CTessaneHttp::chapter_getChapters_asyn, 1014, [](auto& r) {
             r.limit = 10; r.c_ids = QStringLiteral("9001,9002");
         })},
        {"chapter_edit_name_asyn", async(&CTessaneHttp::chapter_edit_name_asyn, 1015, [](auto& r) {
             r.chapterName = QStringLiteral("新章名"); r.updateTime = T;
         })},
        {"chapter_edit_content_asyn", async(&CTessaneHttp::chapter_edit_content_asyn, 1016, [](auto& r) {
             r.content = QStringLiteral("第一段\n\t“引号”"); r.updateTime = T;
         })},
        {"chapter_edit_asyn content only", {false, [](CTessaneHttp& c) {
             TC_Chapter_Edit r(QJsonObject{{QStringLiteral("content"), QStringLiteral("只改正文")}}, T);
             r.header = identity(1017);
             r.chapterName = QStringLiteral("not flagged");
             c.chapter_edit_asyn(r);
             return r.header;
         }}},
        {"chapter_edit_asyn both", {false, [](CTessaneHttp& c) {
             TC_Chapter_Edit r(QJsonObject{{QStringLiteral("name"), QStringLiteral("名")},
             {QStringLiteral("content"), QString()}}, T);
             r.header = identity(1017);
             c.chapter_edit_asyn(r);
             return r.header;
         }}},
        {"chapter_move_asyn", async(&CTessaneHttp::chapter_move_asyn, 1018, [](auto& r) {
             r.fromChapterId = 9001; r.toChapterId = 9002; r.toVolumeId = 7001; r.direction = 1;
             r.updateTime = T;
         })},
        {"chapter_contentBlade_asyn", async(&CTessaneHttp::chapter_contentBlade_asyn, 1019, [](auto& r) {
             r.content = QStringLiteral("版本"); r.chapterName = QStringLiteral("第一章"); r.createTime = T;
         })},
        {"chapter_timeMachine_asyn", async(&CTessaneHttp::chapter_timeMachine_asyn, 1020, [](auto& r) {
             r.bookId = 5001; r.chapterId = 9001;
         })},
        {"chapter_appMove_asyn", async(&CTessaneHttp::chapter_appMove_asyn, 1021, [](auto& r) {
             r.bookId = 5001; r.updateTime = T;
             r.moveOrder = QStringLiteral("[{\"chapter_id\":9002,\"order_num\":1}]");
         })},
        {"chapter_info_asyn", async(&CTessaneHttp::chapter_info_asyn, 1035)},
        {"outlineCreate_asyn", {false, [](CTessaneHttp& c) {
             TC_BookOutline_Create r(5001, 3, 6, 0, 2, 5, T, QStringLiteral("标题"), QStringLiteral("内容"));
             r.header.uid = 10001;
             c.outlineCreate_asyn(r);
             return r.header;
         }}},
        {"outlineUpdate_asyn", async(&CTessaneHttp::outlineUpdate_asyn, 1023, [](auto& r) {
             r.outlineId = 11001; r.bookId = 5001; r.type = 1; r.content = QStringLiteral("新"); r.updateTime = T;
         })},
        {"outlineDelete_asyn", async(&CTessaneHttp::outlineDelete_asyn, 1024, [](auto& r) {
             r.outlineId = 11001; r.bookId = 5001; r.updateTime = T;
         })},
        {"outlineDetail_asyn", async(&CTessaneHttp::outlineDetail_asyn, 1025, [](auto& r) {
             r.bookId = 5001; r.outlineId = 11001;
         })},
        {"outlineList_asyn", async(&CTessaneHttp::outlineList_asyn, 1026)},
        {"outlineMove_asyn", async(&CTessaneHttp::outlineMove_asyn, 1027, [](auto& r) {
             r.bookId = 5001; r.fromOutlineId = 11001; r.toOutlineId = 11002; r.updateTime = T;
         })},
        {"volume_menu_asyn", async(&CTessaneHttp::volume_menu_asyn, 1030, [](auto& r) { r.bookId = 5001; })},
        {"volume_add_asyn", async(&CTessaneHttp::volume_add_asyn, 1031, [](auto& r) {
             r.volumeName = QStringLiteral("第二卷"); r.updateTime = T;
         })},
        {"volume_edit_asyn", async(&CTessaneHttp::volume_edit_asyn, 1032, [](auto& r) {
             r.volumeName = QStringLiteral("卷一"); r.updateTime = T;
         })},
        {"volume_del_restore_asyn", async(&CTessaneHttp::volume_del_restore_asyn, 1033, [](auto& r) {
             r.type = 0; r.updateTime = T;
         })},
        {"volume_move_asyn", async(&CTessaneHttp::volume_move_asyn, 1034, [](auto& r) {
             r.fromVolumeId = 7001; r.toVolumeId = 7002; r.updateTime = T;
         })},
        {"memoAdd_asyn", async(&CTessaneHttp::memoAdd_asyn, 3002, [](auto& r) {
             r.content = QStringLiteral("便签"); r.color = QStringLiteral("#FFF3B0"); r.updateTime = T;
         })},
        {"memoDel_asyn", async(&CTessaneHttp::memoDel_asyn, 3003, [](auto& r) { r.updateTime = T; })},
        {"memoEdit_asyn colour", async(&CTessaneHttp::memoEdit_asyn, 3004, [](auto& r) {
             r.color = QStringLiteral("#000000"); r.content = QStringLiteral("not sent"); r.updateTime = T;
         })},
        {"memoEdit_asyn text", async(&CTessaneHttp::memoEdit_asyn, 3005, [](auto& r) {
             r.content = QStringLiteral("新内容"); r.updateTime = T;
         })},
        {"memoEdit_asyn position", async(&CTessaneHttp::memoEdit_asyn, 3006, [](auto& r) {
             r.bookId = 5001; r.chapterId = 9001; r.location = QStringLiteral("1,2,3,4"); r.updateTime = T;
         })},
        {"memoEdit_asyn combined, emptied text", async(&CTessaneHttp::memoEdit_asyn, 3007, [](auto& r) {
             r.contentChanged = true; r.updateTime = T;
         })},
        {"memoEdit_asyn combined, everything", {false, [](CTessaneHttp& c) {
             TC_Memo_Edit r(8, 13001, T, QStringLiteral("c"), QStringLiteral("#fff"), 3, 40, 1.0f, 2.0f, 0, 0, 0);
             r.header.uid = 10001;
             r.bookId = 5001;
             r.chapterId = 9001;
             r.locationChanged = true;
             c.memoEdit_asyn(r);
             return r.header;
         }}},
        {"memoEdit_asyn other job type", async(&CTessaneHttp::memoEdit_asyn, 3999, [](auto& r) {
             r.color = QStringLiteral("#fff"); r.content = QStringLiteral("c"); r.updateTime = T;
         })},
        {"memoDetail_asyn", async(&CTessaneHttp::memoDetail_asyn, 3008)},
    };
    return all;
}

QJsonArray goldenRequests()
{
    QFile file(QStringLiteral(GOLDEN_REQUESTS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).array();
}
}

class TestApiOperations : public QObject
{
    Q_OBJECT

private:
    CTessaneHttp* m_client = nullptr;

private slots:
    void initTestCase()
    {
        m_client = CTessaneHttp::instance();
        m_client->setToken(QString::fromLatin1(StandinServer::demoToken()));
        m_client->setUniqueCode(QStringLiteral("u-code"));
    }

    void init()
    {
        QVERIFY(standin().reset());
    }

    void everyOperationSendsItsExactRequest_data()
    {
        QTest::addColumn<QJsonObject>("expected");
        const QJsonArray golden = goldenRequests();
        QStringList named;
        for (const QJsonValue& v : golden) {
            const QString name = v.toObject().value(QStringLiteral("name")).toString();
            named << name;
            QTest::newRow(qPrintable(name)) << v.toObject();
        }
        named.sort();
        // The file and the senders name the same operations, none left out.
        QCOMPARE(named, senders().keys());
    }

    void everyOperationSendsItsExactRequest()
    {
        QFETCH(QJsonObject, expected);
        const Sender sender = senders().value(expected.value(QStringLiteral("name")).toString());
        ReplyCatcher catcher(m_client);
        const T_Http_Custom sent = sender.send(*m_client);
        if (!sender.blocking) {
            QVERIFY(catcher.waitFor(1));
            QCOMPARE(catcher.replies.at(0).error, QNetworkReply::NoError);
        }
        const QJsonArray journal = standin().journal();
        QCOMPARE(journal.size(), 1);
        const QJsonObject entry = journal.at(0).toObject();
        for (const char* key : {"method", "target"})
            QCOMPARE(entry.value(QLatin1String(key)).toString(), expected.value(QLatin1String(key)).toString());
        const QByteArray body = QByteArray::fromBase64(entry.value(QStringLiteral("bodyBase64")).toString().toLatin1());
        const QByteArray expectedBody = expected.value(QStringLiteral("body")).toString().toUtf8();
        QCOMPARE(QString::fromUtf8(body), QString::fromUtf8(expectedBody));
        QCOMPARE(body, expectedBody);
        QCOMPARE(StandinServer::header(entry, "userdata"), sent.toUserData());
        QCOMPARE(StandinServer::header(entry, "Authorization"), "Bearer " + StandinServer::demoToken());
        QCOMPARE(StandinServer::header(entry, "source"), QByteArray("windows"));
        QCOMPARE(StandinServer::header(entry, "uniquecode"), QByteArray("u-code"));
        QCOMPARE(StandinServer::header(entry, "Content-Type"), QByteArray("application/json"));
        if (expected.value(QStringLiteral("method")).toString() == QLatin1String("POST"))
            QCOMPARE(StandinServer::header(entry, "Content-Length").toInt(), expectedBody.size());
    }

    void queryValuesReachThePlatformIntact()
    {
        ReplyCatcher catcher(m_client);
        TC_UpdateOnline request;
        request.os = QStringLiteral("win dows+");
        request.channel = QStringLiteral("官方&beta=1#x");
        m_client->updateOnline_asyn(request);
        QVERIFY(catcher.waitFor(1));
        TS_UpdateOnline update;
        CTessaneUrl::setHttpUpdateOnline(catcher.replies.at(0).body, &update);
        QCOMPARE(update.header.code, 200);
        QCOMPARE(update.channel, request.channel);
    }

};

int runApiOperationTests(int argc, char** argv)
{
    TestApiOperations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApiOperations.moc"
