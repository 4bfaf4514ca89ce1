// Every reply parser of the protocol layer, the change-feed parser among
// them: the first byte picks the parser, the rest is the reply body.

#include "FuzzTarget.h"

#include "remote/CTessaneUrl.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace {

template <class Record>
std::function<void(const QByteArray&)> parser(void (*parse)(const QByteArray&, Record*))
{
    return [parse](const QByteArray& body) {
        Record record;
        parse(body, &record);
    };
}

const std::vector<std::function<void(const QByteArray&)>>& parsers()
{
    // The order is part of the corpus: a seed file's first byte indexes it.
    static const std::vector<std::function<void(const QByteArray&)>> list{
        parser(&CTessaneUrl::setHttpBase),                        // 0
        parser(&CTessaneUrl::setHttpAuthorSendCode),              // 1
        parser(&CTessaneUrl::setHttpAuthNumber),                  // 2
        parser(&CTessaneUrl::setHttpAuthorLogin),                 // 3
        parser(&CTessaneUrl::setHttpAuthorRegister),              // 4
        parser(&CTessaneUrl::setHttpAuthorInfo),                  // 5
        parser(&CTessaneUrl::setHttpAuthorUpdate),                // 6
        parser(&CTessaneUrl::setHttpAuthorUploadImg),             // 7
        parser(&CTessaneUrl::setHttpAuthorWxCodeLogin),           // 8
        parser(&CTessaneUrl::setHttpAuthorPollingWx),             // 9
        parser(&CTessaneUrl::setHttpAuthorNotice),                // 10
        parser(&CTessaneUrl::setHttpAuthorSign),                  // 11
        parser(&CTessaneUrl::parseBannerList),                    // 12
        parser(&CTessaneUrl::setHttpAuthorCountUserData),         // 13
        parser(&CTessaneUrl::setHttpSynochronizaTionSynData),     // 14
        parser(&CTessaneUrl::setHttpSynchronizaTionSynBookData),  // 15 the change feed
        parser(&CTessaneUrl::setHttpUpdateOnline),                // 16
        parser(&CTessaneUrl::setHttpLevelAllData),                // 17
        parser(&CTessaneUrl::setHttpSensitiveGet),                // 18
        [](const QByteArray& body) {                              // 19
            TS_Sensitive_NameData record;
            CTessaneUrl::setHttpSensitiveNameData(body, &record);
            CTessaneUrl::splitNameData(&record);
        },
        parser(&CTessaneUrl::setHttpBooksCate),                   // 20
        parser(&CTessaneUrl::setHttpBooksList),                   // 21
        parser(&CTessaneUrl::setHttpBookInfo),                    // 22
        parser(&CTessaneUrl::parseAddBook),                       // 23
        parser(&CTessaneUrl::setHttpBooksEdit),                   // 24
        parser(&CTessaneUrl::setHttpChapterAdd),                  // 25
        parser(&CTessaneUrl::setHttpChapterDetail),               // 26
        parser(&CTessaneUrl::setHttpChapterEdit),                 // 27
        parser(&CTessaneUrl::setHttpChapterInfo),                 // 28
        parser(&CTessaneUrl::setHttpChapterMenu),                 // 29
        parser(&CTessaneUrl::setHttpChapterTimeMachine),          // 30
        parser(&CTessaneUrl::setHttpObjectList),                  // 31
        parser(&CTessaneUrl::setHttpVolumeAdd),                   // 32
        parser(&CTessaneUrl::setHttpVolumeMenu),                  // 33
        parser(&CTessaneUrl::setHttpMemoAdd),                     // 34
        parser(&CTessaneUrl::setHttpMemoDetail),                  // 35
        parser(&CTessaneUrl::setHttpOutlineCreate),               // 36
        parser(&CTessaneUrl::setHttpOutlineDetail),               // 37
        parser(&CTessaneUrl::setHttpOutlineList),                 // 38
        [](const QByteArray& body) {                              // 39 the reply router's header
            T_Http_S head;
            CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(body), &head);
        },
    };
    return list;
}

}

FUZZ_TARGET(replies)(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const auto& list = parsers();
    const QByteArray body(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    list.at(data[0] % list.size())(body);
    return 0;
}
