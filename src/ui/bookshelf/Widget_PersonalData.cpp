#include "Widget_PersonalData.h"

#include "common/DPIAdapter.h"

#include <QDebug>
#include <QVBoxLayout>
#include <QColor>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

Widget_PersonalData::Widget_PersonalData(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_PersonalData"));
    const double s = DPIAdapter::instance()->scale();
    resize(int(713 * s), int(513 * s));
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("verticalLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->page()->profile()->clearHttpCache();
    m_view->page()->setZoomFactor(s);
    layout->addWidget(m_view);
    connect(m_view, &QWebEngineView::loadFinished, this, &Widget_PersonalData::onLoadFinished);
}

void Widget_PersonalData::loadPersionData(const QString& url, int theme, const QString& data)
{
    // Stored first: a load finishing later hands over these data.
    m_data = data;
    // Until the page paints (or when it cannot load) the view shows its own
    // background, which must not be a white sheet in the dark skin.
    m_view->page()->setBackgroundColor(theme == 1 ? QColor(QStringLiteral("#24262b")) : QColor(Qt::white));
    if (theme != m_theme)
        m_view->load(QUrl(url + QStringLiteral("?theme=%1").arg(theme)));
    else
        m_view->page()->runJavaScript(QStringLiteral("getDataFromQt(%1)").arg(data));
    qDebug() << "PersionData" << data;
    m_theme = theme;
}

void Widget_PersonalData::onLoadFinished(bool result)
{
    if (!result) {
        qDebug() << "loadError";
        return;
    }
    m_view->page()->runJavaScript(QStringLiteral("getDataFromQt(%1)").arg(m_data));
}
