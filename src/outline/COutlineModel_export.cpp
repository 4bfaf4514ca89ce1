// Export of the checked outlines as plain text.

#include "COutlineModel.h"
#include "ui/common/FileDialogs.h"

#include "db/records/T_Book.h"
#include "ui/common/BkMessageBox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSaveFile>
#include <QTextCodec>

#include <algorithm>

namespace {

QString typeTitle(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("本书大纲");
    case 2:
        return QStringLiteral("情节大纲");
    case 3:
        return QStringLiteral("人物大纲");
    case 4:
        return QStringLiteral("自定义大纲");
    default:
        return QString();
    }
}

}

QString COutlineModel::defaultExportName(const QString& bookName)
{
    return bookName + tr("Outline") + QDateTime::currentDateTime().toString(QStringLiteral("MMddhhmmss"));
}

QString COutlineModel::exportText(QList<const T_Outline*> outlines)
{
    std::stable_sort(outlines.begin(), outlines.end(),
                     [](const T_Outline* a, const T_Outline* b) { return a->orderNum > b->orderNum; });
    QString text;
    const QString rule = QStringLiteral("----------");
    for (int i = 0; i < outlines.size(); ++i) {
        if (i > 0)
            text += QStringLiteral("\n\n");
        text += rule + typeTitle(outlines.at(i)->type) + rule + QLatin1Char('\n');
        text += outlines.at(i)->content;
    }
    return text;
}

bool COutlineModel::exportTo(const QString& path) const
{
    const T_Book* shown = book();
    if (shown == nullptr || path.isEmpty())
        return false;
    QList<const T_Outline*> checked;
    for (const T_Outline* outline : qAsConst(shown->outline.outlineList)) {
        // The unsaved row holds nothing worth a header.
        if (outline->isCheckedC && outline->localId != 0)
            checked.append(outline);
    }
    // Written beside the target and renamed into place, so a failed export
    // leaves an earlier file as it was.
    QSaveFile file(path);
    const QByteArray bytes = exportText(checked).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        BkMessageBox::information(nullptr, tr("create failed"), tr("create failed"));
        return false;
    }
    return true;
}

void COutlineModel::exportAll()
{
    const T_Book* shown = book();
    if (shown == nullptr)
        return;
    const QString path = FileDialogs::saveTextFile(nullptr, tr("save local"), defaultExportName(shown->bookName),
                                                   FileDialogs::textFilter());
    if (path.isEmpty())
        return;
    exportTo(path);
}
