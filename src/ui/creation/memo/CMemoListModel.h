#pragma once

#include <QStringListModel>

class CJobManager;
class CPublicManager;

// The shared model's memo list as rows, in the list's own order. Each row's
// display data is a copy of its T_Memo.
class CMemoListModel : public QStringListModel
{
    Q_OBJECT
public:
    explicit CMemoListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    bool insertMemoRow(int row);
    // Deletes the memo of the row through the job manager (locally only when
    // the change came from the platform); false for a row outside the list.
    bool removeMemoRow(int row, bool fromServer);
    bool updateMemoRow(int row);
    // The memo list was loaded again (start-up, sign-in): every row anew.
    void reload();

private:
    CPublicManager* m_model = nullptr;
    CJobManager* m_jobs = nullptr;
};
