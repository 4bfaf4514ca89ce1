// The random-name tool: names drawn uniformly from the word lists of
// tb_people and joined. Each list is read on first use and kept for the run.

#include "CSystemManager.h"

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"

namespace {
const QString kMiddleDot = QStringLiteral("·");
}

const QStringList& CSystemManager::nameList(int type)
{
    auto it = m_model->nameCache.find(type);
    if (it == m_model->nameCache.end()) {
        // A failed read leaves the list empty, and marked as read.
        QStringList names;
        m_db->getPeopleNames(type, names);
        names.removeAll(QString());
        it = m_model->nameCache.insert(type, names);
    }
    return it.value();
}

void CSystemManager::composeRandomNames(QStringList& out, int count, const QList<int>& types, const QString& fixed,
                                        const QStringList* secondParts, int mode)
{
    out.clear();
    if (types.isEmpty() || count < 1)
        return;
    QList<const QStringList*> pool;
    int total = 0;
    for (int type : types) {
        const QStringList& list = nameList(type);
        pool.append(&list);
        total += list.size();
    }
    if (total == 0)
        return;
    for (int i = 0; i < count; ++i) {
        int r = static_cast<int>(m_random.bounded(static_cast<quint32>(total)));
        QString word;
        for (const QStringList* list : qAsConst(pool)) {
            if (r < list->size()) {
                word = list->at(r);
                break;
            }
            r -= list->size();
        }
        QString name;
        if (secondParts) {
            if (i >= secondParts->size())
                name = word;
            else if (mode == 0)
                name = secondParts->at(i) + word;
            else if (mode == 1)
                name = word + kMiddleDot + secondParts->at(i);
            else
                name = word + secondParts->at(i);
        } else if (mode == 0) {
            name = fixed + word;
        } else if (mode == 1 && !fixed.isEmpty()) {
            name = word + kMiddleDot + fixed;
        } else {
            name = word + fixed;
        }
        out.append(name);
    }
}

void CSystemManager::randomPeopleNames(int nationality, int gender, int surnameKind, int nameLength,
                                       const QString& fixedSurname, QStringList& out, int count)
{
    out.clear();
    QList<int> given;
    if (nationality & 1) {
        if (gender & 1) {
            if (nameLength & 1)
                given << 3;
            if (nameLength & 2)
                given << 5;
        }
        if (gender & 2) {
            if (nameLength & 1)
                given << 4;
            if (nameLength & 2)
                given << 6;
        }
    }
    if (nationality & 2) {
        if (gender & 1)
            given << 8;
        if (gender & 2)
            given << 9;
    }
    if (nationality & 4) {
        if (gender & 1)
            given << 11;
        if (gender & 2)
            given << 12;
    }
    const int mode = (nationality & 4) ? 1 : 0;
    if (!fixedSurname.isEmpty()) {
        composeRandomNames(out, count, given, fixedSurname, nullptr, mode);
        return;
    }
    QList<int> surnames;
    if (nationality & 1) {
        if (surnameKind & 1)
            surnames << 1;
        if (surnameKind & 2)
            surnames << 2;
    }
    if (nationality & 2)
        surnames << 7;
    if (nationality & 4)
        surnames << 10;
    QStringList drawn;
    composeRandomNames(drawn, count, surnames, QString(), nullptr, 0);
    composeRandomNames(out, count, given, QString(), &drawn, mode);
}

void CSystemManager::randomSurnames(int nationality, int surnameKind, QStringList& out, int count)
{
    QList<int> types;
    if (nationality & 1) {
        if (surnameKind & 1)
            types << 1;
        if (surnameKind & 2)
            types << 2;
    }
    if (nationality & 2)
        types << 7;
    if (nationality & 4)
        types << 10;
    composeRandomNames(out, count, types, QString(), nullptr, 0);
}

void CSystemManager::randomPlaceNames(int kind, QStringList& out, int count, const QString& fixedSuffix)
{
    QList<int> stems;
    if (kind & 1)
        stems << 15;
    if (kind & 2)
        stems << 13;
    if (kind & 4)
        stems << 17;
    if (!fixedSuffix.isEmpty()) {
        composeRandomNames(out, count, stems, fixedSuffix, nullptr, 2);
        return;
    }
    QList<int> suffixTypes;
    if (kind & 1)
        suffixTypes << 16;
    if (kind & 2)
        suffixTypes << 14;
    QStringList suffixes;
    composeRandomNames(suffixes, count, suffixTypes, QString(), nullptr, 0);
    composeRandomNames(out, count, stems, QString(), &suffixes, 2);
}

void CSystemManager::randomPlaceSuffixes(int kind, QStringList& out, int count)
{
    QList<int> types;
    if (kind & 1)
        types << 16;
    if (kind & 2)
        types << 14;
    composeRandomNames(out, count, types, QString(), nullptr, 0);
}

void CSystemManager::randomGongNames(int kind, QStringList& out, int count)
{
    QList<int> types;
    if (kind & 1)
        types << 18;
    if (kind & 2)
        types << 19;
    if (kind & 4)
        types << 20;
    composeRandomNames(out, count, types, QString(), nullptr, 0);
}
