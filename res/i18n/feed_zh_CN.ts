<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CSynDataManager</name>
    <message>
        <source>chapter copy</source>
        <translation>发现章节版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source>memo copy</source>
        <translation>发现便签版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source>outline copy</source>
        <translation>发现大纲版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source> (copy)</source>
        <translation>（副本）</translation>
    </message>
</context>
<context>
    <name>CSystemManager</name>
    <message>
        <source>network error</source>
        <translation>网络连接失败</translation>
    </message>
    <message>
        <source>network success</source>
        <translation>网络已恢复</translation>
    </message>
</context>
</TS>
