// Writes an RGB image as a PNG file: uncompressed ("stored") deflate blocks, which every viewer
// reads, so the tests need no image library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wintest {

// `rgb` holds height rows of width pixels, three bytes each (red, green, blue), top row first.
bool write_png(const std::string &path, unsigned width, unsigned height, const std::vector<uint8_t> &rgb);

}  // namespace wintest
