<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookJobManager</name>
    <message>
        <source>import book failed: %1</source>
        <translation>书籍导入失败：%1</translation>
    </message>
    <message>
        <source>the book could not be stored on this computer; if the disk is full, free some space on it and import the file again</source>
        <translation>书籍无法保存到本机；如果磁盘已满，请清理出一些空间后重新导入该文件</translation>
    </message>
    <message>
        <source>the file cannot be read, or is too large</source>
        <translation>文件无法读取，或文件过大</translation>
    </message>
    <message>
        <source>the file holds no text, or its encoding is not UTF-8, UTF-16 or GBK</source>
        <translation>文件中没有文字，或文件编码不是UTF-8、UTF-16或GBK</translation>
    </message>
    <message>
        <source>the file name gives no book name</source>
        <translation>文件名不能作为书名</translation>
    </message>
    <message>
        <source>only .txt files can be imported</source>
        <translation>只能导入txt格式的文件</translation>
    </message>
    <message>
        <source>volume regexp</source>
        <translation>^[ \t\x{3000}]*第[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:卷|篇)(?:(?![ \t\x{3000}]+(?:(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回)|序言[ \t\x{3000}]*(?:\n|\z)))[^\n]){0,30}(?:[ \t\x{3000}]+(?=(?:(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回)|序言[ \t\x{3000}]*(?:\n|\z)))|[ \t\x{3000}]*(?:\n|\z))</translation>
    </message>
    <message>
        <source>chapter regexp</source>
        <translation>^[ \t\x{3000}]*(?:(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回)[^\n]{0,30}|序言[ \t\x{3000}]*)(?:\n|\z)</translation>
    </message>
    <message>
        <source>First Volume</source>
        <translation>第一卷</translation>
    </message>
    <message>
        <source>Preface</source>
        <translation>序言</translation>
    </message>
    <message>
        <source>import book failed</source>
        <translation>书籍导入失败</translation>
    </message>
    <message>
        <source>create failed,not write power</source>
        <translation>书籍导出失败，没有写入权限</translation>
    </message>
    <message>
        <source>book export success</source>
        <translation>书籍导出成功</translation>
    </message>
</context>
</TS>
