<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookJobManager</name>
    <message>
        <source>first chapter</source>
        <translation>第一章</translation>
    </message>
    <message>
        <source>chapter copy</source>
        <translation>发现章节版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source>The open chapter's text could not be saved; it stays where it is</source>
        <translation>正在写作的章节内容未能保存，内容仍保留在编辑器中</translation>
    </message>
</context>
</TS>
