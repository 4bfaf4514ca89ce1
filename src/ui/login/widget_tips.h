#pragma once

#include <QWidget>

class QLabel;

// A short tip centred over its parent, hidden again after `duration` ms.
class widget_tips : public QWidget
{
    Q_OBJECT
public:
    explicit widget_tips(QWidget* parent = nullptr);

    void showTips(const QString& text);
    QString text() const;

    int duration = 2000;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label = nullptr;
};
