#pragma once

#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QApplication>
#include <QTranslator>

// The light theme and the shown (translated) texts, for as long as it lives.
class ScreenshotTheme
{
public:
    ScreenshotTheme()
    {
        m_loaded = m_translator.load(QStringLiteral(":/res/client.qm"));
        if (m_loaded)
            qApp->installTranslator(&m_translator);
        CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
        CQssManager::instance()->applyStyle(StyleLight);
    }
    ~ScreenshotTheme()
    {
        if (m_loaded)
            qApp->removeTranslator(&m_translator);
    }
    bool loaded() const { return m_loaded; }

private:
    QTranslator m_translator;
    bool m_loaded = false;
};
