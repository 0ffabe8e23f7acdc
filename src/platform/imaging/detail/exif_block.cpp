#include "platform/imaging/detail/exif_block.h"

#include <libexif/exif-data.h>

#include <memory>

namespace vant::imaging {
namespace {

constexpr std::string_view kExifPrefix{"Exif\0\0", 6};

struct ExifDataDeleter {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataDeleter>;

PropertyItem ToItem(const ExifEntry& e, ExifByteOrder order) {
  PropertyItem item;
  item.tag = static_cast<std::uint16_t>(e.tag);
  const unsigned char* data = e.data;
  switch (e.format) {
    case EXIF_FORMAT_SHORT:
    case EXIF_FORMAT_SSHORT:
      item.first = exif_get_short(data, order);
      break;
    case EXIF_FORMAT_LONG:
    case EXIF_FORMAT_SLONG:
      item.first = exif_get_long(data, order);
      break;
    case EXIF_FORMAT_RATIONAL: {
      const ExifRational r = exif_get_rational(data, order);
      item.first = r.numerator;
      item.second = r.denominator;
      break;
    }
    case EXIF_FORMAT_SRATIONAL: {
      const ExifSRational r = exif_get_srational(data, order);
      item.first = static_cast<std::uint32_t>(r.numerator);
      item.second = static_cast<std::uint32_t>(r.denominator);
      break;
    }
    default:
      item.text.assign(reinterpret_cast<const char*>(data), e.size);
      break;
  }
  return item;
}

// Value sizes below one unit of their format would be read past the end.
bool HasWholeValue(const ExifEntry& e) {
  return e.data != nullptr && e.size >= exif_format_get_size(e.format) && e.size > 0;
}

}  // namespace

// libexif's option value for rewriting tags to the standard's form.
constexpr auto kRewriteTagsOption = static_cast<ExifDataOption>(1 << 1);

PropertyItems DecodeExifBlock(const std::string& block) {
  if (block.empty()) return {};
  const std::string framed =
      block.starts_with(kExifPrefix) ? block : std::string(kExifPrefix) + block;
  ExifDataPtr data(exif_data_new());
  if (!data) return {};
  // exif_data_new switches on two repairs that would change what the file
  // stores: rewriting tags to the standard's form (bit 1) and dropping tags
  // it does not know. Both are switched off so values read as written.
  exif_data_unset_option(data.get(), kRewriteTagsOption);
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
  exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(framed.data()),
                      static_cast<unsigned int>(framed.size()));
  const ExifByteOrder order = exif_data_get_byte_order(data.get());
  PropertyItems items;
  for (const ExifIfd ifd : {EXIF_IFD_0, EXIF_IFD_EXIF}) {
    const ExifContent* content = data->ifd[ifd];
    if (content == nullptr) continue;
    for (unsigned int i = 0; i < content->count; ++i) {
      const ExifEntry* e = content->entries[i];
      if (e != nullptr && HasWholeValue(*e)) items.push_back(ToItem(*e, order));
    }
  }
  return items;
}

}  // namespace vant::imaging
