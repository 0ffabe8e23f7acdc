#!/usr/bin/env bash
# Scripting.FileSystemObject from pages: the listing of an upload folder
# after an upload, the text-file idioms pages use, the path functions, and
# the runtime errors (number and text) for missing, existing, read-only and
# malformed paths.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/uploads" "$SITE/work"

page up.asp <<'P'
<%@ LANGUAGE=JScript %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
var items = new Enumerator(up.Form("f"));
for (; !items.atEnd(); items.moveNext()) items.item().Save("", true);
%>
P
# Lists the upload folder the way file-manager pages do.
page list.asp <<'P'
<%@ LANGUAGE=JScript %><%
var fso = Server.CreateObject("Scripting.FileSystemObject");
var folder = fso.GetFolder(Server.MapPath("/uploads"));
Response.Write("count=" + folder.Files.Count + "\n");
for (var e = new Enumerator(folder.Files); !e.atEnd(); e.moveNext()) {
  var f = e.item();
  Response.Write(f.Name + "|" + f.Size + "|" + f.Type + "|" + (Math.abs(new Date() - new Date(f.DateLastModified)) < 86400000) + "|" +
                 (f.ParentFolder.Path == folder.Path) + "\n");
}
%>
P
# Each idiom prints "name=value"; errors print their number in hex and text.
page idioms.asp <<'P'
<%@ LANGUAGE=JScript %><%
var fso = Server.CreateObject("Scripting.FileSystemObject");
var dir = Server.MapPath("/work");
function out(name, value) { Response.Write(name + "=" + value + "\n"); }
function err(name, body) {
  try { body(); out(name, "no error"); }
  catch (e) { out(name, (e.number >>> 0).toString(16) + " " + e.description); }
}
var p = fso.BuildPath(dir, "notes.txt");
var ts = fso.CreateTextFile(p, true);
ts.WriteLine("first"); ts.Write("sec"); ts.WriteLine("ond"); ts.WriteBlankLines(1); ts.Write("last");
out("write_line", ts.Line);
ts.Close();
ts = fso.OpenTextFile(p, 1);
var lines = [];
while (!ts.AtEndOfStream) lines.push(ts.ReadLine());
out("read_lines", lines.join(","));
out("line_after", ts.Line);
err("read_past_end", function () { ts.ReadLine(); });
ts.Close();
ts = fso.OpenTextFile(p, 8); ts.Write("+more"); ts.Close();
ts = fso.OpenTextFile(p); ts.SkipLine(); ts.Skip(3); out("read_n", ts.Read(3)); out("col", ts.Column);
out("read_all", escape(ts.ReadAll())); ts.Close();
var u = fso.BuildPath(dir, "wide.txt");
ts = fso.CreateTextFile(u, true, true); ts.Write("\u00e9\u4e2d"); ts.Close();
out("unicode_size", fso.GetFile(u).Size);
out("unicode_back", escape(fso.OpenTextFile(u, 1, false, -1).ReadAll()));
out("exists", fso.FileExists(p) + "," + fso.FolderExists(dir) + "," + fso.FileExists(dir));
out("relative", fso.GetAbsolutePathName("work\\notes.txt") == p);
out("dotdot_size", fso.GetFile(dir + "\\..\\work\\notes.txt").Size == fso.GetFile(p).Size);
out("names", [fso.GetFileName("C:\\a\\b.tar.gz"), fso.GetBaseName("C:\\a\\b.tar.gz"),
              fso.GetExtensionName("C:\\a\\b.tar.gz"), fso.GetParentFolderName("C:\\a\\b"),
              fso.GetDriveName("c:\\x"), fso.BuildPath("C:\\a\\", "b")].join("|"));
out("temp_name", /^rad[0-9A-F]{5}\.tmp$/.test(fso.GetTempName()));
out("drive", fso.GetDrive("c:").DriveLetter + "," + fso.DriveExists("C:\\") + "," + fso.Drives.Count);
fso.CreateFolder(dir + "\\sub");
fso.CopyFile(p, dir + "\\sub\\");
fso.CopyFile(p, dir + "\\sub\\a.tmp");
fso.CopyFile(p, dir + "\\sub\\b.tmp");
fso.MoveFile(dir + "\\sub\\notes.txt", dir + "\\sub\\moved.txt");
fso.DeleteFile(dir + "\\sub\\*.TMP");
var names = [];
for (var e = new Enumerator(fso.GetFolder(dir + "\\sub").Files); !e.atEnd(); e.moveNext()) names.push(e.item().Name);
out("after_wildcard", names.join(","));
fso.CopyFolder(dir + "\\sub", dir + "\\copy");
out("copied_folder", fso.FileExists(dir + "\\copy\\moved.txt"));
err("copy_into_itself", function () { fso.CopyFolder(dir + "\\sub", dir + "\\sub\\inner"); });
fso.MoveFolder(dir + "\\copy", dir + "\\sub\\");
out("subfolders", fso.GetFolder(dir + "\\sub").SubFolders.Count + "," + fso.FolderExists(dir + "\\copy"));
var f = fso.GetFile(dir + "\\sub\\moved.txt");
f.Attributes = 1;
out("read_only", f.Attributes & 1);
err("delete_read_only", function () { fso.DeleteFile(f.Path); });
err("overwrite_read_only", function () { fso.CreateTextFile(f.Path, true); });
err("delete_folder_read_only", function () { fso.DeleteFolder(dir + "\\sub"); });
fso.DeleteFolder(dir + "\\su?", true);
out("deleted_forced", fso.FolderExists(dir + "\\sub"));
err("file_not_found", function () { fso.GetFile(dir + "\\none.txt"); });
err("open_missing", function () { fso.OpenTextFile(dir + "\\none.txt"); });
err("path_not_found", function () { fso.GetFolder(dir + "\\none"); });
err("create_in_missing", function () { fso.CreateTextFile(dir + "\\none\\x.txt"); });
err("already_exists", function () { fso.CreateTextFile(p, false); });
err("folder_exists", function () { fso.CreateFolder(dir); });
err("nul_in_path", function () { fso.OpenTextFile(dir + "\\a\u0000b.txt"); });
err("bad_mode", function () { fso.OpenTextFile(p, 3); });
err("write_to_reader", function () { fso.OpenTextFile(p).Write("x"); });
err("unmapped_drive", function () { fso.GetDrive("Q:"); });
err("wildcard_no_match", function () { fso.DeleteFile(dir + "\\*.none"); });
out("old_kept", fso.OpenTextFile(p).ReadLine());
ts = fso.CreateTextFile(dir + "\\c\u0001.txt"); ts.Write("ctl"); ts.Close();
out("as_stream", fso.GetFolder(dir).Files("c\u0001.txt").OpenAsTextStream(1).ReadAll());
out("temp_folder", fso.FolderExists(fso.GetSpecialFolder(2).Path));
%>
P

