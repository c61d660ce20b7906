<%@ page contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"
         import="java.time.LocalDateTime, java.time.format.DateTimeFormatter" %>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="UTF-8">
<title>Brewdeck</title>
</head>
<body>
<h1>你好！欢迎使用 Brewdeck。</h1>
<p>Hello! Welcome to Brewdeck.</p>
<p>服务器当前时间 / Server time:
<%= LocalDateTime.now().format(DateTimeFormatter.ofPattern("yyyy-MM-dd HH:mm:ss")) %></p>
</body>
</html>
