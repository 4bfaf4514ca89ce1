#pragma once

#include <QDialog>
#include <QHash>
#include <QList>

class CBaseTitleBar;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The program's modal message box: a frameless dialog with the common title
// bar, a message and a row of buttons at the right.
//
// exec() returns a button's standard value (buttons added by value) or its
// index (buttons added by text) only when the author clicked that button (or
// pressed Enter on it). Every other end is "no answer", and no caller may
// take it for a choice: kClosedByTitleBar for the title bar's close,
// kEscape for Escape or closing the window, and kNoAnswer when the box ended
// without the author: the program is quitting (a quit ends every nested
// event loop, and a box opened after it ends at once), the box was deleted
// while it ran, or code closed it. Callers therefore compare with the one
// button that goes on, never with the one that stops.
class BkMessageBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kClosedByTitleBar = -1;
    static constexpr int kEscape = 512;
    static constexpr int kNoAnswer = -2;
    // Whether a result of exec() is a button the author clicked.
    static bool isAnswer(int result)
    {
        return result != kClosedByTitleBar && result != kEscape && result != kNoAnswer;
    }

    explicit BkMessageBox(QWidget* parent = nullptr);
    BkMessageBox(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~BkMessageBox() override;

    void setTitle(const QString& title);
    void setText(const QString& text);
    QLabel* textLabel() const { return m_label; }
    CBaseTitleBar* titleBar() const { return m_titleBar; }

    // A button with a free text; its index among such buttons is the result.
    // An empty text adds nothing and returns null.
    QPushButton* addButton(const QString& text);
    // A button for a standard-button value (QMessageBox::StandardButton).
    QPushButton* addStandardButton(int value);
    void setDefaultButton(int value);
    QPushButton* button(int value) const { return m_standardButtons.value(value); }
    QList<QPushButton*> textButtons() const { return m_textButtons; }

    static QString standardButtonText(int value);

    static int information(QWidget* parent, const QString& title, const QString& text,
                           int buttons = 0x400, int defaultButton = 0);
    static int question(QWidget* parent, const QString& title, const QString& text,
                        const QString& button0, const QString& button1, int defaultIndex = 0);
    static int warning(QWidget* parent, const QString& title, const QString& text,
                       const QString& button0, const QString& button1, int defaultIndex = 0);

    int exec() override;

public slots:
    void onButtonClicked();
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    // Sizes the box to show the whole text.
    void fitText();
    QPushButton* makeButton(const QString& text);
    static int askTwo(QWidget* parent, const QString& title, const QString& text,
                      const QString& button0, const QString& button1, int defaultIndex);

    // Set by a click only: a QDialog ends its exec() with result 0 (a
    // button's index) when it was not ended by done().
    bool m_answered = false;
    QHash<int, QPushButton*> m_standardButtons;
    QList<QPushButton*> m_textButtons;

    QVBoxLayout* m_outerLayout = nullptr;
    QWidget* m_background = nullptr;
    QVBoxLayout* m_backgroundLayout = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QLabel* m_label = nullptr;
    QHBoxLayout* m_buttonLayout = nullptr;
};
