<script language="VBScript" runat="server">
Function Greet()
  Greet = "hello"
End Function
</script>
<% Response.Write(Greet()) %>
