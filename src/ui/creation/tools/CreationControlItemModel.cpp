#include "CreationControlItemModel.h"

#include "T_ItemData.h"
#include "manager/CPublicManager.h"

namespace {
const char* const kPlane1 = ":/res/skin/light/creation/plane1/";
}

CreationControlItemModel::CreationControlItemModel(int panelType, QObject* parent)
    : QStringListModel(parent), m_panelType(panelType)
{
    if (panelType == 1) {
        struct Row { int id; const char* key; const char* hint; const char* icon; };
        const Row rows[] = {{2, QT_TR_NOOP("export"), "F1", "export.svg"},
                            {3, QT_TR_NOOP("import"), "F2", "import.svg"},
                            {4, QT_TR_NOOP("gist"), "F3", "gist.svg"},
                            {5, QT_TR_NOOP("name"), "F4", "name.svg"},
                            {6, QT_TR_NOOP("onkey"), "F5", "order.svg"},
                            {7, QT_TR_NOOP("search"), "F6", "search.svg"},
                            {8, QT_TR_NOOP("sensitive"), "F7", "sensitive.svg"},
                            {9, QT_TR_NOOP("dark"), "F8", "dark.svg"},
                            {10, QT_TR_NOOP("lock house"), "F9", "lock.svg"},
                            {12, QT_TR_NOOP("memo"), "F10", "memo.svg"},
                            {13, QT_TR_NOOP("setting"), "F11", "setting.svg"}};
        for (const Row& row : rows) {
            const QString icon = QString::fromLatin1(kPlane1) + QString::fromLatin1(row.icon);
            const QString label = tr(row.key);
            if (row.id == 9)
                m_items.append(new T_ItemData(9, 1, 1, icon, label, QString::fromLatin1(row.hint),
                                              QString::fromLatin1(kPlane1) + QStringLiteral("sun.svg"), tr("light")));
            else
                m_items.append(new T_ItemData(row.id, 1, 1, icon, label, QString::fromLatin1(row.hint), QString(), label));
        }
    } else if (panelType == 3) {
        const QString icon = QStringLiteral(":/res/skin/light/creation/plane2/select.png");
        const QString alt = QStringLiteral(":/res/skin/dark/creation/plane2/select.png");
        m_items.append(new T_ItemData(33, 6, 3, icon, tr("not focus"), QString(), alt));
        m_items.append(new T_ItemData(34, 6, 3, icon, tr("focus2"), QString(), alt));
        m_items.append(new T_ItemData(35, 6, 3, icon, tr("focus1"), QString(), alt));
        const T_CreationConf& conf = CPublicManager::instance()->userConf.creationConf;
        checkOnlyId(!conf.isFocusing ? 33 : (conf.isFocusLine ? 34 : 35));
    }
    QStringList rows;
    for (int i = 0; i < m_items.size(); ++i)
        rows.append(QString());
    setStringList(rows);
}

CreationControlItemModel::~CreationControlItemModel()
{
    qDeleteAll(m_items);
}

void CreationControlItemModel::checkOnlyId(int id)
{
    for (T_ItemData* item : m_items)
        item->checked = item->id == id;
    if (!m_items.isEmpty())
        emit dataChanged(index(0), index(m_items.size() - 1));
}
