#include "CUiManager.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QCursor>
#include <QDebug>
#include <QWidget>

// currentChapter and showChapter live with the writing window (CUiManager_creation.cpp).

int CUiManager::countSensitiveWords(int flags)
{
    const Widget_Creation* writing = creationWindow();
    if (writing == nullptr)
        return 0;
    return CPublicManager::instance()->sensitiveMatcher.scan(writing->getContent()->toPlainText(), flags);
}

void CUiManager::sensitiveWordsAction(int treatment)
{
    if (Widget_Creation* writing = creationWindow())
        writing->showSensitiveWords(treatment);
}

void CUiManager::moveToCursor(QWidget* menu, int flag)
{
    if (menu == nullptr)
        return;
    QPoint pos = QCursor::pos();
    const QSharedPointer<QWidget> window = currentWindow();
    if (flag == 0 && window) {
        // A menu not shown yet has no height of its own but its size hint.
        const int height = menu->isVisible() ? menu->height() : menu->sizeHint().height();
        if (pos.y() + height > window->y() + window->height())
            pos.ry() -= height;
    }
    menu->move(pos);
}

QStringList CUiManager::splitParagraphs(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.remove(QLatin1Char('\r'));
    normalised.remove(QLatin1Char('\t'));
    normalised.remove(QChar(0x3000));
    return normalised.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void CUiManager::chapterToHtml(const QString& content, QString& html, int fontSize, int lineHeight, int textIndent,
                               int margin)
{
    html.clear();
    html += QStringLiteral("<html><body style=''>");
    // The four numbers are filled in one pass; the paragraph text is appended
    // afterwards, so nothing in it is ever taken for a placeholder. It is
    // the author's plain text: "<走吧>" is words to show, not a tag.
    const QString open = QStringLiteral("<p style='line-height:%1px;text-indent:%2px;font-size:%3px;margin:%4px;'>")
                             .arg(QString::number(lineHeight), QString::number(textIndent),
                                  QString::number(fontSize), QString::number(margin));
    for (const QString& paragraph : splitParagraphs(content)) {
        html += open;
        html += paragraph.trimmed().toHtmlEscaped();
        html += QStringLiteral("</p>");
    }
    html += QStringLiteral("</body></html>");
}
