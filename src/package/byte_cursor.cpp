// Bounds-checked reading of the little-endian values of an Unreal package, one failure carried.
#include "package/byte_cursor.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "text/brush_error.h"

namespace brushwright {

// A compact index spends 6 bits in its first byte and 7 in each further one: five bytes carry
// all 32 bits, and a sixth would be a broken file.
constexpr int kLongestCompactIndex = 5;

ByteCursor::ByteCursor(std::span<const std::uint8_t> bytes, std::int64_t file_offset,
                       std::string file, std::string object)
    : bytes_(bytes),
      file_offset_(file_offset),
      file_(std::move(file)),
      object_(std::move(object)) {}

const std::uint8_t* ByteCursor::Take(std::int64_t count) {
  if (!Ok()) return nullptr;
  if (count < 0 || count > Remaining()) {
    Fail(std::to_string(count) + " bytes wanted, " + std::to_string(Remaining()) + " left");
    return nullptr;
  }
  const std::uint8_t* at = bytes_.data() + position_;
  position_ += count;
  return at;
}

std::uint8_t ByteCursor::U8() {
  const std::uint8_t* at = Take(1);
  return at ? *at : 0;
}

std::uint16_t ByteCursor::U16() {
  const std::uint8_t* at = Take(2);
  return at ? static_cast<std::uint16_t>(at[0] | (at[1] << 8)) : 0;
}

std::uint32_t ByteCursor::U32() {
  const std::uint8_t* at = Take(4);
  if (!at) return 0;
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t ByteCursor::I32() {
  return static_cast<std::int32_t>(U32());
}

std::int64_t ByteCursor::I64() {
  const std::uint64_t low = U32();
  const std::uint64_t high = U32();
  return static_cast<std::int64_t>(low | (high << 32));
}

float ByteCursor::F32() {
  return std::bit_cast<float>(U32());
}

std::int32_t ByteCursor::CompactIndex() {
  const std::int64_t start = position_;
  std::uint8_t byte = U8();
  const bool negative = (byte & 0x80) != 0;
  std::uint32_t value = byte & 0x3F;
  bool more = (byte & 0x40) != 0;
  int shift = 6;
  for (int length = 1; more && Ok(); ++length) {
    if (length == kLongestCompactIndex) {
      position_ = start;
      Fail("compact index longer than 5 bytes");
      return 0;
    }
    byte = U8();
    value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    shift += 7;
    more = (byte & 0x80) != 0;
  }
  if (!Ok()) return 0;
  // Values past 31 bits do not occur in packages; they are kept as their low 31 bits rather
  // than overflowing.
  const auto magnitude = static_cast<std::int32_t>(value & 0x7FFFFFFF);
  return negative ? -magnitude : magnitude;
}

std::span<const std::uint8_t> ByteCursor::Bytes(std::int64_t count) {
  const std::uint8_t* at = Take(count);
  if (!at) return {};
  return {at, static_cast<std::size_t>(count)};
}

void ByteCursor::Skip(std::int64_t count) {
  Take(count);
}

void ByteCursor::SeekFile(std::int64_t file_offset) {
  if (!Ok()) return;
  const std::int64_t position = file_offset - file_offset_;
  if (position < 0 || position > static_cast<std::int64_t>(bytes_.size())) {
    Fail("offset " + std::to_string(file_offset) + " outside bytes " +
         std::to_string(file_offset_) + " to " +
         std::to_string(file_offset_ + static_cast<std::int64_t>(bytes_.size())));
    return;
  }
  position_ = position;
}

std::int32_t ByteCursor::Count(std::int64_t count, std::int64_t least_element_size,
                               std::string_view what) {
  if (!Ok()) return 0;
  if (count < 0 || count > INT32_MAX ||
      (least_element_size > 0 && count > Remaining() / least_element_size)) {
    Fail(std::string(what) + " count " + std::to_string(count) + " does not fit in the " +
         std::to_string(Remaining()) + " bytes left");
    return 0;
  }
  return static_cast<std::int32_t>(count);
}

void ByteCursor::Fail(std::string_view what) {
  if (!Ok()) return;
  failure_ = "'" + file_ + "', " + object_ + ": " + std::string(what) + " at byte " +
             std::to_string(FileOffset());
}

void ByteCursor::Check() const {
  if (!Ok()) throw BrushError(failure_);
}

}  // namespace brushwright
