#pragma once

#include <QDialog>

class CBaseTitleBar;
class CJobManager;
class CPublicManager;
class QCheckBox;

// The three typing aids of the chapter editor: indentation, blank lines
// between paragraphs, paired punctuation. Confirm writes them at once.
class Dialog_WritingSettings : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_WritingSettings(QWidget* parent = nullptr);

    QCheckBox* checkBoxIndent() const { return m_indent; }
    QCheckBox* checkBoxSpacing() const { return m_spacing; }
    QCheckBox* checkBoxPunctuation() const { return m_punctuation; }

private slots:
    void onConfirm();

private:
    void buildForm();

    CPublicManager* m_model = nullptr;
    CJobManager* m_jobs = nullptr;
    QWidget* m_background = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    QCheckBox* m_indent = nullptr;
    QCheckBox* m_spacing = nullptr;
    QCheckBox* m_punctuation = nullptr;
};
