#pragma once

#include "CHttpBase.h"
#include "CTessaneUrl.h"

// The client of the platform's API: one operation per endpoint. A blocking
// operation returns the transport's result (0 success; see CHttpBase) and
// fills its reply record only on 0, the server's verdict then being in the
// record's header. An operation ending in "_asyn" returns at once; its reply
// reaches the receiver of sigGetAsynData carrying the request's identity.
// Bodies are the compact JSON text of one object; query values are
// percent-encoded. GUI thread only.
class CTessaneHttp : public CHttpBase
{
public:
    static CTessaneHttp* instance();
    ~CTessaneHttp() override;

    // "Authorization: Bearer <token>"; sent to the API's own origin only.
    void setToken(const QString& token);
    void setUniqueCode(const QString& code);

    // Fetches a picture and stores it in folder as <md5 of its bytes><suffix>
    // (".png" when the URL's file name has none); an equal picture already
    // there is kept. Returns the file's path, or the empty text when the URL
    // is empty, the fetch fails or the bytes are no picture that can be stored.
    // Blocking: only for callers that hold nothing across the wait.
    QString downloadImg(const QString& url, QString folder);
    // The same without waiting: done gets the path (empty on any failure)
    // once the picture is stored, later, on this thread, unless context is
    // gone by then. The folder is made when missing. Whoever takes the path
    // looks up again what it belongs to: anything may have changed meanwhile.
    using PictureDone = std::function<void(const QString& path)>;
    void fetchImg(const QString& url, const QString& folder, QObject* context, PictureDone done);
    // Stores the bytes of a picture fetched from url as downloadImg does.
    static QString storePicture(const QByteArray& bytes, const QString& url, const QString& folder);

