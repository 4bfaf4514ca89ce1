<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Dialog_UpdateOnline</name>
    <message>
        <source>The update address is not trusted</source>
        <translation>更新地址不可信，未下载</translation>
    </message>
    <message>
        <source>The update could not be downloaded</source>
        <translation>更新下载失败</translation>
    </message>
    <message>
        <source>The update could not be started</source>
        <translation>更新程序无法启动，请稍后重试</translation>
    </message>
    <message>
        <source>write not permission</source>
        <translation>没有写入权限</translation>
    </message>
</context>
</TS>
