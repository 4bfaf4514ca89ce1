#include "T_Chapter.h"

int T_Chapter::countWords(const QString& text)
{
    int count = 0;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case ' ':
        case '\n':
        case '\r':
        case '\t':
        case 0x3000:
        case 0x00a0:  // a no-break space reads as a space
        case 0x2028:  // line and paragraph separators, and the editor's
        case 0x2029:  // frame marks, read as line breaks
        case 0xfdd0:
        case 0xfdd1:
            break;
        default:
            ++count;
        }
    }
    return count;
}

void T_Chapter::calcWordCount()
{
    wordCount = countWords(content);
}
