#include "frame/type_library.h"

namespace vant::frame {

std::u16string InterfaceHelpString(std::u16string_view interfaceName) {
  return std::u16string(interfaceName) + u" 인터페이스";
}

std::u16string MemberHelpString(const MemberInfo& member) {
  const std::u16string_view prefix = member.kind == MemberKind::Method ? u"메서드 " : u"속성 ";
  return std::u16string(prefix) + member.name;
}

}  // namespace vant::frame
