<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Dialog_WritingLock</name>
    <message>
        <source>Lock</source>
        <translation>小黑屋</translation>
    </message>
    <message>
        <source>Lock time: minimum 10 minutes, maximum 24 hours</source>
        <translation>锁定时间：最少10分钟，最多24小时</translation>
    </message>
    <message>
        <source>Lock words minimum 1000, maximum 200,000</source>
        <translation>锁定字数：最少1000字，最多200,000字</translation>
    </message>
    <message>
        <source>The lock could not be saved</source>
        <translation>锁定设置保存失败</translation>
    </message>
</context>
<context>
    <name>Dialog_Reboot</name>
    <message>
        <source>Reboot</source>
        <translation>关机重启</translation>
    </message>
</context>
<context>
    <name>CRandomNameDelegate</name>
    <message>
        <source>Copyed</source>
        <translation>已复制</translation>
    </message>
</context>
<context>
    <name>Widget_RandomName</name>
    <message>
        <source>RandomName</source>
        <translation>随机取名</translation>
    </message>
    <message>
        <source>Family</source>
        <translation>姓氏</translation>
    </message>
    <message>
        <source>RandomSurname</source>
        <translation>随机姓氏</translation>
    </message>
    <message>
        <source>RandomSuffix</source>
        <translation>随机后缀</translation>
    </message>
    <message>
        <source>Toponym Suffix</source>
        <translation>地名后缀</translation>
    </message>
    <message>
        <source>Toponym Bizarre</source>
        <translation>奇幻地名</translation>
    </message>
    <message>
        <source>Gong Bizarre</source>
        <translation>奇幻功法</translation>
    </message>
    <message>
        <source>Gong Dragon</source>
        <translation>武侠功法</translation>
    </message>
    <message>
        <source>Gong Fantasy</source>
        <translation>玄幻功法</translation>
    </message>
</context>
</TS>
