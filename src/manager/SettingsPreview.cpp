#include "SettingsPreview.h"

#include <QList>

namespace {
QList<SettingsPreview*>& openPreviews()
{
    static QList<SettingsPreview*> open;
    return open;
}
}

SettingsPreview::~SettingsPreview()
{
    cancel();
}

void SettingsPreview::begin(std::function<void()> putBack)
{
    if (m_putBack)
        return;
    m_putBack = std::move(putBack);
    openPreviews().append(this);
}

void SettingsPreview::confirm()
{
    m_putBack = nullptr;
    openPreviews().removeAll(this);
}

void SettingsPreview::cancel()
{
    if (!m_putBack)
        return;
    const std::function<void()> putBack = std::move(m_putBack);
    confirm();
    putBack();
}

void SettingsPreview::cancelAll()
{
    const QList<SettingsPreview*> open = openPreviews();
    for (SettingsPreview* preview : open)
        preview->cancel();
}
