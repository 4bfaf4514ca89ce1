<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Creation_TextEdit</name>
    <message>
        <source>&lt;</source>
        <translation>《</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>》</translation>
    </message>
    <message>
        <source>(</source>
        <translation>（</translation>
    </message>
    <message>
        <source>)</source>
        <translation>）</translation>
    </message>
    <message>
        <source>[</source>
        <translation>【</translation>
    </message>
    <message>
        <source>]</source>
        <translation>】</translation>
    </message>
    <message>
        <source>doubleLeft</source>
        <translation>“</translation>
    </message>
    <message>
        <source>doubleRight</source>
        <translation>”</translation>
    </message>
    <message>
        <source>singleLeft</source>
        <translation>‘</translation>
    </message>
    <message>
        <source>singleRight</source>
        <translation>’</translation>
    </message>
    <message>
        <source>%1px</source>
        <translation>%1号</translation>
    </message>
    <message>
        <source>Font Color</source>
        <translation>字体颜色</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>粗体</translation>
    </message>
    <message>
        <source>Italics</source>
        <translation>斜体</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>下划线</translation>
    </message>
    <message>
        <source>Split</source>
        <translation>分割线</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>粘贴</translation>
    </message>
    <message>
        <source>SelectAll</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>文字居中</translation>
    </message>
    <message>
        <source>Bespread</source>
        <translation>文字铺满</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Content</name>
    <message>
        <source>Chapter Number: %1</source>
        <translation>本章字数：%1</translation>
    </message>
    <message>
        <source>speed:%1hour</source>
        <translation>速度：%1字/小时</translation>
    </message>
    <message>
        <source>speed:%1sec</source>
        <translation>速度：%1秒后统计</translation>
    </message>
    <message>
        <source>The chapter could not be read</source>
        <translation>章节内容读取失败</translation>
    </message>
    <message>
        <source>The chapter could not be saved</source>
        <translation>章节保存失败，内容仍在编辑器中</translation>
    </message>
</context>
<context>
    <name>Widget_Creation</name>
    <message>
        <source>Vellora Writing</source>
        <translation>Vellora 写作</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>当前处于锁定状态</translation>
    </message>
    <message>
        <source>Back to bookshelf</source>
        <translation>返回书架</translation>
    </message>
</context>
<context>
    <name>CUiManager</name>
    <message>
        <source>turn off the full screen by pressing esc key.</source>
        <translation>按 Esc 键退出全屏</translation>
    </message>
    <message>
        <source>Client opens locked</source>
        <translation>客户端已锁定</translation>
    </message>
    <message>
        <source>Client close locked</source>
        <translation>客户端已解除锁定</translation>
    </message>
</context>
</TS>
