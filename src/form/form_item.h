// The record behind one form element: the fields the parser fills, the save
// state, and the links the element reports and maps paths through.
#pragma once

#include <cstdint>
#include <string>

#include "frame/report_once.h"
#include "platform/automation/automation.h"
#include "platform/host/server.h"

namespace vant::form {

// Width and height of an element that is not an image.
inline constexpr std::int32_t kNoImageSize = -1;

struct FormItem {
  std::u16string ImageFormat;        // format name when the file decodes as an image
  std::u16string Name;               // field name as sent (case kept)
  std::u16string Value;              // text of a field element
  std::u16string FileName;           // sent file name after its last "\"
  std::u16string FilePath;           // sent client path when it holds a "\", else ""
  std::u16string LastSavedFileName;  // name part of the last save target
  std::u16string LastSavedFilePath;  // full path of the last save target
  std::u16string TempFilePath;       // the temporary file holding the bytes
  std::u16string DefaultPath;        // folder of a save that names none
  bool saved = false;                // moved, stored in a field, or (no name) deleted
  bool AutoMakeFolder = false;       // create a missing target folder
  bool IsImageItem = false;
  std::int32_t ImageWidth = kNoImageSize;
  std::int32_t ImageHeight = kNoImageSize;
  std::int32_t FileLen = 0;  // low 32 bits of the temporary file's size
  std::u16string MimeType;
  std::int32_t MaxFileLen = 0;  // largest file this element may save
  bool IsFileItem = false;
  bool IsInfected = false;  // virus scan verdict; false when scanning is off
  Bstr VirusName;           // signature or scan-failure name; null when clean or off
  frame::ErrorFlagLink errorFlagLink;
  ComPtr<host::IServer> serverObject;
};

}  // namespace vant::form
