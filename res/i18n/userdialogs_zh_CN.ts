<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Dialog_UserInfo</name>
    <message>
        <source>UserInfo</source>
        <translation>个人信息</translation>
    </message>
    <message>
        <source>User modified successfully</source>
        <translation>个人信息修改成功</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
</context>
<context>
    <name>Dialog_BookImportRule</name>
    <message>
        <source>Book Import Rule</source>
        <translation>导入规则</translation>
    </message>
</context>
</TS>
