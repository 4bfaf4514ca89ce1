<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CUiManager</name>
    <message>
        <source>A memo could not be saved; you stay signed in so that no word is lost</source>
        <translation>便签未能保存，为免丢失文字，暂不退出登录</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>便签</translation>
    </message>
    <message>
        <source>The writing lock is on, but it will not come back after a restart: the settings file %1 cannot be written.</source>
        <translation>写作锁已开启，但设置文件 %1 无法写入，重启后写作锁不会恢复。</translation>
    </message>
    <message>
        <source>Writing lock</source>
        <translation>写作锁</translation>
    </message>
    <message>
        <source>Forget Password</source>
        <translation>忘记密码锁</translation>
    </message>
    <message>
        <source>The sign-out could not be stored, so the lock stays.
%1</source>
        <translation>退出登录未能保存，密码锁保持不变。
%1</translation>
    </message>
    <message>
        <source>Database error</source>
        <translation>数据库错误</translation>
    </message>
    <message>
        <source>Currently locked</source>
        <translation>当前处于锁定状态</translation>
    </message>
    <message>
        <source>Main Client</source>
        <translation>主界面</translation>
    </message>
    <message>
        <source>Quick</source>
        <translation>退出</translation>
    </message>
</context>
<context>
    <name>Dialog_Unlock</name>
    <message>
        <source>coded lock</source>
        <translation>密码锁</translation>
    </message>
    <message>
        <source>wrong password</source>
        <translation>密码错误</translation>
    </message>
    <message>
        <source>Forget Password</source>
        <translation>忘记密码锁</translation>
    </message>
    <message>
        <source>log out of your account, reset the password.</source>
        <translation>将退出当前账号，重新设置密码。</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>Widget_ThemeSettings</name>
    <message>
        <source>ThemeSetting</source>
        <translation>主题设置</translation>
    </message>
    <message>
        <source>Select image</source>
        <translation>选择图片</translation>
    </message>
</context>
</TS>
