#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

enum Widget_Sreach_Btn {
    SreachPrevious = 1,
    SreachNext = 2,
    SreachSearch = 3,
    SreachReplaceCurrent = 4,
    SreachReplaceAll = 5,
    SreachClose = 6,
};

// The non-modal find-and-replace dialog of the writing window. It only
// reports what the author asks for; the editor pane does the work.
class Dialog_Search : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Search(QWidget* parent = nullptr);

    QLineEdit* searchEdit() const { return m_search; }
    QLineEdit* replaceEdit() const { return m_replace; }

signals:
    void sig_sreach_btn(Widget_Sreach_Btn btnType, const QString& info);
    void sig_sreach_btn(Widget_Sreach_Btn btnType);

public slots:
    void closeSearch();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_search = nullptr;
    QLineEdit* m_replace = nullptr;
};
