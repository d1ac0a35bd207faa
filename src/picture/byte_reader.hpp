#pragma once
// Bounds-checked reading of numbers from a file held in memory, in either byte order: every
// read says whether the bytes were there, so a reader never looks past the end.
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring> // for memcpy
#include <span>

namespace spot {

enum class ByteOrder { Little, Big };

/// Reads an unsigned integer of `N` bytes at `at`; false when it does not fit in `bytes`.
template <class T>
bool ReadUnsigned(std::span<const std::uint8_t> bytes, std::size_t at, ByteOrder order, T& value) {
  constexpr std::size_t size = sizeof(T);
  if (at > bytes.size() || bytes.size() - at < size) return false;
  std::uint64_t result = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t index = order == ByteOrder::Big ? i : size - 1 - i;
    result = (result << 8) | bytes[at + index];
  }
  value = static_cast<T>(result);
  return true;
}

/// Sample `index` of an array of `T` starting at `start`, stored in `order`. The caller has
/// checked that the whole array lies inside the file.
template <class T> T SampleAt(const std::uint8_t* start, std::size_t index, ByteOrder order) {
  using Bits = std::conditional_t<
      sizeof(T) == 1, std::uint8_t,
      std::conditional_t<sizeof(T) == 2, std::uint16_t,
                         std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
  Bits bits = 0;
  const std::uint8_t* p = start + index * sizeof(T);
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    const std::size_t at = order == ByteOrder::Big ? i : sizeof(T) - 1 - i;
    bits = static_cast<Bits>((bits << 8) | p[at]);
  }
  return std::bit_cast<T>(bits);
}

/// A float read from a file as the double its shortest text means: 0.17443f becomes 0.17443,
/// not 0.1744299978..., so a calibration reads back as the camera software showed it.
inline double FloatAsWritten(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double result = value;
  std::from_chars(text, written.ptr, result);
  return result;
}

} // namespace spot
