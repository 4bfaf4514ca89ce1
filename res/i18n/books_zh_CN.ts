<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookJobManager</name>
    <message>
        <source>&quot;%1&quot; was deleted for good on this device. What was written in it since is kept and goes back to the platform as a new chapter.</source>
        <translation>《%1》已在本机彻底删除。此后写入的内容已保留，将作为新章节重新上传到平台。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted for good on this device; the changes made to it since are dropped.</source>
        <translation>《%1》已在本机彻底删除，此后对它所做的修改已放弃。</translation>
    </message>
    <message>
        <source>The book is no longer in the recycle bin</source>
        <translation>该作品已不在回收站中</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was written in on another device after it went to the recycle bin; it is kept. Delete it again to delete it for good.</source>
        <translation>《%1》放入回收站后在另一台设备上有新写的内容，已为您保留。如需彻底删除，请再删除一次。</translation>
    </message>
    <message>
        <source>first chapter</source>
        <translation>第一章</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted for good on another device. What you wrote here is kept in the book recycle bin; restoring it puts it back on the platform.</source>
        <translation>《%1》已在另一台设备上彻底删除。您在本机写的内容保存在作品回收站中，恢复后会重新上传到平台。</translation>
    </message>
    <message>
        <source>chapter copy</source>
        <translation>发现章节版本冲突，已自动保存副本</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted for good on another device. What you wrote in it here is kept and goes back to the platform as a new chapter.</source>
        <translation>《%1》已在另一台设备上彻底删除。您在本机写的内容已保留，将作为新章节重新上传到平台。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted for good on another device; the changes made to it here are dropped.</source>
        <translation>《%1》已在另一台设备上彻底删除，本机对它所做的修改已放弃。</translation>
    </message>
    <message>
        <source>The open chapter's text could not be saved; it stays where it is</source>
        <translation>正在写作的章节内容未能保存，内容仍保留在编辑器中</translation>
    </message>
    <message>
        <source>An outline was deleted on another device. What you wrote in it here is kept and goes back to the platform as a new outline.</source>
        <translation>有大纲已在另一台设备上删除。您在本机写的内容已保留，将作为新大纲重新上传到平台。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; of &quot;%2&quot;, which is in the book recycle bin, was deleted for good on another device. What you wrote in it here is kept there and goes back to the platform as a new chapter.</source>
        <translation>回收站中《%2》的《%1》已在另一台设备上彻底删除。您在本机写的内容仍保留在回收站的该作品中，将作为新章节重新上传到平台。</translation>
    </message>
    <message>
        <source>An outline of &quot;%1&quot;, which is in the book recycle bin, was deleted on another device. What you wrote in it here is kept there and goes back to the platform as a new outline.</source>
        <translation>回收站中《%1》的一条大纲已在另一台设备上删除。您在本机写的内容仍保留在回收站的该作品中，将作为新大纲重新上传到平台。</translation>
    </message>
</context>
</TS>
