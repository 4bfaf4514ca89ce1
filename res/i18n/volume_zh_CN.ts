<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookVolumeController</name>
    <message>
        <source>The new volume could not be stored.</source>
        <translation>新卷未能保存。</translation>
    </message>
    <message>
        <source>The new chapter could not be stored.</source>
        <translation>新章节未能保存。</translation>
    </message>
    <message>
        <source>The volume&apos;s new place could not be stored; it stays where it was.</source>
        <translation>卷的新位置未能保存，它仍在原处。</translation>
    </message>
    <message>
        <source>The chapter&apos;s new place could not be stored; it stays where it was.</source>
        <translation>章节的新位置未能保存，它仍在原处。</translation>
    </message>
    <message>
        <source>The volume&apos;s new name could not be stored; it keeps its name.</source>
        <translation>卷的新名称未能保存，它仍用原名。</translation>
    </message>
    <message>
        <source>The chapter&apos;s new name could not be stored; it keeps its name.</source>
        <translation>章节的新名称未能保存，它仍用原名。</translation>
    </message>
    <message>
        <source>The chapter could not be moved to the recycle bin; it stays where it was.</source>
        <translation>章节未能移入回收站，它仍在原处。</translation>
    </message>
    <message>
        <source>The volume could not be deleted; it stays where it was.</source>
        <translation>卷未能删除，它仍在原处。</translation>
    </message>
    <message>
        <source>The imported text could not be stored; the new chapter stays empty.</source>
        <translation>导入的正文未能保存，新章节仍为空。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Open New Tag</source>
        <translation>打开新标签页</translation>
    </message>
    <message>
        <source>Creater Chapter</source>
        <translation>创建新章</translation>
    </message>
    <message>
        <source>Rename Chapter</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出本章</translation>
    </message>
    <message>
        <source>Time Machine</source>
        <translation>时光机</translation>
    </message>
    <message>
        <source>Up Chapter</source>
        <translation>上移一章</translation>
    </message>
    <message>
        <source>Down Chapter</source>
        <translation>下移一章</translation>
    </message>
    <message>
        <source>Delete Chapter</source>
        <translation>删除章节</translation>
    </message>
    <message>
        <source>Creat Volume</source>
        <translation>创建新卷</translation>
    </message>
    <message>
        <source>Rename Volume</source>
        <translation>重命名</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入章节</translation>
    </message>
    <message>
        <source>Up Volume</source>
        <translation>上移一卷</translation>
    </message>
    <message>
        <source>Down Volume</source>
        <translation>下移一卷</translation>
    </message>
    <message>
        <source>Delete Volume</source>
        <translation>删除本卷</translation>
    </message>
    <message>
        <source>delete chapter?</source>
        <translation>确认要删除本章吗？
        删除后在章节回收站中仍然可以看到。</translation>
    </message>
    <message>
        <source>delete volume?</source>
        <translation>是否删除当前卷，删除后卷下章节可以从章节回收站找回。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>import chapter</source>
        <translation>导入章节</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>open file failed</source>
        <translation>打开文件失败</translation>
    </message>
    <message>
        <source>read file failed</source>
        <translation>读取文件失败</translation>
    </message>
    <message>
        <source>unknown encoding</source>
        <translation>无法识别文件的编码</translation>
    </message>
    <message>
        <source>select volume</source>
        <translation>请先选择分卷</translation>
    </message>
    <message>
        <source>save chapter failed</source>
        <translation>保存章节失败</translation>
    </message>
    <message>
        <source>no book open</source>
        <translation>没有打开的作品</translation>
    </message>
    <message>
        <source>import failed</source>
        <translation>导入失败</translation>
    </message>
    <message>
        <source>select chapter</source>
        <translation>请选择章节</translation>
    </message>
    <message>
        <source>save local</source>
        <translation>请选择保存的位置</translation>
    </message>
    <message>
        <source>create failed</source>
        <translation>创建失败</translation>
    </message>
    <message>
        <source>create power</source>
        <translation>没有写入权限</translation>
    </message>
    <message>
        <source>write file failed</source>
        <translation>写入文件失败</translation>
    </message>
    <message>
        <source>read chapter failed</source>
        <translation>读取章节失败</translation>
    </message>
</context>
<context>
    <name>volume</name>
    <message>
        <source>create volume</source>
        <translation>创建新卷</translation>
    </message>
    <message>
        <source>create chapter</source>
        <translation>创建新章</translation>
    </message>
    <message>
        <source>recycle bin</source>
        <translation>章节回收站</translation>
    </message>
    <message>
        <source>sort</source>
        <translation>排序</translation>
    </message>
</context>
</TS>
