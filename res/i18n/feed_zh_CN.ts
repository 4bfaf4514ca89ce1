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
        <source>A chapter you deleted for good was restored or written in on another device; it is kept.</source>
        <translation>您彻底删除的章节已在另一台设备上被恢复或修改，该章节已保留。</translation>
    </message>
    <message>
        <source>A book you deleted for good was restored or written in on another device; it is kept.</source>
        <translation>您彻底删除的作品已在另一台设备上被恢复或修改，该作品已保留。</translation>
    </message>
    <message>
        <source>A chapter was deleted for good on another device; what you wrote in it here is kept as a chapter of its own.</source>
        <translation>有章节已在另一台设备上彻底删除，您在本机写的内容已另存为新章节。</translation>
    </message>
    <message>
        <source>outline copy</source>
        <translation>发现大纲版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source> (copy)</source>
        <translation>（副本）</translation>
    </message>
    <message>
        <source>A memo you deleted was written in on another device; it is kept.</source>
        <translation>您删除的便签已在另一台设备上被修改，该便签已保留。</translation>
    </message>
    <message>
        <source>An outline you deleted was written in on another device; it is kept.</source>
        <translation>您删除的大纲已在另一台设备上被修改，该大纲已保留。</translation>
    </message>
    <message>
        <source>A chapter you deleted for good was written in or restored on another device just before your delete reached the platform; it is deleted all the same, with what was written there.</source>
        <translation>您彻底删除的章节在删除送达平台前刚在另一台设备上被修改或恢复；该章节仍已删除，那台设备写下的内容也随之删除。</translation>
    </message>
    <message>
        <source>A book you deleted for good was written in or restored on another device just before your delete reached the platform; it is deleted all the same, with what was written there.</source>
        <translation>您彻底删除的作品在删除送达平台前刚在另一台设备上被修改或恢复；该作品仍已删除，那台设备写下的内容也随之删除。</translation>
    </message>
    <message>
        <source>A memo you deleted was written in on another device just before your delete reached the platform; it is deleted all the same, with what was written there.</source>
        <translation>您删除的便签在删除送达平台前刚在另一台设备上被修改；该便签仍已删除，那台设备写下的内容也随之删除。</translation>
    </message>
    <message>
        <source>An outline you deleted was written in on another device just before your delete reached the platform; it is deleted all the same, with what was written there.</source>
        <translation>您删除的大纲在删除送达平台前刚在另一台设备上被修改；该大纲仍已删除，那台设备写下的内容也随之删除。</translation>
    </message>
</context>
<context>
    <name>CJobManager</name>
    <message>
        <source>The platform refused the change of %1 (%2); it is as the platform has it again.</source>
        <translation>平台拒绝了对%1的修改（%2），已恢复为平台上的内容。</translation>
    </message>
    <message>
        <source>The platform refused the change of %1 (%2); it is as the platform has it again, and what you wrote is kept as a copy marked &quot;%3&quot;.</source>
        <translation>平台拒绝了对%1的修改（%2），已恢复为平台上的内容；您写的内容已另存为标有“%3”的副本。</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>a memo</source>
        <translation>一条便签</translation>
    </message>
    <message>
        <source>text</source>
        <translation>正文</translation>
    </message>
    <message>
        <source>colour</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>place</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>outline &quot;%1&quot;</source>
        <translation>大纲“%1”</translation>
    </message>
    <message>
        <source>chapter &quot;%1&quot;</source>
        <translation>章节“%1”</translation>
    </message>
    <message>
        <source>name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>recycle</source>
        <translation>移入回收站</translation>
    </message>
    <message>
        <source>restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>the chapters of &quot;%1&quot;</source>
        <translation>“%1”的章节</translation>
    </message>
    <message>
        <source>volume &quot;%1&quot;</source>
        <translation>分卷“%1”</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>the volumes of &quot;%1&quot;</source>
        <translation>“%1”的分卷</translation>
    </message>
    <message>
        <source>the outline of &quot;%1&quot;</source>
        <translation>“%1”的大纲</translation>
    </message>
    <message>
        <source>order</source>
        <translation>顺序</translation>
    </message>
    <message>
        <source>book &quot;%1&quot;</source>
        <translation>作品“%1”</translation>
    </message>
    <message>
        <source>introduction</source>
        <translation>简介</translation>
    </message>
    <message>
        <source>category</source>
        <translation>分类</translation>
    </message>
    <message>
        <source>cover</source>
        <translation>封面</translation>
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
