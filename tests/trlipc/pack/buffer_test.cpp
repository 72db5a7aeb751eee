#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../failing_allocator.h"
#include "pack/buffer.h"

using namespace trl;

namespace {

struct BufferDeleter {
  void operator()(ipc_buffer *buffer) const { buffer_release(buffer); }
};
using Buffer = std::unique_ptr<ipc_buffer, BufferDeleter>;

Buffer from_bytes(const std::string &bytes) {
  return Buffer(buffer_new_from(static_cast<int32_t>(bytes.size()), bytes.data()));
}

}  // namespace

TEST(BufferTest, NewBuffersAndRecords) {
  Buffer empty_capacity(buffer_new(0));
  ASSERT_TRUE(empty_capacity);
  EXPECT_EQ(empty_capacity->capacity, 100);
  EXPECT_EQ(empty_capacity->length, 0);

  Buffer copy = from_bytes("hello");
  EXPECT_EQ(copy->capacity, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(copy->data), copy->length), "hello");

  Buffer record(buffer_new_empty());
  EXPECT_EQ(record->data, nullptr);
  EXPECT_EQ(record->capacity, 0);

  char outside[] = "abc";
  ipc_buffer described{};
  buffer_describe(3, outside, &described);
  EXPECT_EQ(described.capacity, 0);
  void *owned = memory_get(6);
  ipc_buffer adopted{};
  buffer_adopt(6, owned, &adopted);
  EXPECT_EQ(adopted.capacity, 6);
  buffer_clear(&adopted);
}

TEST(BufferTest, AppendGrowsToExactlyTheNeededSize) {
  Buffer buffer(buffer_new(100));
  std::string five(5, 'a'), two_hundred(200, 'b');
  ASSERT_EQ(buffer_append(buffer.get(), five.data(), 5), 0);
  EXPECT_EQ(buffer->capacity, 100);
  ASSERT_EQ(buffer_append(buffer.get(), two_hundred.data(), 200), 0);
  EXPECT_EQ(buffer->capacity, 205);
  EXPECT_EQ(buffer->length, 205);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer->data), 205), five + two_hundred);
}

TEST(BufferTest, AppendToADescribedBufferCopiesInsteadOfReallocatingForeignMemory) {
  char outside[] = "abc";
  ipc_buffer buffer{};
  buffer_describe(3, outside, &buffer);
  ASSERT_EQ(buffer_append(&buffer, "de", 2), 0);
  EXPECT_NE(buffer.data, reinterpret_cast<unsigned char *>(outside));
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer.data), buffer.length), "abcde");
  EXPECT_STREQ(outside, "abc");
  buffer_clear(&buffer);
}

TEST(BufferTest, FailedGrowthLeavesTheBufferAsItWas) {
  Buffer buffer = from_bytes("abc");
  {
    omra::test::FailingAllocator fail(1);
    EXPECT_EQ(buffer_append(buffer.get(), "defg", 4), 1);
  }
  EXPECT_EQ(buffer->length, 3);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer->data), 3), "abc");
}

TEST(BufferTest, ReadChecksTheRange) {
  Buffer buffer = from_bytes("0123456789ab");
  char out[4];
  EXPECT_EQ(buffer_read(buffer.get(), 8, 4, out), 0);
  EXPECT_EQ(std::string(out, 4), "89ab");
  EXPECT_EQ(buffer_read(buffer.get(), 9, 4, out), 1);
  EXPECT_EQ(buffer_read(buffer.get(), -1, 1, out), 1);
  EXPECT_EQ(buffer_read(buffer.get(), 0, -1, out), 1);
  EXPECT_EQ(buffer_read(nullptr, 0, 1, out), 1);
  ipc_buffer no_storage{};
  EXPECT_EQ(buffer_read(&no_storage, 0, 0, out), 1);
}

TEST(BufferTest, MeasureRuns) {
  // Two-byte elements: 0x0102, 0x0000, 0x0304.
  Buffer buffer = from_bytes(std::string("\x01\x02\x00\x00\x03\x04", 6));
  struct Case {
    int32_t offset, size, count;
    bool terminated;
    int result, length;
    bool found;
  } cases[] = {
      {0, 2, 3, false, 0, 6, false},
      {0, 2, 4, false, 1, 0, false},   // past the length
      {0, 2, 3, true, 0, 4, true},     // ends after the zero element
      {4, 2, 1, true, 0, 2, false},    // count reached first
      {4, 2, 2, true, 1, 0, false},    // would read past the buffer
      {-1, 2, 1, false, 1, 0, false},
      {0, -2, 1, false, 1, 0, false},
      {0, 2, -1, false, 1, 0, false},
  };
  for (const Case &c : cases) {
    int32_t length = 0;
    bool found = false;
    int result = buffer_measure(buffer.get(), c.offset, c.size, c.count, c.terminated, &length, &found);
    EXPECT_EQ(result, c.result) << c.offset << "/" << c.count;
    if (result == 0) {
      EXPECT_EQ(length, c.length) << c.offset << "/" << c.count;
      EXPECT_EQ(found, c.found) << c.offset << "/" << c.count;
    }
  }
}

TEST(BufferTest, CopyOutAppendsAndTerminates) {
  Buffer source = from_bytes("abcdef");
  ipc_buffer *destination = nullptr;
  ASSERT_EQ(buffer_copy_out(source.get(), 1, 1, 2, false, false, &destination), 0);
  Buffer owned(destination);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(destination->data), destination->length), "bc");
  // A terminated run without a terminator gets one zero element more.
  ASSERT_EQ(buffer_copy_out(source.get(), 3, 1, 3, true, true, &destination), 0);
  EXPECT_EQ(destination->length, 6);
  EXPECT_EQ(destination->capacity, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(destination->data), 6), std::string("bcdef\0", 6));
  EXPECT_EQ(buffer_copy_out(source.get(), 5, 1, 2, false, true, &destination), 1);
  EXPECT_EQ(destination->length, 6);
}

TEST(BufferTest, CopyOutFailsCleanlyWhenTheHeadroomCannotBeHad) {
  Buffer source = from_bytes("abcdef");
  Buffer destination = from_bytes("x");
  ipc_buffer *target = destination.get();
  {
    omra::test::FailingAllocator fail(1);
    EXPECT_EQ(buffer_copy_out(source.get(), 0, 1, 6, false, true, &target), 1);
  }
  EXPECT_EQ(destination->length, 1);
  EXPECT_EQ(destination->capacity, 1);
}
