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
</context>
</TS>
