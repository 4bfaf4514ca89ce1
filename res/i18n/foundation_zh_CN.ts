<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>QObject</name>
    <message>
        <source>system init error!</source>
        <translation>客户端初始化失败，请重新打开或者联系开发人员。</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>青岚笔写作备份</translation>
    </message>
    <message>
        <source>chn_0</source>
        <translation>零</translation>
    </message>
    <message>
        <source>chn_1</source>
        <translation>一</translation>
    </message>
    <message>
        <source>chn_2</source>
        <translation>二</translation>
    </message>
    <message>
        <source>chn_3</source>
        <translation>三</translation>
    </message>
    <message>
        <source>chn_4</source>
        <translation>四</translation>
    </message>
    <message>
        <source>chn_5</source>
        <translation>五</translation>
    </message>
    <message>
        <source>chn_6</source>
        <translation>六</translation>
    </message>
    <message>
        <source>chn_7</source>
        <translation>七</translation>
    </message>
    <message>
        <source>chn_8</source>
        <translation>八</translation>
    </message>
    <message>
        <source>chn_9</source>
        <translation>九</translation>
    </message>
    <message>
        <source>chn_10</source>
        <translation>十</translation>
    </message>
    <message>
        <source>chn_100</source>
        <translation>百</translation>
    </message>
    <message>
        <source>chn_1000</source>
        <translation>千</translation>
    </message>
    <message>
        <source>chn_wan</source>
        <translation>万</translation>
    </message>
    <message>
        <source>chn_yi</source>
        <translation>亿</translation>
    </message>
    <message>
        <source>chn_wanyi</source>
        <translation>万亿</translation>
    </message>
    <message>
        <source>chn_all_numbers</source>
        <translation>零一二三四五六七八九十百千万亿</translation>
    </message>
    <message>
        <source>chapter_name_list</source>
        <translation>第章话回节</translation>
    </message>
    <message>
        <source>not_chapter_name</source>
        <translation>未命名章节</translation>
    </message>
    <message>
        <source>First Chapter</source>
        <translation>第1章 </translation>
    </message>
    <message>
        <source>unnamed volume</source>
        <translation>默认卷</translation>
    </message>
    <message>
        <source>volumeBegin</source>
        <translation>第</translation>
    </message>
    <message>
        <source>volumeEnd</source>
        <translation>卷</translation>
    </message>
    <message>
        <source>first volume</source>
        <translation>第1卷</translation>
    </message>
</context>
<context>
    <name>CUiManager</name>
    <message>
        <source>Vellora</source>
        <translation>青岚笔</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
</context>
<context>
    <name>DbFaultText</name>
    <message>
        <source>Make it writable for your account, then try again.</source>
        <translation>请让您的账户可以写入它，然后再试。</translation>
    </message>
    <message>
        <source>Free some space on the disk, then try again.</source>
        <translation>请清理出一些磁盘空间，然后再试。</translation>
    </message>
    <message>
        <source>Nothing more can be written to it; the message about it names its newest backup.</source>
        <translation>它已无法再写入；关于它的提示中写明了它最新的备份。</translation>
    </message>
    <message>
        <source>Try again; if it is refused again, start the program again.</source>
        <translation>请再试一次；如果仍被拒绝，请重新启动程序。</translation>
    </message>
    <message>
        <source>The database file cannot be written.</source>
        <translation>数据库文件无法写入。</translation>
    </message>
    <message>
        <source>The database is in use by another program; try again in a moment.</source>
        <translation>数据库正被其他程序占用，请稍后再试。</translation>
    </message>
    <message>
        <source>The disk is full or failing.</source>
        <translation>磁盘已满或出现故障。</translation>
    </message>
    <message>
        <source>The database is damaged.</source>
        <translation>数据库已损坏。</translation>
    </message>
    <message>
        <source>The database refused the change.</source>
        <translation>数据库拒绝了这次修改。</translation>
    </message>
    <message>
        <source>The database %1 is damaged. Nothing more is written to it and synchronisation is stopped.</source>
        <translation>数据库 %1 已损坏。程序不再向其写入任何内容，同步已停止。</translation>
    </message>
    <message>
        <source>No backup of it was found in %1.</source>
        <translation>在 %1 中没有找到它的备份。</translation>
    </message>
    <message>
        <source>The newest backup of it is %1.</source>
        <translation>它最新的备份是 %1。</translation>
    </message>
    <message>
        <source>The database %1 is read-only: the file or its folder cannot be written. Make them writable for your account and start the program again.</source>
        <translation>数据库 %1 是只读的：无法写入该文件或其所在文件夹。请为您的账户开放写入权限，然后重新启动程序。</translation>
    </message>
    <message>
        <source>The database %1 is locked by another program. Close that program and start this one again.</source>
        <translation>数据库 %1 被其他程序锁定。请关闭该程序，然后重新启动本程序。</translation>
    </message>
    <message>
        <source>The database %1 cannot be written: the disk is full or failing. Free some space and start the program again.</source>
        <translation>无法写入数据库 %1：磁盘已满或出现故障。请释放一些空间，然后重新启动程序。</translation>
    </message>
    <message>
        <source>The database %1 could not be opened: %2</source>
        <translation>无法打开数据库 %1：%2</translation>
    </message>
    <message>
        <source>Your books or memos could not be read from the database %1. Nothing is written to it and synchronisation is stopped until the next start.</source>
        <translation>无法从数据库 %1 读取您的作品或便签。在下次启动之前，程序不会向其写入任何内容，同步已停止。</translation>
    </message>
    <message>
        <source>Your chapters could not be moved to the new layout of the database. %1 Every chapter keeps its text and you can go on writing; the move is tried again at the next start.</source>
        <translation>未能把您的章节移入数据库的新结构。%1 每一章的正文都原样保留，您可以继续写作；下次启动时会再次尝试移动。</translation>
    </message>
    <message>
        <source>Your chapters could not be moved to the new layout of the database. %1 Every chapter keeps its text, but what you change now may not be stored: quit, mend this and start the program again.</source>
        <translation>未能把您的章节移入数据库的新结构。%1 每一章的正文都原样保留，但现在所做的改动可能无法保存：请退出程序，解决这个问题后重新启动。</translation>
    </message>
</context>
</TS>
