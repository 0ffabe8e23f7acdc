// An optional interface of objects whose default value is text they hold
// already, such as a request collection's value list. A script engine that
// turns such an object into a primitive ("/" + Request.QueryString("d"))
// reads the text here, without the dispatch call and the string and
// variant that call makes.
#pragma once

#include <string_view>

#include "platform/automation/unknown.h"

namespace vant {

// {728A6BD5-7CB7-4E67-8C74-9B473752C783}
struct IDefaultText : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x728A6BD5, 0x7CB7, 0x4E67, 0x8C, 0x74, 0x9B, 0x47, 0x37, 0x52, 0xC7, 0x83);

  // True with the default member's value when that value is this text,
  // valid while the object lives; false when it is anything else (no
  // value, or values the member would join), and the caller then reads
  // the default member.
  virtual bool DefaultText(std::u16string_view* text) = 0;
};

}  // namespace vant
