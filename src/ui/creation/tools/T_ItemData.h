#pragma once

#include <QMetaType>
#include <QString>

// One tool command of the writing window: a row of a tool panel or the
// editor context menu's entry. `id` is the tool code the editor pane acts on.
struct T_ItemData
{
    T_ItemData(int id_, int type_, int panel_, const QString& icon_ = QString(), const QString& text_ = QString(),
               const QString& shortcut_ = QString(), const QString& altIcon_ = QString(),
               const QString& altText_ = QString())
        : type(type_), text(text_), altText(altText_), shortcut(shortcut_), icon(icon_), altIcon(altIcon_), id(id_),
          panel(panel_)
    {
    }

    int type = 1;       // 1 tool entry, 6 choice entry
    QString text;
    QString altText;
    QString shortcut;   // key hint; for the font size command its value
    QString icon;       // may be "normal&&&hover"
    QString altIcon;
    int id = 0;
    bool closesPanel = true;
    bool enabled = true;
    bool checked = false;
    int panel = 0;      // 1 tool panel, 3 focus panel
};

Q_DECLARE_METATYPE(T_ItemData*)
