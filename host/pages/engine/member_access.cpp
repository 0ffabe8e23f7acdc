#include "host/pages/engine/member_access.h"

namespace vant::host::pages::engine {
namespace {

int RequiredParams(const MemberInfo& member) {
  int required = 0;
  for (int i = 0; i < member.paramCount; ++i) {
    if (member.defaults[static_cast<std::size_t>(i)].kind == ParamDefault::Kind::None) ++required;
  }
  return required;
}

}  // namespace

MemberAccess ClassifyMember(const InterfaceInfo* info, DISPID id) {
  if (info == nullptr) return MemberAccess::Untyped;
  bool method = false;
  bool putOnly = false;
  for (const MemberInfo& member : info->members) {
    if (member.dispid != id) continue;
    if (member.kind == MemberKind::PropertyGet) {
      if (member.paramCount == 0) return MemberAccess::FetchNow;
      return RequiredParams(member) == 0 ? MemberAccess::FetchOptional
                                         : MemberAccess::PropertyWithArgs;
    }
    method = method || member.kind == MemberKind::Method;
    putOnly = putOnly || member.kind == MemberKind::PropertyPut;
  }
  if (method) return MemberAccess::Method;
  return putOnly ? MemberAccess::WriteOnly : MemberAccess::Untyped;
}

bool HasPropertyPut(const InterfaceInfo* info, DISPID id) {
  if (info == nullptr) return true;
  for (const MemberInfo& member : info->members) {
    if (member.dispid == id && member.kind == MemberKind::PropertyPut) return true;
  }
  return false;
}

}  // namespace vant::host::pages::engine
