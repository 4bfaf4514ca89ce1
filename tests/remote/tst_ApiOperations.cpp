// Every operation of the API client against the stand-in's journal: method,
// path, raw query, byte-exact body and identity header; then what the
// blocking operations make of the platform's answers.

#include "RemoteTestSupport.h"
#include "remote/CTessaneHttp.h"

#include <QTest>
#include <functional>
#include <vector>

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

struct Case
{
    const char* name;
    bool blocking;
    std::function<T_Http_Custom(CTessaneHttp&)> send;
    const char* method;
    const char* target;
    QByteArray body;
};

template <class Request>
Request withIdentity(int jobType)
{
    Request request;
    request.header = identity(jobType);
    return request;
}

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        // ---- account and author, blocking ----
        {"author_login", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Login>(0);
             r.phone = QStringLiteral("13800000000");
             r.password = QStringLiteral("demo1234");
             TS_Author_Login reply;
             c.author_login(r, reply);
             return r.header;
         }, "POST", "/account/login", "{\"password\":\"demo1234\",\"phone\":\"13800000000\"}"},
        {"author_register", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Register>(0);
             r.phone = QStringLiteral("13900000000");
             r.password = QStringLiteral("p");
             TS_Author_Register reply;
             c.author_register(r, reply);
             return r.header;
         }, "POST", "/account/register", "{\"code\":\"\",\"password\":\"p\",\"phone\":\"13900000000\",\"source\":\"web_windows\"}"},
        {"author_sendCode", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_SendCode>(0);
             r.phone = QStringLiteral("13900000000");
             r.code = QStringLiteral("1234");
             r.uuid = QStringLiteral("u-1");
             TS_Author_SendCode reply;
             c.author_sendCode(r, reply);
             return r.header;
         }, "POST", "/account/sendCode", "{\"code\":\"1234\",\"phone\":\"13900000000\",\"uuid\":\"u-1\"}"},
        {"author_authNumber", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Account_AuthNumber>(0);
             r.uuid = QStringLiteral("u 1/2");
             TS_Account_AuthNumber reply;
             c.author_authNumber(r, reply);
             return r.header;
         }, "GET", "/account/authNumber?uuid=u%201%2F2", ""},
        {"author_editPwd", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_EditPwd>(0);
             r.phone = QStringLiteral("13800000000");
             r.code = QStringLiteral("1234");
             r.password = QStringLiteral("new");
             TS_Author_EditPwd reply;
             c.author_editPwd(r, reply);
             return r.header;
         }, "POST", "/account/forgetPassword", "{\"code\":\"1234\",\"password\":\"new\",\"phone\":\"13800000000\"}"},
        {"author_setNewPwd", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_SetNewPwd>(0);
             r.password = QStringLiteral("demo1234");
             r.newPassword = QStringLiteral("next");
             TS_Author_SetNewPwd reply;
             c.author_setNewPwd(r, reply);
             return r.header;
         }, "POST", "/author/changePassword", "{\"newPassword\":\"next\",\"password\":\"demo1234\"}"},
        {"author_info", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Info>(2);
             TS_Author_Info reply;
             c.author_info(r, reply);
             return r.header;
         }, "GET", "/author/info", ""},
        {"author_update", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Update>(2);
             r.author_name = QStringLiteral("新名字");
             r.sex = QStringLiteral("M");
             r.sign = QStringLiteral("never sent");
             r.update_time = T;
             TS_Author_Update reply;
             c.author_update(r, reply);
             return r.header;
         }, "POST", "/author/updateAuthor", "{\"author_name\":\"新名字\",\"sex\":\"M\",\"update_time\":1700000000}"},
        {"author_uploadImg", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_UploadImg>(0);
             r.img = QStringLiteral("data:image/png;base64,AAAA");
             r.update_time = T;
             TS_Author_UploadImg reply;
             c.author_uploadImg(r, reply);
             return r.header;
         }, "POST", "/author/uploadimg", "{\"img\":\"data:image/png;base64,AAAA\",\"update_time\":1700000000}"},
        {"author_wxCodeLogin", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_WxCodeLogin>(0);
             r.nonce_str = QStringLiteral("abc");
             TS_Author_WxCodeLogin reply;
             c.author_wxCodeLogin(r, reply);
             return r.header;
         }, "POST", "/author/wxCodeLogin", "{\"nonce_str\":\"abc\"}"},
        {"author_wxBindPhone", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_WxBindPhone>(0);
             r.phone = QStringLiteral("13800000000");
             r.code = QStringLiteral("1234");
             TS_Author_Login reply;
             c.author_wxBindPhone(r, reply);
             return r.header;
         }, "POST", "/author/wxBindPhone", "{\"code\":\"1234\",\"phone\":\"13800000000\",\"source\":\"web_windows\"}"},
        {"author_bannerList", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_BannerList>(0);
             TS_Author_BannerList reply;
             c.author_bannerList(r, reply);
             return r.header;
         }, "GET", "/author/bannerList?%7B%7D", ""},
        {"authorCount_userData", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_AuthorCount_UserData>(0);
             r.channel = 2; // the blocking form sends no channel
             TS_AuthorCount_UserData reply;
             c.authorCount_userData(r, reply);
             return r.header;
         }, "GET", "/authorcount/getData?%7B%7D", ""},
        {"synchronizaTion_synData", true, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_SynchronizaTion_SynData>(0);
             TS_SynchronizaTion_SynData reply;
             c.synchronizaTion_synData(r, reply);
             return r.header;
         }, "GET", "/synchronization/synData?%7B%7D", ""},

        // ---- account, statistics, system data, change feed ----
        {"author_info_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Info>(2);
             r.header.synStep = 1;
             c.author_info_asyn(r);
             return r.header;
         }, "GET", "/author/info", ""},
        {"author_notice_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_Notice>(6);
             c.author_notice_asyn(r);
             return r.header;
         }, "GET", "/forum/htmlRed", ""},
        {"author_pollingWx_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Author_PollingWx>(4);
             r.nonce_str = QStringLiteral("n 1&x");
             c.author_pollingWx_asyn(r);
             return r.header;
         }, "GET", "/author/pollingWx?nonce_str=n%201%26x", ""},
        {"books_cate_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Books_Cate>(2002);
             c.books_cate_asyn(r);
             return r.header;
         }, "GET", "/books/getCate", ""},
        {"sensitive_edit_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Sensitive_Edit>(2003);
             r.words = QStringLiteral("甲,乙");
             r.update_time = T;
             c.sensitive_edit_asyn(r);
             return r.header;
         }, "POST", "/sensitive/editSensitive", "{\"update_time\":1700000000,\"words\":\"甲,乙\"}"},
        {"sensitive_get_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Sensitive_Get>(2004);
             r.sensitive_type = 2;
             c.sensitive_get_asyn(r);
             return r.header;
         }, "GET", "/sensitive/getSensitive?sensitive_type=2", ""},
        {"sensitive_nameData_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Sensitive_NameData>(2005);
             c.sensitive_nameData_asyn(r);
             return r.header;
         }, "GET", "/sensitive/nameData", ""},
        {"authorCount_save_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_AuthorCount_Save>(2006);
             r.date = QStringLiteral("2024-01-02");
             r.update_time = T;
             r.pc_word = 1;
             r.all_word = 2;
             r.write_time = 3;
             r.speed = 4;
             r.netIncrease = 5;
             c.authorCount_save_asyn(r);
             return r.header;
         }, "POST", "/authorcount/saveData",
         "{\"all_word\":2,\"date\":\"2024-01-02\",\"netIncrease\":5,\"pc_word\":1,\"speed\":4,\"update_time\":1700000000,\"write_time\":3}"},
        {"authorCount_saveTools_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_AuthorCount_SaveTools>(2006);
             r.date = QStringLiteral("2024-01-02");
             r.outline_word_num = 6;
             r.memo_word_num = 7;
             r.update_time = T;
             c.authorCount_saveTools_asyn(r);
             return r.header;
         }, "POST", "/authorcount/saveData",
         "{\"date\":\"2024-01-02\",\"memo_word_num\":7,\"outline_word_num\":6,\"update_time\":1700000000}"},
        {"authorCount_userData_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_AuthorCount_UserData>(2007);
             r.channel = 2;
             c.authorCount_userData_asyn(r);
             return r.header;
         }, "GET", "/authorcount/getData?channel=2", ""},
        {"updateOnline_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_UpdateOnline>(2008);
             r.os = QStringLiteral("windows");
             r.channel = QStringLiteral("官方&beta");
             r.version_code = 12;
             c.updateOnline_asyn(r);
             return r.header;
         }, "GET", "/synchronization/appVersion?os=windows&channel=%E5%AE%98%E6%96%B9%26beta&version_code=12", ""},
        {"synchronizaTion_synBookData_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_SynchronizaTion_SynBookData>(3010);
             c.synchronizaTion_synBookData_asyn(r);
             return r.header;
         }, "POST", "/synchronization/synBookData", "{}"},
        {"synchronizaTion_synAuthor_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_SynchronizaTion_SynAuthor>(3011);
             r.task_id = 9;
             r.syn_type = 2;
             c.synchronizaTion_synAuthor_asyn(r);
             return r.header;
         }, "POST", "/synchronization/synAuthor", "{\"syn_type\":2,\"task_id\":9}"},

        // ---- books ----
        {"books_add_asyn", false, [](CTessaneHttp& c) {
             TC_Books_AddBook r(QStringLiteral("新书 \"一\""), T - 5, T, QString());
             r.header = identity(1002);
             c.books_add_asyn(r);
             return r.header;
         }, "POST", "/books/addBook", "{\"book_name\":\"新书 \\\"一\\\"\",\"import\":1,\"local_id\":3,\"update_time\":1700000000}"},
        {"books_info_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Books_Info>(1004);
             c.books_info_asyn(r);
             return r.header;
         }, "GET", "/books/bookinfo?book_id=5001", ""},
        {"books_delete_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Books_Delete>(1005);
             r.updateTime = T;
             c.books_delete_asyn(r);
             return r.header;
         }, "POST", "/books/recycle", "{\"book_id\":5001,\"status\":0,\"update_time\":1700000000}"},
        {"books_edit_asyn", false, [](CTessaneHttp& c) {
             TC_Books_Edit r(3, 2, 2001, 2000, QStringLiteral("改名"), QStringLiteral("简介\n第二行"),
                             QStringLiteral("data:image/png;base64,AAAA"), T);
             r.header = identity(1006);
             c.books_edit_asyn(r);
             return r.header;
         }, "POST", "/books/editBook",
         "{\"book_id\":5001,\"book_name\":\"改名\",\"cate_id\":2001,\"channel_type\":2,\"cover\":\"data:image/png;base64,AAAA\",\"intro\":\"简介\\n第二行\",\"update_time\":1700000000}"},
        {"books_delete_hard_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Books_Delete_Hard>(1028);
             r.updateTime = T;
             c.books_delete_hard_asyn(r);
             return r.header;
         }, "POST", "/books/delBook", "{\"book_id\":5001,\"update_time\":1700000000}"},
        {"books_restore_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Books_Restore>(1029);
             r.updateTime = T;
             c.books_restore_asyn(r);
             return r.header;
         }, "POST", "/books/recycle", "{\"book_id\":5001,\"status\":1,\"update_time\":1700000000}"},

        // ---- chapters ----
        {"chapter_add_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Add>(1008);
             r.chapterName = QStringLiteral("第三章");
             r.updateTime = T;
             c.chapter_add_asyn(r);
             return r.header;
         }, "POST", "/chapter/addChapter",
         "{\"book_id\":5001,\"chapter_name\":\"第三章\",\"local_id\":40,\"update_time\":1700000000,\"volume_id\":7001}"},
        {"chapter_batchCreate_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_BatchCreate>(1009);
             r.list = QStringLiteral("[{\"chapter_name\":\"甲\"}]");
             r.updateTime = T;
             c.chapter_batchCreate_asyn(r);
             return r.header;
         }, "POST", "/chapter/batchCreateChapter",
         "{\"book_id\":5001,\"list\":\"[{\\\"chapter_name\\\":\\\"甲\\\"}]\",\"update_time\":1700000000}"},
        {"chapter_recycle_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Recycle>(1010);
             r.status = 0;
             r.updateTime = T;
             c.chapter_recycle_asyn(r);
             return r.header;
         }, "POST", "/chapter/recycle",
         "{\"book_id\":5001,\"chapter_id\":9001,\"status\":0,\"update_time\":1700000000,\"volume_id\":7001}"},
        {"chapter_delete_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Delete>(1011);
             r.updateTime = T;
             c.chapter_delete_asyn(r);
             return r.header;
         }, "POST", "/chapter/delChapter", "{\"book_id\":5001,\"chapter_id\":9001,\"update_time\":1700000000}"},
        {"chapter_menu_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Menu>(1012);
             r.bookId = 5001;
             c.chapter_menu_asyn(r);
             return r.header;
         }, "GET", "/chapter/chapterList?book_id=5001&order=asc", ""},
        {"chapter_content_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Content>(1013);
             r.bookId = 5001;
             r.chapterId = 9002;
             c.chapter_content_asyn(r);
             return r.header;
         }, "GET", "/chapter/chapter?book_id=5001&chapter_id=9002", ""},
        {"chapter_getChapters_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_GetChapters>(1014);
             r.limit = 10;
             r.c_ids = QStringLiteral("9001,9002");
             c.chapter_getChapters_asyn(r);
             return r.header;
         }, "GET", "/chapter/getChapters?book_id=5001&order_num=0&limit=10&c_ids=9001%2C9002", ""},
        {"chapter_edit_name_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Edit_Name>(1015);
             r.chapterName = QStringLiteral("新章名");
             r.updateTime = T;
             c.chapter_edit_name_asyn(r);
             return r.header;
         }, "POST", "/chapter/editChapter",
         "{\"book_id\":5001,\"chapter_id\":9001,\"chapter_name\":\"新章名\",\"update_time\":1700000000}"},
        {"chapter_edit_content_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Edit_Content>(1016);
             r.content = QStringLiteral("第一段\n\t“引号”");
             r.updateTime = T;
             c.chapter_edit_content_asyn(r);
             return r.header;
         }, "POST", "/chapter/editChapter",
         "{\"book_id\":5001,\"chapter_id\":9001,\"content\":\"第一段\\n\\t“引号”\",\"update_time\":1700000000}"},
        {"chapter_edit_asyn content only", false, [](CTessaneHttp& c) {
             TC_Chapter_Edit r(QJsonObject{{QStringLiteral("content"), QStringLiteral("只改正文")}}, T);
             r.header = identity(1017);
             r.chapterName = QStringLiteral("not flagged");
             c.chapter_edit_asyn(r);
             return r.header;
         }, "POST", "/chapter/editChapter",
         "{\"book_id\":5001,\"chapter_id\":9001,\"content\":\"只改正文\",\"update_time\":1700000000}"},
        {"chapter_edit_asyn both", false, [](CTessaneHttp& c) {
             TC_Chapter_Edit r(QJsonObject{{QStringLiteral("name"), QStringLiteral("名")},
                                           {QStringLiteral("content"), QString()}}, T);
             r.header = identity(1017);
             c.chapter_edit_asyn(r);
             return r.header;
         }, "POST", "/chapter/editChapter",
         "{\"book_id\":5001,\"chapter_id\":9001,\"chapter_name\":\"名\",\"content\":\"\",\"update_time\":1700000000}"},
        {"chapter_move_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Move>(1018);
             r.fromChapterId = 9001;
             r.toChapterId = 9002;
             r.toVolumeId = 7001;
             r.direction = 1;
             r.updateTime = T;
             c.chapter_move_asyn(r);
             return r.header;
         }, "POST", "/chapter/move",
         "{\"book_id\":5001,\"move_order\":\"[{\\\"direction\\\":1,\\\"from_chapter_id\\\":9001,\\\"to_chapter_id\\\":9002,\\\"to_volume_id\\\":7001}]\",\"update_time\":1700000000}"},
        {"chapter_contentBlade_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_ContentBlade>(1019);
             r.content = QStringLiteral("版本");
             r.chapterName = QStringLiteral("第一章");
             r.createTime = T;
             c.chapter_contentBlade_asyn(r);
             return r.header;
         }, "POST", "/chapter/contentBlade",
         "{\"book_id\":5001,\"chapter_id\":9001,\"chapter_name\":\"第一章\",\"content\":\"版本\",\"create_time\":1700000000,\"update_time\":1700000000}"},
        {"chapter_timeMachine_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_TimeMachine>(1020);
             r.bookId = 5001;
             r.chapterId = 9001;
             c.chapter_timeMachine_asyn(r);
             return r.header;
         }, "GET", "/chapter/timeMachine?book_id=5001&chapter_id=9001", ""},
        {"chapter_appMove_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_AppMove>(1021);
             r.bookId = 5001;
             r.updateTime = T;
             r.moveOrder = QStringLiteral("[{\"chapter_id\":9002,\"order_num\":1}]");
             c.chapter_appMove_asyn(r);
             return r.header;
         }, "POST", "/chapter/appMoveChapter",
         "{\"book_id\":5001,\"move_order\":\"[{\\\"chapter_id\\\":9002,\\\"order_num\\\":1}]\",\"update_time\":1700000000}"},
        {"chapter_info_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Chapter_Info>(1035);
             c.chapter_info_asyn(r);
             return r.header;
         }, "GET", "/newchapter/getChapterInfo?book_id=5001&chapter_id=9001", ""},

        // ---- outlines ----
        {"outlineCreate_asyn", false, [](CTessaneHttp& c) {
             TC_BookOutline_Create r(5001, 3, 6, 0, 2, 5, T, QStringLiteral("标题"), QStringLiteral("内容"));
             r.header.uid = 10001;
             c.outlineCreate_asyn(r);
             return r.header;
         }, "POST", "/bookoutline/addOutline",
         "{\"book_id\":5001,\"content\":\"内容\",\"local_id\":6,\"title\":\"标题\",\"type\":2,\"update_time\":1700000000}"},
        {"outlineUpdate_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_BookOutline_Update>(1023);
             r.outlineId = 11001;
             r.bookId = 5001;
             r.type = 1;
             r.content = QStringLiteral("新");
             r.updateTime = T;
             c.outlineUpdate_asyn(r);
             return r.header;
         }, "POST", "/bookoutline/editOutline",
         "{\"book_id\":5001,\"content\":\"新\",\"outline_id\":11001,\"title\":\"\",\"type\":1,\"update_time\":1700000000}"},
        {"outlineDelete_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_BookOutline_Delete>(1024);
             r.outlineId = 11001;
             r.bookId = 5001;
             r.updateTime = T;
             c.outlineDelete_asyn(r);
             return r.header;
         }, "POST", "/bookoutline/delOutline", "{\"book_id\":5001,\"outline_id\":11001,\"update_time\":1700000000}"},
        {"outlineDetail_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_BookOutline_Detail>(1025);
             r.bookId = 5001;
             r.outlineId = 11001;
             c.outlineDetail_asyn(r);
             return r.header;
         }, "GET", "/bookoutline/outlineDetail?book_id=5001&outline_id=11001", ""},
        {"outlineList_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_BookOutline_List>(1026);
             c.outlineList_asyn(r);
             return r.header;
         }, "GET", "/bookoutline/outlineList?book_id=5001", ""},
        {"outlineMove_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_BookOutline_Move>(1027);
             r.bookId = 5001;
             r.fromOutlineId = 11001;
             r.toOutlineId = 11002;
             r.updateTime = T;
             c.outlineMove_asyn(r);
             return r.header;
         }, "POST", "/bookoutline/move",
         "{\"book_id\":5001,\"move_order\":\"[{\\\"from_outline_id\\\":11001,\\\"to_outline_id\\\":11002}]\",\"update_time\":1700000000}"},

        // ---- volumes ----
        {"volume_menu_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Volume_Menu>(1030);
             r.bookId = 5001;
             c.volume_menu_asyn(r);
             return r.header;
         }, "GET", "/volume/volumeList?book_id=5001&order=asc", ""},
        {"volume_add_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Volume_Add>(1031);
             r.volumeName = QStringLiteral("第二卷");
             r.updateTime = T;
             c.volume_add_asyn(r);
             return r.header;
         }, "POST", "/volume/addVolume", "{\"book_id\":5001,\"update_time\":1700000000,\"volume_name\":\"第二卷\"}"},
        {"volume_edit_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Volume_Edit>(1032);
             r.volumeName = QStringLiteral("卷一");
             r.updateTime = T;
             c.volume_edit_asyn(r);
             return r.header;
         }, "POST", "/volume/editVolume", "{\"book_id\":5001,\"id\":7001,\"update_time\":1700000000,\"volume_name\":\"卷一\"}"},
        {"volume_del_restore_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Volume_Delete>(1033);
             r.type = 0;
             r.updateTime = T;
             c.volume_del_restore_asyn(r);
             return r.header;
         }, "POST", "/volume/recycle", "{\"book_id\":5001,\"id\":7001,\"type\":0,\"update_time\":1700000000}"},
        {"volume_move_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Volume_Move>(1034);
             r.fromVolumeId = 7001;
             r.toVolumeId = 7002;
             r.updateTime = T;
             c.volume_move_asyn(r);
             return r.header;
         }, "POST", "/volume/move",
         "{\"book_id\":5001,\"move_order\":\"[{\\\"from_volume_id\\\":7001,\\\"to_volume_id\\\":7002}]\",\"update_time\":1700000000}"},

        // ---- memos ----
        {"memoAdd_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Add>(3002);
             r.content = QStringLiteral("便签");
             r.color = QStringLiteral("#FFF3B0");
             r.updateTime = T;
             c.memoAdd_asyn(r);
             return r.header;
         }, "POST", "/memo/addMemo", "{\"color\":\"#FFF3B0\",\"content\":\"便签\",\"update_time\":1700000000}"},
        {"memoDel_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Del>(3003);
             r.updateTime = T;
             c.memoDel_asyn(r);
             return r.header;
         }, "POST", "/memo/delMemo", "{\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn colour", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Edit>(3004);
             r.color = QStringLiteral("#000000");
             r.content = QStringLiteral("not sent");
             r.updateTime = T;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo", "{\"color\":\"#000000\",\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn text", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Edit>(3005);
             r.content = QStringLiteral("新内容");
             r.updateTime = T;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo", "{\"content\":\"新内容\",\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn position", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Edit>(3006);
             r.bookId = 5001;
             r.chapterId = 9001;
             r.location = QStringLiteral("1,2,3,4");
             r.updateTime = T;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo",
         "{\"book_id\":5001,\"chapter_id\":9001,\"location\":\"1,2,3,4\",\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn combined, emptied text", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Edit>(3007);
             r.contentChanged = true;
             r.updateTime = T;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo", "{\"content\":\"\",\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn combined, everything", false, [](CTessaneHttp& c) {
             TC_Memo_Edit r(8, 13001, T, QStringLiteral("c"), QStringLiteral("#fff"), 3, 40, 1.0f, 2.0f, 0, 0, 0);
             r.header.uid = 10001;
             r.bookId = 5001;
             r.chapterId = 9001;
             r.locationChanged = true;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo",
         "{\"book_id\":5001,\"chapter_id\":9001,\"color\":\"#fff\",\"content\":\"c\",\"location\":\"1,2,0,0\",\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoEdit_asyn other job type", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Edit>(3999);
             r.color = QStringLiteral("#fff");
             r.content = QStringLiteral("c");
             r.updateTime = T;
             c.memoEdit_asyn(r);
             return r.header;
         }, "POST", "/memo/editMemo", "{\"memo_id\":13001,\"update_time\":1700000000}"},
        {"memoDetail_asyn", false, [](CTessaneHttp& c) {
             auto r = withIdentity<TC_Memo_Detail>(3008);
             c.memoDetail_asyn(r);
             return r.header;
         }, "GET", "/memo/memoDetail?memo_id=13001", ""},
    };
    return all;
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
        if (standin().port() == 0)
            QSKIP("the stand-in platform did not start");
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
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < cases().size(); ++i)
            QTest::newRow(cases().at(i).name) << int(i);
    }

    void everyOperationSendsItsExactRequest()
    {
        QFETCH(int, index);
        const Case& c = cases().at(size_t(index));
        AsyncCatcher catcher(m_client);
        const T_Http_Custom sent = c.send(*m_client);
        if (!c.blocking) {
            QVERIFY(catcher.waitFor(1));
            QCOMPARE(catcher.replies.at(0).error, QNetworkReply::NoError);
        }
        const QJsonArray journal = standin().journal();
        QCOMPARE(journal.size(), 1);
        const QJsonObject entry = journal.at(0).toObject();
        QCOMPARE(entry.value(QStringLiteral("method")).toString(), QString::fromLatin1(c.method));
        QCOMPARE(entry.value(QStringLiteral("target")).toString(), QString::fromLatin1(c.target));
        const QByteArray body = QByteArray::fromBase64(entry.value(QStringLiteral("bodyBase64")).toString().toLatin1());
        QCOMPARE(QString::fromUtf8(body), QString::fromUtf8(c.body));
        QCOMPARE(body, c.body);
        QCOMPARE(StandinServer::header(entry, "userdata"), sent.toUserData());
        QCOMPARE(StandinServer::header(entry, "Authorization"), "Bearer " + StandinServer::demoToken());
        QCOMPARE(StandinServer::header(entry, "source"), QByteArray("windows"));
        if (QByteArray(c.method) == "POST")
            QCOMPARE(StandinServer::header(entry, "Content-Length").toInt(), c.body.size());
    }

    void identityTextIsWrittenInWireOrder()
    {
        AsyncCatcher catcher(m_client);
        TC_Chapter_Edit_Content request;
        request.header.uid = 12;
        request.header.localBookId = 3;
        request.header.bookId = 5001;
        request.header.localChapterId = 40;
        request.header.chapterId = 9001;
        request.header.jobId = 77;
        m_client->chapter_edit_content_asyn(request);
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.replies.at(0).requestUserdata, QByteArray("12,1016,3,5001,40,9001,77,0,0,0,0,0,0"));
        T_Http_S head;
        CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(catcher.replies.at(0).body), &head);
        QCOMPARE(head.code, 200);
        QVERIFY(head.userdata == request.header);
    }

    void blockingOperationsFillTheirRecords()
    {
        TC_Author_Login login;
        login.phone = QStringLiteral("13800000000");
        login.password = QStringLiteral("demo1234");
        TS_Author_Login signedIn;
        QCOMPARE(m_client->author_login(login, signedIn), QNetworkReply::NoError);
        QCOMPARE(signedIn.header.code, 200);
        QCOMPARE(signedIn.uid, StandinServer::demoUid());
        QCOMPARE(signedIn.token, QString::fromLatin1(StandinServer::demoToken()));

        login.password = QStringLiteral("wrong");
        TS_Author_Login refused;
        QCOMPARE(m_client->author_login(login, refused), QNetworkReply::NoError);
        QCOMPARE(refused.header.code, 400);
        QVERIFY(!refused.header.msg.isEmpty());
        QCOMPARE(refused.uid, 0);

        TC_Author_Info infoRequest;
        TS_Author_Info info;
        QCOMPARE(m_client->author_info(infoRequest, info), QNetworkReply::NoError);
        QCOMPARE(info.author_name, QStringLiteral("演示作者"));
        QVERIFY(info.isBindPhone);

        TC_Author_BannerList bannerRequest;
        TS_Author_BannerList banners;
        QCOMPARE(m_client->author_bannerList(bannerRequest, banners), QNetworkReply::NoError);
        QCOMPARE(banners.count, 1);

        TC_AuthorCount_UserData countRequest;
        TS_AuthorCount_UserData counts;
        QCOMPARE(m_client->authorCount_userData(countRequest, counts), QNetworkReply::NoError);
        QCOMPARE(counts.timeData.size(), counts.wordData.size());
        QVERIFY(!counts.timeData.isEmpty());

        TC_SynchronizaTion_SynData versionRequest;
        TS_SynchronizaTion_SynData versions;
        QCOMPARE(m_client->synchronizaTion_synData(versionRequest, versions), QNetworkReply::NoError);
        QCOMPARE(versions.cateVersion, 1);

        TC_Account_AuthNumber numberRequest;
        numberRequest.uuid = QStringLiteral("abc");
        TS_Account_AuthNumber number;
        QCOMPARE(m_client->author_authNumber(numberRequest, number), QNetworkReply::NoError);
        QVERIFY(!number.code.isEmpty());
    }

    void signedOutRequestsAreAnsweredWithSignInAgain()
    {
        m_client->setToken(QStringLiteral("expired"));
        TC_Author_Info request;
        TS_Author_Info info;
        const QNetworkReply::NetworkError result = m_client->author_info(request, info);
        m_client->setToken(QString::fromLatin1(StandinServer::demoToken()));
        QCOMPARE(result, QNetworkReply::NoError);
        QCOMPARE(info.header.code, int(HttpSignInAgain));
    }

    void queryValuesReachThePlatformIntact()
    {
        AsyncCatcher catcher(m_client);
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

    void contentOperationsChangeThePlatformsCopy()
    {
        AsyncCatcher catcher(m_client);
        TC_Chapter_Edit_Content save;
        save.header = identity(1016);
        save.content = QStringLiteral("新的正文");
        save.updateTime = T;
        m_client->chapter_edit_content_asyn(save);
        TC_Books_AddBook add(QStringLiteral("第二本"), T, T, QString());
        add.header.localBookId = 9;
        m_client->books_add_asyn(add);
        QVERIFY(catcher.waitFor(2));

        TS_Books_AddBook added;
        for (const CaughtReply& reply : catcher.replies) {
            T_Http_S head;
            CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(reply.body), &head);
            QCOMPARE(head.code, 200);
            if (head.userdata.jobType == 1002)
                CTessaneUrl::parseAddBook(reply.body, &added);
        }
        QVERIFY(added.book_id > 0);
        QCOMPARE(added.local_id, 9);

        const QJsonObject store = standin().store();
        bool saved = false;
        for (const QJsonValue& chapter : store.value(QStringLiteral("chapters")).toArray()) {
            if (chapter.toObject().value(QStringLiteral("chapter_id")).toInt() == 9001)
                saved = chapter.toObject().value(QStringLiteral("content")).toString() == save.content;
        }
        QVERIFY(saved);
    }

    void changeFeedComesBackAndIsAcknowledged()
    {
        const QJsonArray ids = standin().pushFeed(
            StandinServer::demoUid(),
            {QJsonObject{{QStringLiteral("book_id"), 5001}, {QStringLiteral("chapter_id"), 9001},
                         {QStringLiteral("change_type"), 9}}});
        QCOMPARE(ids.size(), 1);
        AsyncCatcher catcher(m_client);
        TC_SynchronizaTion_SynBookData pull;
        pull.header.jobType = 3010;
        m_client->synchronizaTion_synBookData_asyn(pull);
        QVERIFY(catcher.waitFor(1));
        TS_SynchronizaTion_SynBookData feed;
        CTessaneUrl::setHttpSynchronizaTionSynBookData(catcher.replies.at(0).body, &feed);
        QCOMPARE(feed.items.size(), 1);
        QCOMPARE(feed.items.at(0)->changeType, 9);
        QCOMPARE(feed.items.at(0)->synId, ids.at(0).toInt());

        TC_SynchronizaTion_SynAuthor ack;
        ack.task_id = feed.items.at(0)->synId;
        ack.syn_type = 2;
        m_client->synchronizaTion_synAuthor_asyn(ack);
        QVERIFY(catcher.waitFor(2));
        QVERIFY(standin().store().value(QStringLiteral("feed")).toArray().isEmpty());
    }
};

int runApiOperationTests(int argc, char** argv)
{
    TestApiOperations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApiOperations.moc"
