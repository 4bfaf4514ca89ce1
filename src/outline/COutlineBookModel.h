#pragma once

#include <QAbstractListModel>

// The signed-in author's bookshelf for the panel's book list. It has no
// state: the shared model's list is read on every call and refresh() tells
// the views to read it again.
class COutlineBookModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        BookLocalIdRole = Qt::UserRole + 1,
        BookNameRole,
    };

    explicit COutlineBookModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    void refresh();
};
