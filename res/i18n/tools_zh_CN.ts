<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Widget_RecycleBin</name>
    <message>
        <source>The chapter could not be deleted; it stays in the recycle bin.</source>
        <translation>章节未能删除，它仍在回收站中。</translation>
    </message>
    <message>
        <source>Some chapters could not be deleted; they stay in the recycle bin.</source>
        <translation>部分章节未能删除，它们仍在回收站中。</translation>
    </message>
    <message>
        <source>The chapter could not be restored; it stays in the recycle bin.</source>
        <translation>章节未能恢复，它仍在回收站中。</translation>
    </message>
    <message>
        <source>Some chapters could not be restored; they stay in the recycle bin.</source>
        <translation>部分章节未能恢复，它们仍在回收站中。</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <translation>《%1》</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>%1 were written in on another device after they went to the recycle bin; they are kept. Delete them again to delete them for good.</source>
        <translation>%1放入回收站后在另一台设备上有新写的内容，已为您保留。如需彻底删除，请再删除一次。</translation>
    </message>
    <message>
        <source>Chapter Recyclebin</source>
        <translation>章节回收站</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Recover</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>全部删除</translation>
    </message>
    <message>
        <source>Recover All</source>
        <translation>全部恢复</translation>
    </message>
    <message>
        <source>creatTime:%1</source>
        <translation>创建时间 : %1</translation>
    </message>
    <message>
        <source>%1wordCount</source>
        <translation>%1 字</translation>
    </message>
    <message>
        <source>lastDay:%1</source>
        <translation>剩余 : %1天</translation>
    </message>
</context>
<context>
    <name>Dialog_TimeMachine</name>
    <message>
        <source>Time Machine</source>
        <translation>时光机</translation>
    </message>
    <message>
        <source>Version List(%1/%2)</source>
        <translation>版本列表（%1/%2）</translation>
    </message>
    <message>
        <source>The editor's text could not be saved; nothing was restored</source>
        <translation>编辑器中的内容未能保存，未恢复任何版本</translation>
    </message>
    <message>
        <source>The current text could not be kept as a version; nothing was restored</source>
        <translation>当前内容未能保存为历史版本，未恢复任何版本</translation>
    </message>
    <message>
        <source>The version could not be restored</source>
        <translation>该版本未能恢复</translation>
    </message>
    <message>
        <source>The version could not be read</source>
        <translation>无法读取该版本</translation>
    </message>
</context>
<context>
    <name>Widget_CompareHint</name>
    <message>
        <source>Red is the deleted section</source>
        <translation>红色为历史版本相比删除部分</translation>
    </message>
    <message>
        <source>Blue is a new section</source>
        <translation>蓝色为历史版本相比增加部分</translation>
    </message>
</context>
<context>
    <name>Widget_SensitiveWords</name>
    <message>
        <source>SensitiveWords</source>
        <translation>敏感词检测</translation>
    </message>
    <message>
        <source>In this test, a total of %1 sensitive word was found!</source>
        <translation>本次检测，共发现%1处敏感词！</translation>
    </message>
    <message>
        <source>No sensitive words were found in this test!</source>
        <translation>本次检测，未发现敏感词！</translation>
    </message>
</context>
</TS>
