#pragma once
// The program's embedded resources and image decoding for icons.
#include <cairo.h>

#include <string>
#include <vector>

#include "winapi/wintypes.h"

namespace winapi {

bool readWholeFile(const std::string& path, std::vector<unsigned char>& out);
// The bytes of resource (name, type); false when there is none.
bool loadResourceBytes(LPCWSTR name, LPCWSTR type, std::vector<unsigned char>& out);
// Decodes a PNG, or an ICO file holding PNG or 32-bit entries, scaled to
// width x height (0: natural size) as a premultiplied ARGB32 surface.
cairo_surface_t* decodeImage(const std::vector<unsigned char>& bytes, int width, int height);

}  // namespace winapi
