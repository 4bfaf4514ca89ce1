#pragma once

#include <QWidget>

class CBookListDelegate;
class CBookListModel;
class QListView;
class QScrollBar;

// The narrow column of the author's books that the writing window pops up;
// choosing a book there switches the writing window to it.
class Widget_BookListPreview : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool preview READ isPreview WRITE setPreview NOTIFY previewChanged)
public:
    explicit Widget_BookListPreview(QWidget* parent = nullptr);

    bool isPreview() const { return m_preview; }
    void setPreview(bool preview);
    // Refills the column from the shared book list.
    void reload();

    QListView* listView() const { return m_list; }
    QScrollBar* scrollBar() const { return m_bar; }
    CBookListModel* model() const { return m_model; }

signals:
    void previewChanged(bool preview);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_preview = false;
    QScrollBar* m_bar;
    double m_s;
    QListView* m_list;
    CBookListModel* m_model;
    CBookListDelegate* m_delegate;
};
