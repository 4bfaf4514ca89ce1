#pragma once

#include "common/StyleType.h"

#include <QMap>
#include <QObject>

class QWidget;

// Composes one complete style sheet per theme from the resources, keeps them,
// and applies the chosen one to the whole application.
class CQssManager : public QObject
{
    Q_OBJECT
public:
    static CQssManager* instance();

    // Composes and stores the sheet of a theme; a theme registered twice keeps
    // its first sheet.
    void setQssStyle(int type, const QString& themeSheetPath);
    void applyStyle(int type);
    int currentStyleType() const { return m_currentType; }
    QString styleSheet(int type) const { return m_sheets.value(type); }

    // A drop shadow whose colour follows the theme current at the call.
    void addShadowEffect(QWidget* widget) const;

    // For tests: forget the composed sheets, so that they are composed again
    // at another display scale.
    void forgetStylesForTest()
    {
        m_sheets.clear();
        m_currentType = 0;
    }

    // Scales every "<n>px" of a sheet by the factor, truncating.
    static QString scalePixelSizes(const QString& sheet, double scale);
    // A theme's sheet with the sign-in sheet, its pixel sizes at the given
    // scale; empty when the theme's file cannot be read.
    static QString composeSheet(const QString& themeSheetPath, double scale);

private:
    explicit CQssManager(QObject* parent = nullptr);

    QMap<int, QString> m_sheets;
    int m_currentType = 0;
};
