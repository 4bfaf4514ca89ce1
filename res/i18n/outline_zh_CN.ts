<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>COutlineController</name>
    <message>
        <source>The outline could not be deleted; it stays in the list.</source>
        <translation>大纲未能删除，它仍在列表中。</translation>
    </message>
    <message>
        <source>Some outlines could not be deleted; they stay in the list.</source>
        <translation>部分大纲未能删除，它们仍在列表中。</translation>
    </message>
    <message>
        <source>The outline&apos;s new place could not be stored; it stays where it was.</source>
        <translation>大纲的新位置未能保存，它仍在原处。</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this outline?</source>
        <translation>确定要删除这条大纲吗？</translation>
    </message>
    <message>
        <source>Are you sure you want to delete selected outline?</source>
        <translation>确定要删除选中的大纲吗？</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>The outline could not be saved; its text stays in the card.
%1</source>
        <translation>大纲未能保存，文字仍留在大纲卡片中。
%1</translation>
    </message>
</context>
<context>
    <name>COutlineModel</name>
    <message>
        <source>Outline</source>
        <translation>大纲</translation>
    </message>
    <message>
        <source>save local</source>
        <translation>保存到本地</translation>
    </message>
    <message>
        <source>create failed</source>
        <translation>创建失败</translation>
    </message>
</context>
<context>
    <name>outline</name>
    <message>
        <source>please input bool outline</source>
        <translation>请输入本书概要</translation>
    </message>
    <message>
        <source>please input plot outline</source>
        <translation>请输入情节概要</translation>
    </message>
    <message>
        <source>please input people outline</source>
        <translation>请输入人物概要</translation>
    </message>
    <message>
        <source>please input other outline</source>
        <translation>请输入其他概要</translation>
    </message>
</context>
</TS>
