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
// bar, a message and a row of buttons at the right. exec() returns the
// clicked button's standard value (buttons added by value) or its index
// (buttons added by text), -1 for the title bar's close and 512 for Escape or
// closing the window.
class BkMessageBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kClosedByTitleBar = -1;
    static constexpr int kEscape = 512;

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
