#include "OutlineFixture.h"
#include "WhenShown.h"

#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "ui/common/BkMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

OutlineFixture::~OutlineFixture()
{
    // The books go with the client; the panel must not keep showing one.
    COutlineController::instance()->reset();
}

T_Outline* OutlineFixture::stored(T_Book* book, int type, int orderNum, const QString& text, const QString& title)
{
    TC_BookOutline_Create create(book->bookId, book->localId, 0, 0, type, orderNum, 1700000000, title, text);
    create.header.synStep = 1;
    if (!CBookJobManager::instance()->outline_create(create))
        return nullptr;
    return book->findOutlineByLocalId(create.localOutlineId);
}

int OutlineFixture::outlineRows(int localBookId)
{
    return scalar(QStringLiteral("select count(*) from tb_outline where localBookId = %1").arg(localBookId)).toInt();
}

QString OutlineFixture::storedContent(int localOutlineId)
{
    return scalar(QStringLiteral("select content from tb_outline where localId = %1").arg(localOutlineId)).toString();
}

int OutlineFixture::storedOrder(int localOutlineId)
{
    return scalar(QStringLiteral("select orderNum from tb_outline where localId = %1").arg(localOutlineId)).toInt();
}

int OutlineFixture::storedType(int localOutlineId)
{
    return scalar(QStringLiteral("select type from tb_outline where localId = %1").arg(localOutlineId)).toInt();
}

QList<int> OutlineFixture::localIds(const QAbstractItemModel& model)
{
    QList<int> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.index(row, 0).data(COutlineModel::LocalIdRole).toInt());
    return ids;
}

void OutlineFixture::answerNextBox(int button, bool* answered, QString* text)
{
    whenShown<BkMessageBox>([button, answered, text](BkMessageBox* box) {
        if (answered)
            *answered = true;
        if (text)
            *text = box->textLabel()->objectName() + QLatin1Char('|') + box->textLabel()->text();
        if (button < 0 || button >= box->textButtons().size())
            box->reject();
        else
            box->textButtons().at(button)->click();
    });
}
