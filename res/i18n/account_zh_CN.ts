<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CUserJobManager</name>
    <message>
        <source>I checked in today</source>
        <translation>今天已经签到过了</translation>
    </message>
    <message>
        <source>Sign in successfully</source>
        <translation>签到成功</translation>
    </message>
    <message>
        <source>Sign in failed</source>
        <translation>签到失败</translation>
    </message>
</context>
<context>
    <name>CJobManager</name>
    <message>
        <source>You stay signed in: the sign-out could not be stored.
%1</source>
        <translation>退出登录未能保存，您仍处于登录状态。
%1</translation>
    </message>
</context>
</TS>
