// Fuzzes the DM3 or DM4 reader on any bytes, then the reader that picks the format by content: each
// reads a consistent picture, refuses with a message, or leaves the file to other readers.
#include "picture_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const spot::MicroscopePictureRead read = spot::ReadDmPicture(bytes);
  spot::fuzz::CheckPictureRead(read, size);
  spot::fuzz::CheckPictureRead(spot::ReadMicroscopePicture(bytes), size);
  return 0;
}
