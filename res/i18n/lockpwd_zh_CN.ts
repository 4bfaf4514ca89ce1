<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Dialog_ChangeLockPwd</name>
    <message>
        <source>Creat password</source>
        <translation>创建密码</translation>
    </message>
    <message>
        <source>Change password</source>
        <translation>修改密码</translation>
    </message>
    <message>
        <source>Verify password</source>
        <translation>验证密码</translation>
    </message>
    <message>
        <source>Please enter new password</source>
        <translation>请输入新密码</translation>
    </message>
    <message>
        <source>Please enter confirm password</source>
        <translation>请输入确认密码</translation>
    </message>
    <message>
        <source>Two different passwords</source>
        <translation>两次输入的密码不一致</translation>
    </message>
    <message>
        <source>Please enter the original password</source>
        <translation>请输入原始密码</translation>
    </message>
    <message>
        <source>The original password is incorrect</source>
        <translation>原始密码错误</translation>
    </message>
</context>
</TS>
