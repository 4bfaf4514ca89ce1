<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookJobManager</name>
    <message>
        <source>volume regexp</source>
        <translation>^[ \t\x{3000}]*第[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+卷(?:(?![ \t\x{3000}]+(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回))[^\n]){0,30}(?:[ \t\x{3000}]+(?=(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回))|[ \t\x{3000}]*(?:\n|\z))</translation>
    </message>
    <message>
        <source>chapter regexp</source>
        <translation>^[ \t\x{3000}]*(?:第|蒂)[一二三四五六七八九十百千万两廿卅卌零〇１２３４５６７８９０0-9]+(?:章|节|回)[^\n]{0,30}(?:\n|\z)</translation>
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
