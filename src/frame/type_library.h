// The identity of the module's type library and application, and the help
// strings its descriptions follow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/dispatch.h"
#include "platform/automation/guid.h"

namespace vant::frame {

inline constexpr std::u16string_view kTypeLibName = u"VANTUploadLib";
// {1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}
inline constexpr GUID kTypeLibId =
    MakeGuid(0x1A23B247, 0xC9CF, 0x43F5, 0xA7, 0xAE, 0x6B, 0x1F, 0xF4, 0xBD, 0xB5, 0x2A);
inline constexpr std::uint16_t kTypeLibMajor = 3;
inline constexpr std::uint16_t kTypeLibMinor = 0;
inline constexpr std::u16string_view kTypeLibVersion = u"3.0";
inline constexpr std::uint32_t kTypeLibLcid = 1033;
inline constexpr std::u16string_view kTypeLibHelpString =
    u"VANTUpload Professional 3.0 형식 라이브러리";

// {24919A8D-2502-49CA-B37B-C348EE6E708C}
inline constexpr GUID kAppId =
    MakeGuid(0x24919A8D, 0x2502, 0x49CA, 0xB3, 0x7B, 0xC3, 0x48, 0xEE, 0x6E, 0x70, 0x8C);
inline constexpr std::u16string_view kAppIdName = u"VANT";
inline constexpr std::u16string_view kModuleAppIdKey = u"VANTUpload.DLL";

// "<IName> 인터페이스".
inline std::u16string InterfaceHelpString(std::u16string_view interfaceName) {
  return std::u16string(interfaceName) + u" 인터페이스";
}

// "속성 <Name>" for a property accessor, "메서드 <Name>" for a method.
inline std::u16string MemberHelpString(const MemberInfo& member) {
  const std::u16string_view prefix = member.kind == MemberKind::Method ? u"메서드 " : u"속성 ";
  return std::u16string(prefix) + member.name;
}

}  // namespace vant::frame
