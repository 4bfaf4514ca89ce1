#include "Widget_CompareHint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

Widget_CompareHint::Widget_CompareHint(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_CompareHint"));
    setFixedSize(246, 56);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Widget_CompareHint_Bg"));
    bg->setAttribute(Qt::WA_StyledBackground, true);
    outer->addWidget(bg);
    auto* rows = new QVBoxLayout(bg);
    rows->setContentsMargins(6, 4, 0, 4);
    rows->setSpacing(6);
    auto addRow = [bg, rows](const QString& dotName, const QString& labelName) {
        auto* row = new QHBoxLayout();
        row->setContentsMargins(20, 0, 0, 0);
        row->setSpacing(6);
        auto* dot = new QLabel(bg);
        dot->setObjectName(dotName);
        dot->setFixedSize(6, 6);
        auto* label = new QLabel(bg);
        label->setObjectName(labelName);
        row->addWidget(dot);
        row->addWidget(label, 1);
        rows->addLayout(row);
        return label;
    };
    m_red = addRow(QStringLiteral("labelRed"), QStringLiteral("label"));
    m_blue = addRow(QStringLiteral("labelBlue"), QStringLiteral("label_2"));

    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_red->setText(tr("Red is the deleted section"));
    m_blue->setText(tr("Blue is a new section"));
}

Widget_CompareHint::~Widget_CompareHint() = default;
