<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CMemoManager</name>
    <message>
        <source>A memo was deleted on another device. What you wrote in it here is kept and goes back to the platform as a new memo.</source>
        <translation>有便签已在另一台设备上删除。您在本机写的内容已保留，将作为新便签重新上传到平台。</translation>
    </message>
</context>
<context>
    <name>MemoItemWidget</name>
    <message>
        <source>The memo&apos;s colour could not be stored; it keeps its colour.</source>
        <translation>便签的颜色未能保存，它仍用原来的颜色。</translation>
    </message>
    <message>
        <source>The memo could not be pinned or unpinned; it stays as it was.</source>
        <translation>便签未能钉住或取消钉住，它保持原样。</translation>
    </message>
    <message>
        <source>The memo could not be saved; its text stays in its window.
%1</source>
        <translation>便签未能保存，文字仍留在便签窗口中。
%1</translation>
    </message>
    <message>
        <source>The memo could not be saved; its window stays open so that no word is lost</source>
        <translation>便签未能保存，为免丢失文字，便签窗口暂不关闭</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>粘贴</translation>
    </message>
    <message>
        <source>&lt;</source>
        <translation>《</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>》</translation>
    </message>
</context>
<context>
    <name>MemoListWidget</name>
    <message>
        <source>The memo could not be deleted; it stays in the list.</source>
        <translation>便签未能删除，它仍在列表中。</translation>
    </message>
    <message>
        <source>便签</source>
        <translation>便签</translation>
    </message>
</context>
<context>
    <name>CMemoListDelegate</name>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Do you want to delete the current note?</source>
        <translation>确定删除当前便签吗？</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
</TS>
