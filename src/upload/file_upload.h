// VANT.FileUpload: the object a page creates to receive a
// multipart/form-data post. It holds the upload settings, parses the body
// on the first access that needs the form, streams files into temporary
// files of its DefaultPath, and forwards the single-file members to the
// first file of the form.
#pragma once

#include "progress/progress_table.h"
#include "upload/interfaces.h"

namespace vant::upload {

// The class name the class table gives FileUpload.
inline constexpr char16_t kFileUploadClassName[] = u"FileUpload";

// A new upload object whose progress links go to `table`. Null when the
// object cannot be made.
ComPtr<IFileUpload> MakeFileUpload(progress::ProgressTable& table);

// The class creator: an upload object on ProgressTable::Instance().
HRESULT CreateFileUpload(const IID& iid, void** out);

}  // namespace vant::upload
