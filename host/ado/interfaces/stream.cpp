#include "host/ado/interfaces/stream.h"

namespace vant::host::ado {

const InterfaceInfo& IAdoStream::TypeInfo() {
  static const MemberInfo members[] = {
      Get<&IAdoStream::get_Size>(u"Size", 1),
      Get<&IAdoStream::get_EOS>(u"EOS", 2),
      Get<&IAdoStream::get_Position>(u"Position", 3),
      Put<&IAdoStream::put_Position>(u"Position", 3),
      Get<&IAdoStream::get_Type>(u"Type", 4),
      Put<&IAdoStream::put_Type>(u"Type", 4),
      Get<&IAdoStream::get_LineSeparator>(u"LineSeparator", 5),
      Put<&IAdoStream::put_LineSeparator>(u"LineSeparator", 5),
      Get<&IAdoStream::get_State>(u"State", 6),
      Get<&IAdoStream::get_Mode>(u"Mode", 7),
      Put<&IAdoStream::put_Mode>(u"Mode", 7),
      Get<&IAdoStream::get_Charset>(u"Charset", 8),
      Put<&IAdoStream::put_Charset>(u"Charset", 8),
      Call<&IAdoStream::Read>(u"Read", 9, {kAdReadAll}),
      Call<&IAdoStream::Open>(u"Open", 10, {ParamDefault::Optional(), 0, -1, u"", u""}),
      Call<&IAdoStream::Close>(u"Close", 11),
      Call<&IAdoStream::SkipLine>(u"SkipLine", 12),
      Call<&IAdoStream::Write>(u"Write", 13),
      Call<&IAdoStream::SetEOS>(u"SetEOS", 14),
      Call<&IAdoStream::CopyTo>(u"CopyTo", 15, {-1}),
      Call<&IAdoStream::Flush>(u"Flush", 16),
      Call<&IAdoStream::SaveToFile>(u"SaveToFile", 17, {kAdSaveCreateNotExist}),
      Call<&IAdoStream::LoadFromFile>(u"LoadFromFile", 18),
      Call<&IAdoStream::ReadText>(u"ReadText", 19, {kAdReadAll}),
      Call<&IAdoStream::WriteText>(u"WriteText", 20, {0}),
      Call<&IAdoStream::Cancel>(u"Cancel", 21),
  };
  static const InterfaceInfo info{u"_Stream", kIid, members};
  return info;
}

}  // namespace vant::host::ado
