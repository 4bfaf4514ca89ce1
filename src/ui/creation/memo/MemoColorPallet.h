#pragma once

#include <QWidget>

class QButtonGroup;

// The popup of the six memo colours.
class MemoColorPallet : public QWidget
{
    Q_OBJECT
public:
    explicit MemoColorPallet(QWidget* parent = nullptr);

    // Checks the button of that colour (none for a colour off the palette).
    void setCurrentColor(const QString& color);
    QButtonGroup* buttons() const { return m_group; }

signals:
    void sig_color(const QString& color);
    void sig_closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QButtonGroup* m_group = nullptr;
};
