#include "ui/bookshelf/Dialog_BookImportRule.h"

#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

Dialog_BookImportRule::Dialog_BookImportRule(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_BookImportRule_Bg"), QSize(358, 546), parent)
{
    setTitle(tr("Book Import Rule"));
    titleBar()->setFixedHeight(px(46));
    content()->setSpacing(px(4));
    content()->setContentsMargins(px(24), px(12), px(24), px(20));

    auto addLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setMinimumHeight(px(20));
        content()->addWidget(label);
    };
    addLabel("label", tr("1、导入格式仅支持txt"));
    addLabel("label_4", tr("2、书籍正文需要有卷、章进行序号区分；卷"));
    addLabel("label_8", tr("和章中间需要有空格分隔；第*卷/篇 第*章/"));
    addLabel("label_9", tr("节/回 例："));

    m_textEdit = new QTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setEnabled(false);
    m_textEdit->setMinimumHeight(px(170));
    m_textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rendered as a chapter is in the editor, so the author sees what the
    // import will make of it.
    QString html;
    CUiManager::chapterToHtml(exampleText(), html, px(14), px(10), px(10), 0);
    m_textEdit->setHtml(html);
    content()->addWidget(m_textEdit);

    addLabel("label_2", tr("如不符合以上格式，可能会出现以下情况："));
    addLabel("label_3", tr("1、导入时没有反应"));
    addLabel("label_7", tr("2、导入后出现乱码"));
    addLabel("label_6", tr("3、导入后一片空白"));
    addLabel("label_5", tr("4、导入后全部内容归入一个章节"));
    content()->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(px(20));
    m_btnConfirm = new QPushButton(tr("确认"), this);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnCancel = new QPushButton(tr("取消"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* b : {m_btnConfirm, m_btnCancel}) {
        b->setFixedSize(px(92), px(30));
        b->setCursor(Qt::PointingHandCursor);
    }
    buttons->addStretch();
    buttons->addWidget(m_btnConfirm);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();
    content()->addLayout(buttons);

    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &QDialog::accept);
    // "Cancel" here only dismisses the notice: the author still wants to import.
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::accept);
    DialogKeys::setUp(this, m_btnConfirm, m_btnConfirm);
}

QString Dialog_BookImportRule::exampleText()
{
    return tr("第一卷 第一章\n章节内容\n\n第一卷 第二章\n章节内容\n\n第一卷 第三章\n章节内容");
}
