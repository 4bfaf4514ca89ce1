<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CreationControlItemModel</name>
    <message>
        <source>export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>gist</source>
        <translation>大纲</translation>
    </message>
    <message>
        <source>name</source>
        <translation>随机取名</translation>
    </message>
    <message>
        <source>onkey</source>
        <translation>一键排版</translation>
    </message>
    <message>
        <source>search</source>
        <translation>查找替换</translation>
    </message>
    <message>
        <source>sensitive</source>
        <translation>敏感词</translation>
    </message>
    <message>
        <source>dark</source>
        <translation>夜间模式</translation>
    </message>
    <message>
        <source>light</source>
        <translation>日间模式</translation>
    </message>
    <message>
        <source>lock house</source>
        <translation>小黑屋</translation>
    </message>
    <message>
        <source>memo</source>
        <translation>便签</translation>
    </message>
    <message>
        <source>setting</source>
        <translation>写作设置</translation>
    </message>
    <message>
        <source>not focus</source>
        <translation>无</translation>
    </message>
    <message>
        <source>focus2</source>
        <translation>行聚焦</translation>
    </message>
    <message>
        <source>focus1</source>
        <translation>段聚焦</translation>
    </message>
</context>
<context>
    <name>Dialog_WritingSettings</name>
    <message>
        <source>Writing Settings</source>
        <translation>写作设置</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Content</name>
    <message>
        <source>Typing sounds on, but this computer has no sound output</source>
        <translation>打字音效已开启，但本机没有可用的声音输出</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>当前已锁定</translation>
    </message>
    <message>
        <source>sound open</source>
        <translation>打字音效已开启</translation>
    </message>
    <message>
        <source>sound close</source>
        <translation>打字音效已关闭</translation>
    </message>
</context>
</TS>
