#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QString>
#include <QUrlQuery>

// One API call as the store sees it: decoded query and body, and the author
// the bearer token names (0 when none).
struct ApiCall
{
    QString path;
    QUrlQuery query;
    QJsonObject body;
    int uid = 0;
    // The client machine, as its "uniquecode" header names it (may be empty).
    QString device;
};

struct ApiResult
{
    int code = 200;
    QString msg = QStringLiteral("success");
    QJsonValue content = QJsonObject();
};

// The platform's data, in memory: authors, books, volumes, chapters and their
// versions, outlines, memos, pictures and a change feed per author. Ids are
// assigned like the platform does, from counters that a reset rewinds.
class Store
{
public:
    Store();

    // Back to the seed: the demo author with one book.
    void reset();
    // The address pictures are served from (the server's own).
    void setBaseUrl(const QString& url) { m_baseUrl = url; }

    bool knows(const QString& path) const { return m_handlers.contains(path); }
    // Paths answered without a signed-in author.
    bool isPublic(const QString& path) const;
    int authorOfToken(const QByteArray& authorization) const;
    ApiResult call(const ApiCall& call);

    QJsonObject dump() const;
    QJsonArray pushFeed(int uid, const QJsonArray& items);
    // Whether a machine an author uses for the first time gets change items
    // that bring the author's existing books and memos (as the platform's
    // feed does). setWelcomeDefault also sets what a reset returns to.
    void setWelcomeNewDevices(bool on) { m_welcomeNewDevices = on; }
    void setWelcomeDefault(bool on) { m_welcomeDefault = on; m_welcomeNewDevices = on; }
    // Whether lists give a machine back the local ids it sent with its
    // creates (a platform may not): until the next reset.
    void setListLocalIds(bool on) { m_listLocalIds = on; }
    // Data versions the platform reports ("cateVersion", "sensitiveVersion",
    // "peopleNameDataVersion", "levelVersion"); each given one replaces the
    // seed's (2 for the categories, 1 for the others).
    void setVersions(const QJsonObject& versions);
    void putImage(const QString& name, const QByteArray& bytes) { m_images.insert(name, bytes); }
    // The version check's answer from now on: "status" (0 none, 1 offered,
    // 2 forced), "name", "url", "update_log" replace the seed's values.
    void setUpdate(const QJsonObject& update) { m_update = update; }
    bool image(const QString& name, QByteArray& bytes) const;

    static constexpr int kDemoUid = 10001;
    static const char* demoToken() { return "standin-demo-token"; }
    static const char* demoPhone() { return "13800000000"; }
    static const char* demoPassword() { return "demo1234"; }

private:
    using Handler = ApiResult (Store::*)(const ApiCall&);

    static ApiResult refuse(const QString& message, int code = 400);
    static QString text(const QJsonObject& body, const char* key);
    static int number(const QJsonObject& body, const char* key);
    static int queryInt(const ApiCall& call, const char* key);
    static int wordCount(const QString& text);
    static int now();
    int ownedBook(const ApiCall& call, int bookId) const;
    QJsonObject chapterEntry(const QJsonObject& chapter) const;
    QJsonObject withOwnLocalId(const ApiCall& call, QJsonObject entry, const QJsonObject& stored) const;
    void registerHandlers();
    void seedCategories();
    // Notes the machine of a call; a new one of a signed-in author is welcomed.
    void noteDevice(const ApiCall& call);
    void welcome(int uid, const QString& device);
    int addFeedItem(int uid, const QString& device, int type, int bookId, int objectId,
                    const QJsonObject& extra = QJsonObject());
    bool feedItemFor(const QJsonObject& item, int uid, const QString& device) const;
    // A change the call made reaches the author's other machines as a feed item.
    void recordChange(const ApiCall& call, int type, int bookId, int objectId,
                      const QJsonObject& extra = QJsonObject());
    static QJsonObject picked(const QJsonObject& object, std::initializer_list<const char*> keys);

