#include "T_Chapter.h"

int T_Chapter::countWords(const QString& text)
{
    int count = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == ' ' || u == '\n' || u == '\r' || u == '\t' || u == 0x3000)
            continue;
        ++count;
    }
    return count;
}

void T_Chapter::calcWordCount()
{
    wordCount = countWords(content);
}
