<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBookListDelegate</name>
    <message>
        <source>Synchronous</source>
        <translation>同步中</translation>
    </message>
    <message>
        <source>Importing</source>
        <translation>导入中</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>字</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>BookInfo</source>
        <translation>作品信息</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>大纲</translation>
    </message>
    <message>
        <source>BookExport</source>
        <translation>导出作品</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>创建作品</translation>
    </message>
    <message>
        <source>Create Outline</source>
        <translation>创建大纲</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入作品</translation>
    </message>
</context>
<context>
    <name>Widget_BookShelfList</name>
    <message>
        <source>The book could not be moved to the recycle bin; it stays on the shelf.</source>
        <translation>作品未能移入回收站，它仍在书架上。</translation>
    </message>
    <message>
        <source>The new book could not be stored.</source>
        <translation>新作品未能保存。</translation>
    </message>
    <message>
        <source>Book Recycle</source>
        <translation>回收站</translation>
    </message>
    <message>
        <source>BookExport</source>
        <translation>导出作品</translation>
    </message>
    <message>
        <source>Failed to export book</source>
        <translation>导出作品失败</translation>
    </message>
    <message>
        <source>Failed to delete book</source>
        <translation>删除作品失败</translation>
    </message>
    <message>
        <source>Failed to add book</source>
        <translation>创建作品失败</translation>
    </message>
    <message>
        <source>importing book</source>
        <translation>正在导入作品</translation>
    </message>
    <message>
        <source>Are you sure to delete %1?</source>
        <translation>确定要删除《%1》吗？</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
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
<context>
    <name>Widget_Bookshelf_Top</name>
    <message>
        <source>Synchronize</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>主题</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Synchronous success</source>
        <translation>同步成功</translation>
    </message>
    <message>
        <source>Synchronization failure</source>
        <translation>同步失败</translation>
    </message>
</context>
<context>
    <name>Widget_Bookshelf</name>
    <message>
        <source>Vellora Writing</source>
        <translation>Vellora 写作</translation>
    </message>
    <message>
        <source>写作</source>
        <translation>写作</translation>
    </message>
    <message>
        <source>个人数据</source>
        <translation>个人数据</translation>
    </message>
    <message>
        <source>便签</source>
        <translation>便签</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>主页</translation>
    </message>
    <message>
        <source>Community</source>
        <translation>社区</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>当前处于锁定状态</translation>
    </message>
</context>
<context>
    <name>Dialog_CreateBook</name>
    <message>
        <source>Enter a book name to save</source>
        <translation>请先输入作品名称再保存</translation>
    </message>
    <message>
        <source>Create Book</source>
        <translation>创建作品</translation>
    </message>
    <message>
        <source>Book Name</source>
        <translation>作品名称</translation>
    </message>
    <message>
        <source>Please enter book name</source>
        <translation>请输入作品名称</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Please select the cover image</source>
        <translation>请选择封面图片</translation>
    </message>
</context>
<context>
    <name>Dialog_BookInfo</name>
    <message>
        <source>The book&apos;s information could not be stored.</source>
        <translation>作品信息未能保存。</translation>
    </message>
    <message>
        <source>Not chosen</source>
        <translation>未选择</translation>
    </message>
    <message>
        <source>Book Info</source>
        <translation>作品信息</translation>
    </message>
    <message>
        <source>Book Name</source>
        <translation>作品名称</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Failed to save book</source>
        <translation>保存作品失败</translation>
    </message>
    <message>
        <source>Please enter book name</source>
        <translation>请输入书名</translation>
    </message>
    <message>
        <source>Cover</source>
        <translation>封面</translation>
    </message>
    <message>
        <source>Please enter the introduction, 20-500 words</source>
        <translation>请输入作品简介，20-500字</translation>
    </message>
    <message>
        <source>BookInfo</source>
        <translation>作品信息</translation>
    </message>
    <message>
        <source>BookCover</source>
        <translation>作品封面</translation>
    </message>
    <message>
        <source>Please select the cover image</source>
        <translation>请选择封面图片</translation>
    </message>
</context>
<context>
    <name>Dialog_BookRecycle</name>
    <message>
        <source>The book could not be restored; it stays in the recycle bin.</source>
        <translation>作品未能恢复，它仍在回收站中。</translation>
    </message>
    <message>
        <source>The book could not be deleted; it stays in the recycle bin.</source>
        <translation>作品未能删除，它仍在回收站中。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no longer in the recycle bin</source>
        <translation>《%1》已不在回收站中</translation>
    </message>
    <message>
        <source>Book Recycle</source>
        <translation>回收站</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>彻底删除</translation>
    </message>
    <message>
        <source>Failed to restore book</source>
        <translation>恢复作品失败</translation>
    </message>
    <message>
        <source>Failed to delete book</source>
        <translation>删除作品失败</translation>
    </message>
    <message>
        <source>Are you sure to delete %1?</source>
        <translation>确定要彻底删除《%1》吗？</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Are you sure to restore %1?</source>
        <translation>确定要恢复《%1》吗？</translation>
    </message>
</context>
</TS>
