#pragma once

#include <QWidget>

class CPublicManager;
class CQssManager;
class CUiManager;
class QHBoxLayout;
class QLabel;
class QMovie;
class QPushButton;

// The bar above the bookshelf's pages: the synchronisation button with its
// indicator and the theme, settings and window buttons.
class Widget_Bookshelf_Top : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf_Top(QWidget* parent = nullptr);

    // The indicator stays at least this long, so a quick sync is still seen.
    static constexpr int kMinSyncMs = 2000;

    void startSync();
    void endSync(bool ok);
    // Something of this synchronisation was refused: however it ends, and
    // also when its success only waits to be shown, it is told as a failure.
    void failSync();
    bool isSyncing() const;
    void changeSkin();
    void updateMaxButton();
    QString movieFile() const;

    QPushButton* btnSync() const { return m_btnSync; }
    QLabel* labelSync() const { return m_labelSync; }
    QPushButton* btnMax() const { return m_btnMax; }

private:
    void finishSync(bool ok);

    // A refusal came while the indicator showed.
    bool m_failed = false;
    CUiManager* m_ui;
    CPublicManager* m_model;
    CQssManager* m_qss;
    QMovie* m_movie;
    double m_s;

    QPushButton* m_btnSync = nullptr;
    QPushButton* m_btnSyn = nullptr;
    QLabel* m_labelSync = nullptr;
    QLabel* m_labelSyncTip = nullptr;
    QPushButton* m_btnStyle = nullptr;
    QPushButton* m_btnSetup = nullptr;
    QPushButton* m_btnMsg = nullptr;
    QPushButton* m_btnMin = nullptr;
    QPushButton* m_btnMax = nullptr;
    QPushButton* m_btnClose = nullptr;
};
