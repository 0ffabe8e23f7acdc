// The database field interface the components use to move bytes into and out
// of a BLOB column. Pages hand the components a field object of their
// database access library; the components only ever call these four members.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::ado {

// Field type of a long variable-length binary column, the only type the
// components stream through GetChunk and AppendChunk.
inline constexpr std::int32_t kAdLongVarBinary = 205;

// Largest chunk the components pass to AppendChunk or ask of GetChunk.
inline constexpr std::int32_t kBlobChunkBytes = 65536;

// {00000569-0000-0010-8000-00AA006D2EA4}
struct IField : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000569, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);

  // The column's data type (kAdLongVarBinary for a BLOB column).
  virtual HRESULT get_Type(std::int32_t* out) = 0;
  // The number of bytes the field holds now.
  virtual HRESULT get_ActualSize(std::int32_t* out) = 0;
  // Reads up to `length` bytes from the current read position on as a
  // one-dimensional byte array (VT_ARRAY | VT_UI1); an empty variant (or an
  // array of no bytes) once the field is read to its end.
  virtual HRESULT GetChunk(std::int32_t length, Variant* out) = 0;
  // Appends the bytes of a one-dimensional byte array to the field; the
  // first call after the field was made current replaces the old content.
  virtual HRESULT AppendChunk(const Variant& data) = 0;
};

}  // namespace vant::ado
