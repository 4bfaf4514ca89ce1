#pragma once

#include "ui/bookshelf/BookDialogBase.h"

class QPushButton;
class QTextEdit;

// What the book import accepts, shown before the file is chosen. Both buttons
// go on to the file; only the title bar's close button stops the import.
class Dialog_BookImportRule : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_BookImportRule(QWidget* parent = nullptr);

    static QString exampleText();

private:
    QTextEdit* m_textEdit;
    QPushButton* m_btnConfirm;
    QPushButton* m_btnCancel;
};
