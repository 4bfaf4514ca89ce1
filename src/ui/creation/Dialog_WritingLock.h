#pragma once

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// Where the author sets the writing lock's goal: a number of words or of
// minutes. Accepted only once the goal is stored in the model and in the
// database; the caller then engages the locked mode.
class Dialog_WritingLock : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_WritingLock(QWidget* parent = nullptr);

public slots:
    void onConfirm();

private:
    void onModeChosen(int id);

    QButtonGroup* m_group = nullptr;
    QRadioButton* m_words = nullptr;
    QRadioButton* m_time = nullptr;
    QLineEdit* m_wordsEdit = nullptr;
    QLineEdit* m_timeEdit = nullptr;
    QPlainTextEdit* m_notice = nullptr;
    QPushButton* m_confirm = nullptr;
};