    // Account and author.
    ApiResult authNumber(const ApiCall& call);
    ApiResult registerAuthor(const ApiCall& call);
    ApiResult sendCode(const ApiCall& call);
    ApiResult login(const ApiCall& call);
    ApiResult forgetPassword(const ApiCall& call);
    ApiResult changePassword(const ApiCall& call);
    ApiResult authorInfo(const ApiCall& call);
    ApiResult updateAuthor(const ApiCall& call);
    ApiResult uploadImg(const ApiCall& call);
    ApiResult wxCodeLogin(const ApiCall& call);
    ApiResult pollingWx(const ApiCall& call);
    ApiResult wxBindPhone(const ApiCall& call);
    ApiResult bannerList(const ApiCall& call);
    ApiResult notice(const ApiCall& call);
    ApiResult checkin(const ApiCall& call);
    ApiResult countSave(const ApiCall& call);
    ApiResult countData(const ApiCall& call);
    ApiResult synData(const ApiCall& call);
    ApiResult synBookData(const ApiCall& call);
    ApiResult synAuthor(const ApiCall& call);
    ApiResult appVersion(const ApiCall& call);
    ApiResult getCate(const ApiCall& call);
    ApiResult editSensitive(const ApiCall& call);
    ApiResult getSensitive(const ApiCall& call);
    ApiResult nameData(const ApiCall& call);
    ApiResult allLevels(const ApiCall& call);

    // Content.
    ApiResult addBook(const ApiCall& call);
    ApiResult booksList(const ApiCall& call);
    ApiResult bookInfo(const ApiCall& call);
    ApiResult recycleBook(const ApiCall& call);
    ApiResult delBook(const ApiCall& call);
    ApiResult editBook(const ApiCall& call);
    ApiResult volumeList(const ApiCall& call);
    ApiResult addVolume(const ApiCall& call);
    ApiResult editVolume(const ApiCall& call);
    ApiResult recycleVolume(const ApiCall& call);
    ApiResult moveVolume(const ApiCall& call);
    ApiResult addChapter(const ApiCall& call);
    ApiResult batchCreateChapter(const ApiCall& call);
    ApiResult recycleChapter(const ApiCall& call);
    ApiResult delChapter(const ApiCall& call);
    ApiResult chapterInfo(const ApiCall& call);
    ApiResult chapterList(const ApiCall& call);
    ApiResult chapterDetail(const ApiCall& call);
    ApiResult getChapters(const ApiCall& call);
    ApiResult editChapter(const ApiCall& call);
    QJsonArray keepOtherVersion(const ApiCall& call, int id);
    ApiResult moveChapter(const ApiCall& call);
    ApiResult contentBlade(const ApiCall& call);
    ApiResult timeMachine(const ApiCall& call);
    ApiResult appMoveChapter(const ApiCall& call);
    ApiResult addOutline(const ApiCall& call);
    ApiResult editOutline(const ApiCall& call);
    ApiResult delOutline(const ApiCall& call);
    ApiResult outlineDetail(const ApiCall& call);
    ApiResult outlineList(const ApiCall& call);
    ApiResult moveOutline(const ApiCall& call);
    ApiResult addMemo(const ApiCall& call);
    ApiResult delMemo(const ApiCall& call);
    ApiResult editMemo(const ApiCall& call);
    ApiResult memoDetail(const ApiCall& call);
    ApiResult memoList(const ApiCall& call);
    ApiResult acceptCrashDump(const ApiCall& call);

    QHash<QString, Handler> m_handlers;
    QString m_baseUrl;
    QMap<int, QJsonObject> m_authors;
    QMap<int, QJsonObject> m_books;
    QMap<int, QJsonObject> m_volumes;
    QMap<int, QJsonObject> m_chapters;
    QMap<int, QJsonObject> m_blades;
    QMap<int, QJsonObject> m_outlines;
    QMap<int, QJsonObject> m_memos;
    QMap<int, QJsonObject> m_feed;
    QJsonObject m_versions;
    QMap<QString, QByteArray> m_images;
    QJsonObject m_update;
    QHash<int, QString> m_sensitiveWords; // the author's own list, by uid
    QHash<int, QSet<QString>> m_devices;  // machines seen, by uid
    bool m_welcomeNewDevices = true;
    bool m_welcomeDefault = true;
    bool m_listLocalIds = true;
    QJsonArray m_female;
    QJsonArray m_male;
    int m_nextId = 0;
};
