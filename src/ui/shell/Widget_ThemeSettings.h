#pragma once

#include <QDialog>

class CPublicManager;
class CUiManager;
class CBaseTitleBar;
class QAbstractButton;
class QButtonGroup;
class QPushButton;
class ThemeButton;

// The theme picker: one tile per theme; a click applies the theme at once
// and the dialog stays open.
class Widget_ThemeSettings : public QDialog
{
    Q_OBJECT
public:
    explicit Widget_ThemeSettings(QWidget* parent = nullptr);

    // Marks the tile of the user's current style (none for a custom picture).
    void updateCheckedTheme();
    // Copies a chosen picture to the program's theme picture and applies the
    // custom style; the file name comes from a file dialog when empty.
    void chooseCustomImage(const QString& fileName = QString());

    ThemeButton* btnThemeWhite() const { return m_white; }
    ThemeButton* btnThemeBlack() const { return m_black; }
    ThemeButton* btnThemeGreen() const { return m_green; }
    ThemeButton* btnThemeGeek() const { return m_geek; }
    QButtonGroup* buttonGroup() const { return m_group; }
    CBaseTitleBar* titleBar() const { return m_title; }

private:
    void onTileClicked(QAbstractButton* button);

    CUiManager* m_ui;
    CPublicManager* m_model;
    QPushButton* m_lastChosen = nullptr;
    CBaseTitleBar* m_title;
    ThemeButton* m_white;
    ThemeButton* m_black;
    ThemeButton* m_green;
    ThemeButton* m_geek;
    QPushButton* m_custom;
    QButtonGroup* m_group;
};
