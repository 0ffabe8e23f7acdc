// The fixed texts of the upload monitor page, in the order they appear.
#pragma once

namespace vant::progress::html {

// The head; the script path goes between kHeadBeforeScript and
// kHeadAfterScript, so the browser reloads the same page every second.
inline constexpr char16_t kHeadBeforeScript[] =
    u"<html><head><title>Uploading Files...</title><meta HTTP-EQUIV='Refresh' CONTENT='1; URL=";
inline constexpr char16_t kHeadAfterScript[] =
    u"'><style type='text/css'> td {font-size: 9pt} td.progress {font-size:1pt; width:2%; "
    u"height:8px}</style></head>";

inline constexpr char16_t kBodyWorking[] = u"<body bgcolor=#d4d0c8 topmargin=0>";
// Once the upload object has gone, the page closes its own window.
inline constexpr char16_t kBodyClosing[] = u"<body onload='javascript: top.window.close();'>";

inline constexpr char16_t kTableStart[] =
    u"<table border=0 style='FONT-SIZE: 9pt' width=365 cellpadding=2 cellspacing=0 "
    u"bgcolor=#d4d0c8><tr><td colspan=2 height=30 valign=bottom>";
inline constexpr char16_t kTitle[] = u"Upload Files...";
inline constexpr char16_t kBarStart[] =
    u" </td></tr><tr><td colspan=2 width=360><table border=1 cellPadding=0 cellSpacing=0 "
    u"width=355 height=8 style='BORDER-BOTTOM: 0px inset; BORDER-LEFT: 0px inset; BORDER-RIGHT: "
    u"0px inset; BORDER-TOP: 0px inset'><tr><td><table border=0 cellPadding=0 cellSpacing=2 "
    u"width=355 height=8><tr>";

// Agents containing this text get the bar as a row of small cells.
inline constexpr char16_t kCellAgentMark[] = u"MSIE";
inline constexpr char16_t kCellFilled[] = u"<td bgcolor='darkblue' class='progress'>&nbsp;</td>";
inline constexpr char16_t kCellEmpty[] = u"<td class='progress'>&nbsp;</td>";

// Other agents get two cells sized in per cent: filled P%, empty 100 - P%.
inline constexpr char16_t kBarFilledStart[] = u"<td bgcolor='darkblue' width='";
inline constexpr char16_t kBarFilledEnd[] =
    u"%' height='8'><img width='1' height='8'></td><td width='";
inline constexpr char16_t kBarEmptyEnd[] = u"%'></td>";

inline constexpr char16_t kBarEnd[] =
    u"</tr></table></td></tr></table></td></tr><tr><td width=50%>";
inline constexpr char16_t kRightCell[] = u"</td><td align=right >";
inline constexpr char16_t kPercentOpen[] = u"(";
inline constexpr char16_t kPageEnd[] = u"%)</td></tr></table></body></html>";

// The page for an upload refused before it started (larger than TotalLen, no
// body, not a multipart body): no reload, the reason, and the window closes
// itself after a few seconds so that the reason can be read.
inline constexpr char16_t kRefusedPage[] =
    u"<html><head><title>Upload refused</title><style type='text/css'> td {font-size: 9pt}"
    u"</style></head><body bgcolor=#d4d0c8 topmargin=0 "
    u"onload='setTimeout(function () { top.window.close(); }, 5000);'><table border=0 "
    u"style='FONT-SIZE: 9pt' width=365 cellpadding=2 cellspacing=0 bgcolor=#d4d0c8><tr><td "
    u"height=30 valign=bottom>Upload Files...</td></tr><tr><td id='refused'>The server refused "
    u"the upload before it started: it is larger than the page accepts, or not a file upload."
    u"</td></tr></table></body></html>";

}  // namespace vant::progress::html
