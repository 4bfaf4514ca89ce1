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
    if (!m_creation)
        return 0;
    return CPublicManager::instance()->sensitiveMatcher.scan(creationWindow()->getContent()->toPlainText(), flags);
}

void CUiManager::sensitiveWordsAction(int treatment)
{
    if (m_creation)
        creationWindow()->showSensitiveWords(treatment);
}

void CUiManager::moveToCursor(QWidget* menu, int flag)
{
    Q_UNUSED(flag)
    if (menu == nullptr)
        return;
    // Without a writing window there is no bottom edge to keep the menu above.
    menu->move(QCursor::pos());
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
    // afterwards, so nothing in it is ever taken for a placeholder.
    const QString open = QStringLiteral("<p style='line-height:%1px;text-indent:%2px;font-size:%3px;margin:%4px;'>")
                             .arg(QString::number(lineHeight), QString::number(textIndent),
                                  QString::number(fontSize), QString::number(margin));
    for (const QString& paragraph : splitParagraphs(content)) {
        html += open;
        html += paragraph.trimmed();
        html += QStringLiteral("</p>");
    }
    html += QStringLiteral("</body></html>");
}
