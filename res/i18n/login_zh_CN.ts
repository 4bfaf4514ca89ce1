<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Dialog_LoginMain</name>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
</context>
<context>
    <name>Widget_Login</name>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Please enter account</source>
        <translation>请输入手机号</translation>
    </message>
    <message>
        <source>Please enter password</source>
        <translation>请输入密码</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自动登录</translation>
    </message>
    <message>
        <source>Forget Pwd</source>
        <translation>忘记密码</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>注册账号</translation>
    </message>
    <message>
        <source>Other login methods</source>
        <translation>其他登录方式</translation>
    </message>
</context>
<context>
    <name>AccountCodeForm</name>
    <message>
        <source>Please enter account</source>
        <translation>请输入手机号</translation>
    </message>
    <message>
        <source>Please Enter Verify Code</source>
        <translation>请输入短信验证码</translation>
    </message>
    <message>
        <source>Get Code</source>
        <translation>获取验证码</translation>
    </message>
    <message>
        <source>Please enter 8-16 bit password</source>
        <translation>请输入8-16位密码</translation>
    </message>
    <message>
        <source>Please enter 8-16 bit password again</source>
        <translation>请再次输入8-16位密码</translation>
    </message>
    <message>
        <source>The two passwords do not match</source>
        <translation>两次输入的密码不一致</translation>
    </message>
</context>
<context>
    <name>Widget_Register</name>
    <message>
        <source>Register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>Register Now</source>
        <translation>立即注册</translation>
    </message>
    <message>
        <source>Consent</source>
        <translation>同意</translation>
    </message>
    <message>
        <source>Tessane Agreement</source>
        <translation>《用户协议》</translation>
    </message>
    <message>
        <source>GotoLogin</source>
        <translation>去登录</translation>
    </message>
    <message>
        <source>Registration Successful</source>
        <translation>注册成功</translation>
    </message>
</context>
<context>
    <name>Widget_ForgetPwd</name>
    <message>
        <source>ForgetPwd</source>
        <translation>找回密码</translation>
    </message>
    <message>
        <source>Reset Password</source>
        <translation>重置密码</translation>
    </message>
    <message>
        <source>Free Registration</source>
        <translation>免费注册</translation>
    </message>
    <message>
        <source>GotoLogin</source>
        <translation>去登录</translation>
    </message>
    <message>
        <source>Password reset Successful</source>
        <translation>密码重置成功</translation>
    </message>
</context>
<context>
    <name>CTimerButton</name>
    <message>
        <source>Send Code</source>
        <translation>重新发送</translation>
    </message>
    <message>
        <source>%1s after</source>
        <translation>%1秒后</translation>
    </message>
</context>
<context>
    <name>Widget_BindWechat</name>
    <message>
        <source>Bind PhoneNumber</source>
        <translation>绑定手机号</translation>
    </message>
    <message>
        <source>Please enter account</source>
        <translation>请输入手机号</translation>
    </message>
    <message>
        <source>Please Enter Verify Code</source>
        <translation>请输入验证码</translation>
    </message>
    <message>
        <source>Get Code</source>
        <translation>获取验证码</translation>
    </message>
    <message>
        <source>Bind</source>
        <translation>绑定</translation>
    </message>
</context>
<context>
    <name>Widget_WeChatLogin</name>
    <message>
        <source>WeChat Login</source>
        <translation>微信登录</translation>
    </message>
</context>
</TS>
