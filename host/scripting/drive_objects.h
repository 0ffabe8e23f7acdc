// The Drive objects and the Drives collection: one per mapped drive letter
// of the drive table, its root folder and the space of its volume.
#pragma once

#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::scripting {

// The drive letter `drive` names ("C", "C:", "C:\..."), or 0 when it names
// none.
char16_t DriveLetterOf(std::u16string_view drive);

// A Drive for a mapped drive letter; raises "Device unavailable" for an
// unmapped one and "Invalid procedure call or argument" for text that is
// no drive.
HRESULT GetDriveObject(std::u16string_view drive, std::u16string_view currentFolder,
                       IDispatch** out);

// The Drives collection: every mapped drive, by letter.
HRESULT GetDrivesCollection(std::u16string_view currentFolder, IDispatch** out);

}  // namespace vant::host::scripting