    // Account and author, blocking.
    QNetworkReply::NetworkError author_login(TC_Author_Login& request, TS_Author_Login& reply);
    QNetworkReply::NetworkError author_register(TC_Author_Register& request, TS_Author_Register& reply);
    QNetworkReply::NetworkError author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply);
    QNetworkReply::NetworkError author_authNumber(TC_Account_AuthNumber& request, TS_Account_AuthNumber& reply);
    QNetworkReply::NetworkError author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply);
    QNetworkReply::NetworkError author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply);
    QNetworkReply::NetworkError author_info(TC_Author_Info& request, TS_Author_Info& reply);
    QNetworkReply::NetworkError author_update(TC_Author_Update& request, TS_Author_Update& reply);
    QNetworkReply::NetworkError author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply);
    QNetworkReply::NetworkError author_wxCodeLogin(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply);
    QNetworkReply::NetworkError author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply);
    QNetworkReply::NetworkError author_bannerList(TC_Author_BannerList& request, TS_Author_BannerList& reply);
    QNetworkReply::NetworkError authorCount_userData(TC_AuthorCount_UserData& request, TS_AuthorCount_UserData& reply);
    QNetworkReply::NetworkError synchronizaTion_synData(TC_SynchronizaTion_SynData& request,
                                                        TS_SynchronizaTion_SynData& reply);

    // Account, statistics, system data and change feed, non-blocking.
    void author_info_asyn(TC_Author_Info& request);
    void author_notice_asyn(TC_Author_Notice& request);
    void author_pollingWx_asyn(TC_Author_PollingWx& request);
    void books_cate_asyn(TC_Books_Cate& request);
    void sensitive_edit_asyn(TC_Sensitive_Edit& request);
    void sensitive_get_asyn(TC_Sensitive_Get& request);
    void sensitive_nameData_asyn(TC_Sensitive_NameData& request);
    void level_allData_asyn(TC_Level_AllData& request);
    void authorCount_save_asyn(TC_AuthorCount_Save& request);
    void authorCount_saveTools_asyn(TC_AuthorCount_SaveTools& request);
    void authorCount_userData_asyn(TC_AuthorCount_UserData& request);
    void updateOnline_asyn(TC_UpdateOnline& request);
    void synchronizaTion_synBookData_asyn(TC_SynchronizaTion_SynBookData& request);
    void synchronizaTion_synAuthor_asyn(TC_SynchronizaTion_SynAuthor& request);

    // Books.
    void books_add_asyn(TC_Books_AddBook& request);
    // The author's live books.
    void books_list_asyn(const T_Http_Custom& identity);
    void books_info_asyn(TC_Books_Info& request);
    void books_delete_asyn(TC_Books_Delete& request);
    void books_edit_asyn(TC_Books_Edit& request);
    void books_delete_hard_asyn(TC_Books_Delete_Hard& request);
    void books_restore_asyn(TC_Books_Restore& request);

    // Chapters.
    void chapter_add_asyn(TC_Chapter_Add& request);
    void chapter_batchCreate_asyn(TC_Chapter_BatchCreate& request);
    // A batch's body made by chapterBatchBody, on any thread: a batch may
    // carry a hundred megabytes of text.
    void chapter_batchCreate_asyn(const T_Http_Custom& identity, const QByteArray& body);
    static QByteArray chapterBatchBody(const TC_Chapter_BatchCreate& request);
    void chapter_recycle_asyn(TC_Chapter_Recycle& request);
    void chapter_delete_asyn(TC_Chapter_Delete& request);
    void chapter_menu_asyn(TC_Chapter_Menu& request);
    void chapter_content_asyn(TC_Chapter_Content& request);
    void chapter_getChapters_asyn(TC_Chapter_GetChapters& request);
    void chapter_edit_name_asyn(TC_Chapter_Edit_Name& request);
    void chapter_edit_content_asyn(TC_Chapter_Edit_Content& request);
    void chapter_edit_asyn(TC_Chapter_Edit& request);
    void chapter_move_asyn(TC_Chapter_Move& request);
    void chapter_contentBlade_asyn(TC_Chapter_ContentBlade& request);
    void chapter_timeMachine_asyn(TC_Chapter_TimeMachine& request);
    void chapter_appMove_asyn(TC_Chapter_AppMove& request);
    void chapter_info_asyn(TC_Chapter_Info& request);

    // Outlines.
    void outlineCreate_asyn(TC_BookOutline_Create& request);
    void outlineUpdate_asyn(TC_BookOutline_Update& request);
    void outlineDelete_asyn(TC_BookOutline_Delete& request);
    void outlineDetail_asyn(TC_BookOutline_Detail& request);
    void outlineList_asyn(TC_BookOutline_List& request);
    void outlineMove_asyn(TC_BookOutline_Move& request);

    // Volumes.
    void volume_menu_asyn(TC_Volume_Menu& request);
    void volume_add_asyn(TC_Volume_Add& request);
    void volume_edit_asyn(TC_Volume_Edit& request);
    void volume_del_restore_asyn(TC_Volume_Delete& request);
    void volume_move_asyn(TC_Volume_Move& request);

    // Memos.
    void memoAdd_asyn(TC_Memo_Add& request);
    void memoDel_asyn(TC_Memo_Del& request);
    void memoEdit_asyn(TC_Memo_Edit& request);
    void memoDetail_asyn(TC_Memo_Detail& request);
    // All of the author's memos.
    void memoList_asyn(const T_Http_Custom& identity);

private:
    CTessaneHttp();

    // The request object's members are filled by the caller before these.
    void insert(const char* key, const QString& value);
    void insert(const char* key, qint64 value);
    QString requestText() const;
    void postRequestAsync(int id, const T_Http_Custom& identity);
    void getRequestAsync(int id, const QString& query, const T_Http_Custom& identity);
    template <class Reply>
    QNetworkReply::NetworkError postRequestSync(int id, const T_Http_Custom& identity, Reply& reply,
                                                void (*parse)(const QByteArray&, Reply*));
    template <class Reply>
    QNetworkReply::NetworkError getRequestSync(const QString& url, const QString& query,
                                               const T_Http_Custom& identity, Reply& reply,
                                               void (*parse)(const QByteArray&, Reply*));
    // The members of a move, as the JSON text of an array of one object.
    static QString moveOrderText(const QJsonObject& move);
};
