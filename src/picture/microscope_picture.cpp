// Telling the formats apart by their first bytes, and reading a picture file.
#include "picture/microscope_picture.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "picture/byte_reader.hpp"

namespace spot {

std::string_view PictureFormatName(PictureFormat format) {
  switch (format) {
  case PictureFormat::Dm3: return "dm3";
  case PictureFormat::Dm4: return "dm4";
  case PictureFormat::Mrc: return "mrc";
  case PictureFormat::Tiff: return "tiff";
  }
  return "unknown";
}

bool IsReciprocalNanometres(std::string_view units) {
  std::string compact;
  for (char c : units)
    if (!std::isspace(static_cast<unsigned char>(c))) compact.push_back(c);
  return compact == "1/nm" || compact == "nm^-1" || compact == "nm-1";
}

DetectedFormat DetectPictureFormat(std::span<const std::uint8_t> bytes, std::uint64_t fileSize) {
  // MRC's stamp first: a big-endian MRC header of 3 x 2 x 1 pixels starts like a DM3 header.
  if (bytes.size() >= 1024 && std::memcmp(bytes.data() + 208, "MAP ", 4) == 0)
    return DetectedFormat::Mrc;
  // DM: a big-endian version 3 or 4, then the length of the tag tree and a byte-order flag of
  // 0 or 1 (at byte 8 in DM3, after the 64-bit length at byte 12 in DM4).
  std::uint32_t version = 0, flag = 0;
  if (ReadUnsigned(bytes, 0, ByteOrder::Big, version)) {
    if (version == 3 && ReadUnsigned(bytes, 8, ByteOrder::Big, flag) && flag <= 1)
      return DetectedFormat::Dm3;
    if (version == 4 && ReadUnsigned(bytes, 12, ByteOrder::Big, flag) && flag <= 1)
      return DetectedFormat::Dm4;
  }
  if (bytes.size() >= 4) {
    const bool little = bytes[0] == 'I' && bytes[1] == 'I' && bytes[3] == 0;
    const bool big = bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0;
    const std::uint8_t version = little ? bytes[2] : bytes[3];
    if ((little || big) && version == 42) return DetectedFormat::Tiff;
    if ((little || big) && version == 43) return DetectedFormat::BigTiff;
  }
  if (LooksLikeMrc(bytes, fileSize)) return DetectedFormat::Mrc;
  return DetectedFormat::Other;
}

DetectedFormat DetectPictureFormat(std::span<const std::uint8_t> bytes) {
  return DetectPictureFormat(bytes, bytes.size());
}

namespace {

MicroscopePictureRead ReadAs(DetectedFormat format, std::span<const std::uint8_t> bytes) {
  switch (format) {
  case DetectedFormat::Dm3:
  case DetectedFormat::Dm4: return ReadDmPicture(bytes);
  case DetectedFormat::Mrc: return ReadMrcPicture(bytes);
  case DetectedFormat::Tiff:
  case DetectedFormat::BigTiff: return ReadTiffPicture(bytes);
  case DetectedFormat::Other: break;
  }
  return {};
}

} // namespace

MicroscopePictureRead ReadMicroscopePicture(std::span<const std::uint8_t> bytes) {
  return ReadAs(DetectPictureFormat(bytes), bytes);
}

namespace {

// Bytes read to tell the format: MRC's header is the longest.
constexpr std::size_t kDetectBytes = 1024;
// A file larger than the samples allowed plus room for tags is read only when it is an MRC
// stack, whose first section lies at its start.
constexpr std::uint64_t kMaxWholeFileBytes = kMaxPictureSampleBytes + (std::uint64_t{64} << 20);

bool ReadInto(std::ifstream& in, std::vector<std::uint8_t>& bytes, std::size_t count) {
  const std::size_t start = bytes.size();
  bytes.resize(start + count);
  in.read(reinterpret_cast<char*>(bytes.data() + start), static_cast<std::streamsize>(count));
  bytes.resize(start + static_cast<std::size_t>(in.gcount()));
  return bytes.size() == start + count;
}

} // namespace

MicroscopePictureRead ReadMicroscopePictureFile(const std::string& path) {
  using Read = MicroscopePictureRead;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return Read::refused("it does not exist");
  if (!fs::is_regular_file(status)) return Read::refused("it is not a regular file");
  const std::uint64_t size = fs::file_size(path, ec);
  if (ec) return Read::refused("its size cannot be read (" + ec.message() + ")");

  std::ifstream in(path, std::ios::binary);
  if (!in) return Read::refused("it cannot be read (" + std::string(std::strerror(errno)) + ")");
  std::vector<std::uint8_t> bytes;
  ReadInto(in, bytes, static_cast<std::size_t>(std::min<std::uint64_t>(size, kDetectBytes)));
  const DetectedFormat format = DetectPictureFormat(bytes, size);
  if (format == DetectedFormat::Other) return {};

  std::uint64_t wanted = size;
  if (size > kMaxWholeFileBytes) {
    if (format != DetectedFormat::Mrc)
      return Read::refused("the file is too large (" + std::to_string(size >> 20) +
                           " MiB; at most " + std::to_string(kMaxWholeFileBytes >> 20) +
                           " MiB are read)");
    wanted = kMaxWholeFileBytes; // the header and the first section lie at the start
  }
  if (wanted > bytes.size() &&
      !ReadInto(in, bytes, static_cast<std::size_t>(wanted - bytes.size())))
    return Read::refused("it could not be read to its end");
  return ReadAs(format, bytes);
}

} // namespace spot
