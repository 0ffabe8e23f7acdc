#include "image/interfaces.h"

namespace vant {

const InterfaceInfo& IImageProc::TypeInfo() {
  static const MemberInfo members[] = {
      Call<&IImageProc::OnStartPage>(u"OnStartPage", 0x60020000),
      Call<&IImageProc::OnEndPage>(u"OnEndPage", 0x60020001),
      Get<&IImageProc::get_ImageFormat>(u"ImageFormat", 4),
      Get<&IImageProc::get_PixelFormat>(u"PixelFormat", 5),
      Get<&IImageProc::get_ImageWidth>(u"ImageWidth", 6),
      Get<&IImageProc::get_ImageHeight>(u"ImageHeight", 7),
      Get<&IImageProc::get_HorizontalResolution>(u"HorizontalResolution", 8),
      Get<&IImageProc::get_VerticalResolution>(u"VerticalResolution", 9),
      Get<&IImageProc::get_MDDocumentName>(u"MDDocumentName", 10),
      Get<&IImageProc::get_MDImageDescription>(u"MDImageDescription", 11),
      Get<&IImageProc::get_MDEquipMake>(u"MDEquipMake", 12),
      Get<&IImageProc::get_MDEquipModel>(u"MDEquipModel", 13),
      Get<&IImageProc::get_MDSoftwareUsed>(u"MDSoftwareUsed", 14),
      Get<&IImageProc::get_MDDateTime>(u"MDDateTime", 15),
      Get<&IImageProc::get_MDArtist>(u"MDArtist", 16),
      Get<&IImageProc::get_MDExifShutterSpeed>(u"MDExifShutterSpeed", 19),
      Get<&IImageProc::get_MDExifExposureTime>(u"MDExifExposureTime", 20),
      Get<&IImageProc::get_MDExifFNumber>(u"MDExifFNumber", 21),
      Get<&IImageProc::get_MDExifColorSpace>(u"MDExifColorSpace", 22),
      Get<&IImageProc::get_MDExifFlash>(u"MDExifFlash", 23),
      Get<&IImageProc::get_MDExifISOSpeed>(u"MDExifISOSpeed", 25),
      Get<&IImageProc::get_MDExifFocalLength>(u"MDExifFocalLength", 26),
      Get<&IImageProc::get_MDExifExposureProg>(u"MDExifExposureProg", 27),
      Get<&IImageProc::get_MDExifExposureBias>(u"MDExifExposureBias", 28),
      Get<&IImageProc::get_MDExifMaximumLensAperture>(u"MDExifMaximumLensAperture", 29),
      Get<&IImageProc::get_MDExifExifDigitalZoomRatio>(u"MDExifExifDigitalZoomRatio", 30),
      Get<&IImageProc::get_MDExifWhiteBalance>(u"MDExifWhiteBalance", 31),
      Get<&IImageProc::get_MDExifMeteringMode>(u"MDExifMeteringMode", 32),
      Get<&IImageProc::get_MDExifLightSource>(u"MDExifLightSource", 33),
      Get<&IImageProc::get_MDExifExposureMode>(u"MDExifExposureMode", 34),
      Get<&IImageProc::get_MDExifFocalLengthIn35mm>(u"MDExifFocalLengthIn35mm", 35),
      Call<&IImageProc::SaveAsThumbnail>(u"SaveAsThumbnail", 1, {true}),
      Call<&IImageProc::SetSourceFile>(u"SetSourceFile", 3),
      Call<&IImageProc::SaveAsWatermarkImage>(u"SaveAsWatermarkImage", 17, {-10, -10, true}),
      Call<&IImageProc::SaveAsWatermarkText>(u"SaveAsWatermarkText", 18, {13, -10, -10, true}),
      Call<&IImageProc::ConvertImageFormat>(u"ConvertImageFormat", 24, {true}),
  };
  static const InterfaceInfo info{u"IImageProc", kIid, members};
  return info;
}

}  // namespace vant
