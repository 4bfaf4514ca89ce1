<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Widget_Setting</name>
    <message>
        <source>This computer has no sound output: typing stays silent.</source>
        <translation>本机没有可用的声音输出，打字不会发出音效。</translation>
    </message>
    <message>
        <source>The setting could not be saved; the page shows what is stored.
%1</source>
        <translation>设置未能保存，页面显示的是已保存的设置。
%1</translation>
    </message>
    <message>
        <source>%1 cannot be written.</source>
        <translation>无法写入 %1。</translation>
    </message>
    <message>
        <source>Backups cannot be written to %1; they stay in %2.</source>
        <translation>无法在 %1 中写入备份，备份仍保存在 %2。</translation>
    </message>
    <message>
        <source>SysSetting</source>
        <translation>系统设置</translation>
    </message>
    <message>
        <source>Shortcut key conflict</source>
        <translation>快捷键冲突</translation>
    </message>
    <message>
        <source>Changed password lock password successfully</source>
        <translation>密码锁密码修改成功</translation>
    </message>
    <message>
        <source>Forget Password</source>
        <translation>忘记密码</translation>
    </message>
    <message>
        <source>log out of your account, reset the password.</source>
        <translation>将退出当前账号，请重新登录后设置密码。</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>You cant change your account under the black room</source>
        <translation>小黑屋状态下不能切换账号</translation>
    </message>
    <message>
        <source>Please enter the correct password</source>
        <translation>请输入正确的密码</translation>
    </message>
    <message>
        <source>Please enter the same new password twice</source>
        <translation>两次输入的新密码不一致</translation>
    </message>
    <message>
        <source>Password changed successfully</source>
        <translation>密码修改成功</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>选择目录</translation>
    </message>
    <message>
        <source>30s</source>
        <translation>30秒</translation>
    </message>
    <message>
        <source>1min</source>
        <translation>1分钟</translation>
    </message>
    <message>
        <source>5min</source>
        <translation>5分钟</translation>
    </message>
    <message>
        <source>15min</source>
        <translation>15分钟</translation>
    </message>
    <message>
        <source>30min</source>
        <translation>30分钟</translation>
    </message>
    <message>
        <source>1h</source>
        <translation>1小时</translation>
    </message>
</context>
</TS>
