<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Creation_TextEdit</name>
    <message>
        <source>&lt;</source>
        <translation>《</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>》</translation>
    </message>
    <message>
        <source>(</source>
        <translation>（</translation>
    </message>
    <message>
        <source>)</source>
        <translation>）</translation>
    </message>
    <message>
        <source>[</source>
        <translation>【</translation>
    </message>
    <message>
        <source>]</source>
        <translation>】</translation>
    </message>
    <message>
        <source>doubleLeft</source>
        <translation>“</translation>
    </message>
    <message>
        <source>doubleRight</source>
        <translation>”</translation>
    </message>
    <message>
        <source>singleLeft</source>
        <translation>‘</translation>
    </message>
    <message>
        <source>singleRight</source>
        <translation>’</translation>
    </message>
    <message>
        <source>%1px</source>
        <translation>%1号</translation>
    </message>
    <message>
        <source>Font Color</source>
        <translation>字体颜色</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>粗体</translation>
    </message>
    <message>
        <source>Italics</source>
        <translation>斜体</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>下划线</translation>
    </message>
    <message>
        <source>Split</source>
        <translation>分割线</translation>
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
        <source>SelectAll</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>文字居中</translation>
    </message>
    <message>
        <source>Bespread</source>
        <translation>文字铺满</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Content</name>
    <message>
        <source>repalce all are sure</source>
        <translation>确定将全部“%1”替换为“%2”吗？</translation>
    </message>
    <message>
        <source>null</source>
        <translation>空</translation>
    </message>
    <message>
        <source>replace all</source>
        <translation>全部替换</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>no</source>
        <translation>否</translation>
    </message>
    <message>
        <source>The chapter could not be read</source>
        <translation>章节内容读取失败</translation>
    </message>
    <message>
        <source>The fee rate could not be saved</source>
        <translation>稿费标准保存失败</translation>
    </message>
    <message>
        <source>The chapter could not be saved</source>
        <translation>章节保存失败，内容仍在编辑器中</translation>
    </message>
    <message>
        <source>The chapter could not be saved; it stays open so that no word is lost</source>
        <translation>章节未能保存，章节保持打开，以免丢失内容</translation>
    </message>
    <message>
        <source>The chapter could not be saved; the text stays in the editor</source>
        <translation>章节未能保存，内容仍保留在编辑器中</translation>
    </message>
    <message>
        <source>Chapter Number: %1</source>
        <translation>本章字数：%1</translation>
    </message>
    <message>
        <source>lock:%1/%2word</source>
        <translation>锁定进度：%1/%2字</translation>
    </message>
    <message>
        <source>lock:%1/%2sec</source>
        <translation>锁定进度：%1/%2秒</translation>
    </message>
</context>
<context>
    <name>Widget_Creation</name>
    <message>
        <source>Vellora Writing</source>
        <translation>Vellora 写作</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>当前处于锁定状态</translation>
    </message>
    <message>
        <source>The chapter's text could not be saved; it was kept in %1</source>
        <translation>章节内容未能保存，已另存到 %1</translation>
    </message>
    <message>
        <source>The chapter you were writing was moved to the recycle bin or deleted</source>
        <translation>正在写作的章节已被移入回收站或删除</translation>
    </message>
    <message>
        <source>The book you were writing was moved to the recycle bin or deleted</source>
        <translation>正在写作的作品已被移入回收站或删除</translation>
    </message>
    <message>
        <source>The chapter could not be saved; the book stays open so that no word is lost</source>
        <translation>章节未能保存，作品保持打开，以免丢失内容</translation>
    </message>
</context>
<context>
    <name>CUiManager</name>
    <message>
        <source>Writing lock: it ends by itself after %1 minutes of writing</source>
        <translation>写作锁定中：写作满 %1 分钟后自动解锁</translation>
    </message>
    <message>
        <source>Writing lock: it ends by itself once %1 words are written</source>
        <translation>写作锁定中：写满 %1 字后自动解锁</translation>
    </message>
    <message>
        <source>turn off the full screen by pressing esc key.</source>
        <translation>按 Esc 键退出全屏</translation>
    </message>
    <message>
        <source>Client opens locked</source>
        <translation>客户端已锁定</translation>
    </message>
    <message>
        <source>Client close locked</source>
        <translation>客户端已解除锁定</translation>
    </message>
    <message>
        <source>Text that could not be saved last time was kept in %1</source>
        <translation>上次未能保存的文字已保存在 %1</translation>
    </message>
    <message>
        <source>The chapter could not be saved; you stay signed in so that no word is lost</source>
        <translation>本章未能保存，为免丢失文字，暂不退出登录</translation>
    </message>
    <message>
        <source>The words of the chapter &quot;%1&quot; could not be saved, and they could not be kept on disk in %2 either: the disk may be full or failing. Choose another folder (another disk or a USB stick) to keep them in, or they are lost.</source>
        <translation>章节“%1”的文字未能保存，也未能存入磁盘上的 %2：磁盘可能已满或出现故障。请另选一个文件夹（其他磁盘或U盘）保存这些文字，否则它们将会丢失。</translation>
    </message>
    <message>
        <source>Text not saved</source>
        <translation>文字未保存</translation>
    </message>
    <message>
        <source>Choose another folder</source>
        <translation>另选文件夹</translation>
    </message>
    <message>
        <source>Lose the words</source>
        <translation>放弃这些文字</translation>
    </message>
    <message>
        <source>Keep the words in</source>
        <translation>将文字保存到</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Top</name>
    <message>
        <source>Bold</source>
        <translation>粗体</translation>
    </message>
    <message>
        <source>Italics</source>
        <translation>斜体</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>下划线</translation>
    </message>
    <message>
        <source>FontColor</source>
        <translation>字体颜色</translation>
    </message>
    <message>
        <source>CuttingLine</source>
        <translation>分割线</translation>
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
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message>
        <source>SelectAll</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Bespread</source>
        <translation>文字铺满</translation>
    </message>
    <message>
        <source>Skin</source>
        <translation>主题</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>专注模式</translation>
    </message>
    <message>
        <source>lineSpacing</source>
        <translation>倍行距</translation>
    </message>
</context>
<context>
    <name>Widget_Creation_Bottom</name>
    <message>
        <source>Input Speed: %1w/h</source>
        <translation>输入速度：%1字/时</translation>
    </message>
    <message>
        <source>Calculating:%1s</source>
        <translation>计算速度中：%1秒</translation>
    </message>
    <message>
        <source>Writing: %1</source>
        <translation>输入：%1</translation>
    </message>
    <message>
        <source>Free: %1</source>
        <translation>偷闲：%1</translation>
    </message>
    <message>
        <source>%1y</source>
        <translation>%1元</translation>
    </message>
</context>
<context>
    <name>Dialog_Remuneration</name>
    <message>
        <source>Remuneration</source>
        <translation>稿费设置</translation>
    </message>
</context>
<context>
    <name>Dialog_Search</name>
    <message>
        <source>Search/Replace</source>
        <translation>查找/替换</translation>
    </message>
    <message>
        <source>Please enter your search</source>
        <translation>请输入查找内容</translation>
    </message>
    <message>
        <source>Please enter a replacement</source>
        <translation>请输入替换内容</translation>
    </message>
</context>
</TS>
