// The image processor's platform layer: everything the components use to
// read and write images, behind one header. The rest of this folder is in
// detail/ and is used by this layer only (and its tests and fuzzers).
//
// - ProbeImage (image_probe): whether a file is an image, its size and
//   format, from its header alone.
// - ReadImageFacts (image_facts): format, size, pixel format, resolution
//   and property items of a source file, without decoding pixels.
// - The writes (image_writer): thumbnail, conversion, image and text
//   watermarks, each into a temporary file that replaces the target.
// - PropertyItem (property_item): TIFF and EXIF tags as plain values.
// - Raw-format identifiers and their names (raw_format).
// - MaxImagePixels and FitsPixelLimit (pixel_limit): the largest image
//   decoded or created, from the host's settings.
#pragma once

#include "platform/imaging/detail/image_facts.h"
#include "platform/imaging/detail/image_probe.h"
#include "platform/imaging/detail/image_writer.h"
#include "platform/imaging/detail/pixel_limit.h"
#include "platform/imaging/detail/property_item.h"
#include "platform/imaging/detail/raw_format.h"
