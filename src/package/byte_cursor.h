// Bounds-checked reading of the little-endian values of an Unreal package, one failure carried.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace brushwright {

// Reads values from a range of a package's bytes. Every read is checked against the end of the
// range; the first failure is kept (with the byte offset in the file where it happened) and every
// later read gives 0 or an empty range without moving, so a run of reads is checked once, at its
// end, with Check(). The range must outlive the cursor.
class ByteCursor {
 public:
  // `bytes` are the file's bytes from `file_offset` on. `file` and `object` name what is read in
  // error messages ("Checkers.utx", "export 'checkers_base' (Texture)").
  ByteCursor(std::span<const std::uint8_t> bytes, std::int64_t file_offset, std::string file,
             std::string object);

  std::uint8_t U8();
  std::uint16_t U16();
  std::int32_t I32();
  std::uint32_t U32();
  std::int64_t I64();
  float F32();
  // The engine's variable-length signed integer: sign and 6 bits in the first byte, 7 bits in
  // each of up to four more.
  std::int32_t CompactIndex();
  // The next `count` bytes; empty (and a failure) when fewer are left or the count is negative.
  std::span<const std::uint8_t> Bytes(std::int64_t count);
  void Skip(std::int64_t count);
  // Moves to a file offset inside the range (its end included).
  void SeekFile(std::int64_t file_offset);

  // `count` itself when it is not negative and the bytes left can hold that many elements of at
  // least `least_element_size` bytes each; otherwise a failure naming `what`, and 0. Checked
  // before anything is reserved for the elements.
  std::int32_t Count(std::int64_t count, std::int64_t least_element_size, std::string_view what);

  // Records `what` as the failure at the current offset, unless one is already recorded.
  void Fail(std::string_view what);
  bool Ok() const { return failure_.empty(); }
  // Throws BrushError "'<file>', <object>: <what> at byte <offset>" for the first failure.
  void Check() const;

  std::int64_t FileOffset() const { return file_offset_ + position_; }
  std::int64_t Remaining() const { return static_cast<std::int64_t>(bytes_.size()) - position_; }
  bool AtEnd() const { return Remaining() == 0; }
  const std::string& File() const { return file_; }
  const std::string& Object() const { return object_; }

 private:
  // The next `count` bytes when they are there; otherwise a failure and nullptr.
  const std::uint8_t* Take(std::int64_t count);

  std::span<const std::uint8_t> bytes_;
  std::int64_t file_offset_;
  std::int64_t position_ = 0;
  std::string file_;
  std::string object_;
  std::string failure_;  // the complete message of the first failure; empty while all is well
};

}  // namespace brushwright
