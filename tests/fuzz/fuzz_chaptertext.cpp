// The chapter-text services: text to paragraphs, to HTML for the readers,
// to the author's layout, and HTML back to plain text.

#include "FuzzTarget.h"

#include "manager/CBookJobManager.h"
#include "manager/CUiManager.h"

#include <cstdio>

FUZZ_TARGET(chaptertext)(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QStringList paragraphs = CUiManager::splitParagraphs(text);
    for (const QString& paragraph : paragraphs) {
        FUZZ_CHECK(!paragraph.isEmpty());
        FUZZ_CHECK(!paragraph.contains(QLatin1Char('\n')));
    }
    QString html;
    CUiManager::chapterToHtml(text, html, 14, 24, 28, 10);
    FUZZ_CHECK(html.count(QStringLiteral("</p>")) >= paragraphs.size());
    QString formatted;
    CUiManager::formatTextWith(text, formatted, true, true);
    // The layout keeps every paragraph's text.
    QStringList again = CUiManager::splitParagraphs(formatted);
    FUZZ_CHECK(again == paragraphs);
    CBookJobManager::htmlToPlainText(html);
    FUZZ_CHECK(CUiManager::wordCount(text) >= 0);
    return 0;
}
