#include "CommunityPage.h"

namespace CommunityPage {

const char* path()
{
    return "/feedback";
}

QByteArray html()
{
    return QByteArrayLiteral(R"HTML(<!DOCTYPE html>
<html lang="zh">
<head>
<meta charset="utf-8">
<title>社区</title>
<style>
  body { margin: 0; padding: 24px; font-family: sans-serif; font-size: 14px; }
  body.theme0 { background: #ffffff; color: #424242; }
  body.theme1 { background: #1f1f1f; color: #c8c8c8; }
  body.theme2 { background: #e3f2e5; color: #205134; }
  h1 { font-size: 18px; font-weight: normal; }
</style>
</head>
<body class="theme0">
<h1>作者社区</h1>
<p id="who">未登录</p>
<p id="notices"></p>
<p id="version"></p>
<script>
  // What the client handed over, for the page's own use.
  var community = { theme: 0, signedIn: false, flag: 0, version: "", token: "", notices: -1 };
  function getTheme(theme, token, flag, version) {
    community.theme = Number(theme) || 0;
    community.token = String(token || "");
    community.signedIn = community.token.length > 0;
    community.flag = Number(flag) || 0;
    community.version = String(version || "");
    document.body.className = "theme" + community.theme;
    document.getElementById("who").textContent = community.signedIn ? "已登录" : "未登录";
    document.getElementById("version").textContent = community.version ? "客户端 " + community.version : "";
    if (!community.signedIn)
      return;
    var request = new XMLHttpRequest();
    request.open("GET", "/forum/htmlRed");
    request.setRequestHeader("Authorization", "Bearer " + community.token);
    request.onload = function () {
      try {
        var reply = JSON.parse(request.responseText);
        if (reply.code === 200 && reply.content) {
          community.notices = Number(reply.content.num) || 0;
          document.getElementById("notices").textContent = "新消息 " + community.notices;
        }
      } catch (e) {}
    };
    request.send();
  }
</script>
</body>
</html>
)HTML");
}

}
