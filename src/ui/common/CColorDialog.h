#pragma once

#include "manager/SettingsPreview.h"

#include <QColor>
#include <QDialog>

#include <optional>

class CBaseTitleBar;
class CJobManager;
class CPublicManager;
class HColorArea;
class PreviewColorArea;
class QPushButton;
class SVColorArea;

// Lets the author pick the editor's font colour. While the author drags, the
// colour is written into the signed-in user's creation settings in the model
// and changeColor() lets the editor show it at once; confirming stores the
// settings. Every other end puts the colour back, also a quit or a sign-out
// that ends the dialog unanswered: they store no previewed colour.
class CColorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CColorDialog(QWidget* parent = nullptr);
    ~CColorDialog() override;

    // The colour the editor shows now; call before exec().
    void setColor(const QColor& color);
    QColor openingColor() const { return m_openingColor; }

    CBaseTitleBar* titleBar() const { return m_titleBar; }
    HColorArea* hueArea() const { return m_hColor; }
    SVColorArea* svArea() const { return m_svColor; }
    PreviewColorArea* previewArea() const { return m_preview; }

public slots:
    void reject() override;

signals:
    void changeColor();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildForm();
    void onColorChanged(int h, int s, int v);
    void onConfirm();
    void onRestore();
    // The model takes a colour the author tries (empty: the default), and
    // every window shows it; unconfirmed, the colour from before goes back.
    void beginPreview(const QString& colour);

    CPublicManager* m_model;
    CJobManager* m_jobs;
    QColor m_openingColor;
    bool m_hadColor = false;
    // True while setColor() shows the opening colour: its echo from the
    // square is no choice of the author's.
    bool m_settingColor = false;
    // What the dialog shows once the author tried a colour: the confirm
    // stores it, even when another store of the settings put the opening
    // colour back into the model meanwhile.
    std::optional<QString> m_shown;

    QWidget* m_background = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    SVColorArea* m_svColor = nullptr;
    HColorArea* m_hColor = nullptr;
    PreviewColorArea* m_preview = nullptr;
    QPushButton* m_btnConfirm = nullptr;
    QPushButton* m_btnRe = nullptr;
    SettingsPreview m_trial;
};
