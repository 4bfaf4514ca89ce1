// A text file for import: decoded, then cut into volumes and chapters with
// the built-in heading patterns.

#include "FuzzTarget.h"

#include "manager/CBookJobManager.h"
#include "manager/ImportTextCodec.h"

#include <cstdio>

FUZZ_TARGET(import)(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QString text;
    if (!decodeImportText(bytes, text))
        return 0;
    FUZZ_CHECK(!text.contains(QLatin1Char('\r')));
    static const QString volumes = CBookJobManager::volumePattern();
    static const QString chapters = CBookJobManager::chapterPattern();
    QStringList titles;
    QStringList contents;
    QString leading;
    QString volumeText = text;
    CBookJobManager::splitImportText(titles, contents, volumeText, volumes, &leading);
    FUZZ_CHECK(titles.size() == contents.size());
    for (QString content : contents) {
        QStringList chapterTitles;
        QStringList chapterTexts;
        CBookJobManager::splitImportText(chapterTitles, chapterTexts, content, chapters, nullptr);
        FUZZ_CHECK(chapterTitles.size() == chapterTexts.size());
    }
    return 0;
}
