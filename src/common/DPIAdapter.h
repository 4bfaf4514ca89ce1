#pragma once

#include <QMap>
#include <QObject>
#include <QSize>

class QLayout;
class QWidget;

// One display scale factor for the whole run, settled before the application
// object exists, and the helpers that apply it.
class DPIAdapter : public QObject
{
    Q_OBJECT
public:
    static DPIAdapter* instance();

    // True when the settings file asks for OpenGL ES (system/isDX = 1).
    static bool readIsDX(const char* argv0);
    static bool readIsDXFrom(const QString& settingsFile);

    // Start-up only, before the application object is created.
    void initScale(const char* argv0);
    void initScaleFrom(const QString& settingsFile);

    // The choice of initScale for a display scaling factor and a physical
    // screen height; qtScaling tells whether Qt's own high-DPI scaling is used.
    struct Decision {
        double scale;
        bool qtScaling;
    };
    static Decision decideScale(double dpiScale, int screenHeight);

    // The writing window is this much taller than the main window size.
    static constexpr double kWritingHeightFactor = 1.12;
    // Before scaling, the widest fixed window (the sign-in window, 882 wide)
    // and the tallest least size (the bookshelf's, 540 high).
    static const QSize kFixedWindowSize;

    double scale() const { return m_scale; }
    // Start-up only: a scale the screen cannot hold counts as absent.
    void dropScale() { m_scale = 1.0; }
    // The proposed size, never larger than the primary screen's available area.
    QSize mainWindowSize() const;
    QSize mainWindowSizeFor(const QSize& screenSize) const;

    void adaptWidget(QWidget* widget) const;
    void adaptLayout(QLayout* layout) const;

    // For tests: set the factor directly.
    void setScaleForTest(double scale) { m_scale = scale; }

private:
    explicit DPIAdapter(QObject* parent = nullptr);

    double m_scale = 1.0;
    QMap<QString, QSize> m_windowSizes;
};