start_host

F=$WORK/files
mkdir -p "$F"
printf 'hello' >"$F/a.txt"
head -c 3000 /dev/zero >"$F/b.bin"
curl -s -F "f=@$F/a.txt" -F "f=@$F/b.bin" "$BASE/up.asp" >/dev/null
body=$(curl -s "$BASE/list.asp")
expect_has "listing counts the uploaded files" "$body" "count=2"
expect_has "listing shows name, size, type, a recent date and parent" "$body" "a.txt|5|TXT File|true|true"
expect_has "listing shows the second file" "$body" "b.bin|3000|BIN File|true|true"

body=$(curl -s "$BASE/idioms.asp")
v() { printf '%s\n' "$body" | grep "^$1=" | head -1 | cut -d= -f2-; }
expect_eq "WriteLine counts lines" "$(v write_line)" "4"
expect_eq "ReadLine until AtEndOfStream" "$(v read_lines)" "first,second,,last"
expect_eq "Line after reading" "$(v line_after)" "4"
expect_eq "ReadLine past the end" "$(v read_past_end)" "800a003e Input past end of file"
expect_eq "SkipLine, Skip and Read" "$(v read_n)" "ond"
expect_eq "Column after Read" "$(v col)" "7"
expect_eq "ReadAll after an append" "$(v read_all)" "%0D%0A%0D%0Alast+more"
expect_eq "Unicode file has a byte-order mark and two bytes a character" "$(v unicode_size)" "6"
expect_eq "Unicode text reads back" "$(v unicode_back)" "%E9%u4E2D"
expect_eq "FileExists and FolderExists" "$(v exists)" "true,true,false"
expect_eq "relative paths start at the page's folder" "$(v relative)" "true"
expect_eq "dot-dot segments resolve on disk" "$(v dotdot_size)" "true"
expect_eq "name functions" "$(v names)" "b.tar.gz|b.tar|gz|C:\\a|c:|C:\\a\\b"
expect_eq "GetTempName" "$(v temp_name)" "true"
expect_eq "drives" "$(v drive)" "C,true,1"
expect_eq "DeleteFile with a wildcard, any case" "$(v after_wildcard)" "moved.txt"
expect_eq "CopyFolder" "$(v copied_folder)" "true"
expect_eq "CopyFolder into itself" "$(v copy_into_itself)" "800a0046 Permission denied"
expect_eq "MoveFolder into a folder" "$(v subfolders)" "1,false"
expect_eq "Attributes read-only" "$(v read_only)" "1"
expect_eq "DeleteFile of a read-only file" "$(v delete_read_only)" "800a0046 Permission denied"
expect_eq "overwriting a read-only file" "$(v overwrite_read_only)" "800a0046 Permission denied"
expect_eq "DeleteFolder over a read-only file" "$(v delete_folder_read_only)" "800a0046 Permission denied"
expect_eq "DeleteFolder with a wildcard and force" "$(v deleted_forced)" "false"
expect_eq "GetFile of a missing file" "$(v file_not_found)" "800a0035 File not found"
expect_eq "OpenTextFile of a missing file" "$(v open_missing)" "800a0035 File not found"
expect_eq "GetFolder of a missing folder" "$(v path_not_found)" "800a004c Path not found"
expect_eq "CreateTextFile in a missing folder" "$(v create_in_missing)" "800a004c Path not found"
expect_eq "CreateTextFile without overwrite" "$(v already_exists)" "800a003a File already exists"
expect_eq "CreateFolder of an existing folder" "$(v folder_exists)" "800a003a File already exists"
expect_eq "a NUL in a path" "$(v nul_in_path)" "800a0034 Bad file name or number"
expect_eq "an unknown I/O mode" "$(v bad_mode)" "800a0005 Invalid procedure call or argument"
expect_eq "writing a stream opened to read" "$(v write_to_reader)" "800a0036 Bad file mode"
expect_eq "an unmapped drive" "$(v unmapped_drive)" "800a0044 Device unavailable"
expect_eq "a wildcard that matches nothing" "$(v wildcard_no_match)" "800a0035 File not found"
expect_eq "failed create leaves the old file" "$(v old_kept)" "first"
expect_eq "a control character is a name character, as for the components" \
  "$(cat "$SITE/work/c"$'\x01'".txt")" "ctl"
expect_eq "Files(name).OpenAsTextStream" "$(v as_stream)" "ctl"
expect_eq "GetSpecialFolder(2) is the temporary folder" "$(v temp_folder)" "true"
expect_eq "no temporary files left" "$(ls -a "$SITE/work" | grep -c '~vant')" "0"

finish
