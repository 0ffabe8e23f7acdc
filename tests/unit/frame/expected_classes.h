// The class identities, written down independently of the class table, for
// the tests that check the table and the registry entries made from it.
#pragma once

namespace vant::frame::testing {

// Identity of every class, written down independently of the class table.
struct ExpectedClass {
  const char* name;
  const char* clsid;
  const char* progId;  // "" when the class has none
  const char* interfaceName;
  const char* iid;
};

inline const ExpectedClass kExpectedCreatable[] = {
    {"FileUpload", "{9B739684-14D2-447F-865E-28E21576139A}", "VANT.FileUpload", "IFileUpload",
     "{A60E07D4-4A81-49F2-9F2E-3ED4478EF375}"},
    {"Progress", "{F9B424D4-51A1-40E0-8EB1-1B9097AF9811}", "VANT.Progress", "IProgress",
     "{EE412154-1818-4847-A252-FF80D5C9A593}"},
    {"FileUploadMonitor", "{9815A65A-DD46-44B9-A088-819C3D10C058}", "VANT.FileUploadMonitor",
     "IFileUploadMonitor", "{D8391032-AC4D-4B15-A0E0-9F0ABD7447DD}"},
    {"FileDownload", "{3A041F1F-A2AC-4453-A057-829C89692083}", "VANT.FileDownload", "IFileDownload",
     "{07467BCC-19D9-427F-AB4D-6D7E92EC259C}"},
    {"Manager", "{67A0279B-3337-4BC2-AA79-56C802EAA72F}", "VANT.Manager", "IManager",
     "{AA30B1DF-1F48-4B3E-9C8D-E2B43848E7E8}"},
    {"BLOBManager", "{897B5A9B-25C7-4C20-BD6A-C13EA4397A6A}", "VANT.BLOBManager", "IBLOBManager",
     "{1B8BF967-F3AA-415C-9E91-78D2CB6BB088}"},
    {"ImageProc", "{343C5F9C-35D1-4F4B-A04B-BF246FA1A19C}", "VANT.ImageProc", "IImageProc",
     "{DDB06CE1-0300-4B40-B496-033983D02E42}"},
    {"IVirusInfo", "{79910CD7-CD3A-415F-9CE5-A178A44EB618}", "VANTUploaddll.IVirusInfo",
     "IIVirusInfo", "{A83AC778-0DDC-4528-A784-0A6540732ECF}"},
    {"CompReg", "{4CA564D7-4F81-4C2C-9429-6609A57D26A5}", "", "IComponentRegistrar",
     "{A817E7A2-43FA-11D0-9E44-00AA00B6770A}"},
};

inline const ExpectedClass kExpectedInternal[] = {
    {"FormElement", "{00000000-0000-0000-0000-000000000000}", "VANT.FormElement", "IFormElement",
     "{43F6BC7B-7CD0-464C-BBAD-5B25A5E89027}"},
    {"FormElementCollection", "{00000000-0000-0000-0000-000000000000}",
     "VANT.FormElementCollection", "IFormElementCollection",
     "{D10A688D-FC94-4A70-A0B5-BF1D66B2F43C}"},
    {"FormElementMultiCollection", "{00000000-0000-0000-0000-000000000000}",
     "VANT.FormElementMultiCollection", "IFormElementMultiCollection",
     "{F9B2F089-B8F8-45E1-8C2B-B516A34E49C0}"},
};

}  // namespace vant::frame::testing
