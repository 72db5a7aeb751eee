#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log_fixture.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "pack_test_group.h"

using namespace trl;
using namespace omra::test;

namespace {

class PacketTest : public TestGroupTest {};

struct Parts {
  ipc_buffer **list = nullptr;
  ~Parts() { packgen_release_parts(list); }
  std::vector<std::string> bytes() const {
    std::vector<std::string> out;
    for (ipc_buffer **p = list; p && *p; ++p) out.push_back(bytes_of(*p));
    return out;
  }
};

// A message of the given length: the header of group 2, message 27, sequence 5, then body bytes
// 0x0b, 0x0c, ... so that every byte shows where it went.
std::string message_of(int32_t length) {
  std::string bytes = unhex("02 00 1b 00 05 00 00") + std::string(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[7 + i] = static_cast<char>(static_cast<uint32_t>(length) >> (24 - 8 * i));
  for (int32_t i = 11; i < length; ++i) bytes += static_cast<char>(i);
  return bytes;
}

}  // namespace

TEST_F(PacketTest, HeaderFieldsAndTheirReaders) {
  Buffer out(buffer_new(0));
  ASSERT_EQ(packet_write_header(out.get(), 0x102, -1, 65536 + 5, 3, 40), 0);
  EXPECT_EQ(hex(bytes_of(out.get())), "02 ff ff 00 05 00 03 00 00 00 28");
  int group = 0, message = 0, sequence = 0, number = 0;
  int32_t length = 0;
  ASSERT_EQ(packet_group(out.get(), &group), 0);
  ASSERT_EQ(packet_message_number(out.get(), &message), 0);
  ASSERT_EQ(packet_sequence_number(out.get(), &sequence), 0);
  ASSERT_EQ(packet_number(out.get(), &number), 0);
  ASSERT_EQ(packet_length(out.get(), &length), 0);
  EXPECT_EQ(group, 2);
  EXPECT_EQ(message, -1) << "the message number is read as signed";
  EXPECT_EQ(sequence, 5) << "a counter above 65535 travels as its low 16 bits";
  EXPECT_EQ(number, 3);
  EXPECT_EQ(length, 40);

  // Each reader fails when the buffer ends before its field does.
  struct Case {
    int32_t have;
    int expected[5];  // group, message, sequence, number, length
  } cases[] = {
      {0, {800, 800, 800, 800, 800}}, {1, {0, 800, 800, 800, 800}}, {3, {0, 0, 800, 800, 800}},
      {5, {0, 0, 0, 800, 800}},       {10, {0, 0, 0, 0, 800}},      {11, {0, 0, 0, 0, 0}},
  };
  for (const Case &c : cases) {
    ipc_buffer cut{};
    buffer_describe(c.have, out->data, &cut);
    EXPECT_EQ(packet_group(&cut, &group), c.expected[0]) << c.have;
    EXPECT_EQ(packet_message_number(&cut, &message), c.expected[1]) << c.have;
    EXPECT_EQ(packet_sequence_number(&cut, &sequence), c.expected[2]) << c.have;
    EXPECT_EQ(packet_number(&cut, &number), c.expected[3]) << c.have;
    EXPECT_EQ(packet_length(&cut, &length), c.expected[4]) << c.have;
  }
  EXPECT_EQ(packet_group(nullptr, &group), 800);

  EXPECT_EQ(packet_write_header(out.get(), 2, 1, 1, 0, kMaxPacketLength + 1), 1);
  EXPECT_NE(log_text().find("packerr = (816)"), std::string::npos);
}

TEST_F(PacketTest, ControlPingAndEmptyReplyPackets) {
  Buffer out(buffer_new(0));
  for (int message : {IPC_MSG_STOP, IPC_MSG_OK, IPC_MSG_RESEND}) {
    ASSERT_EQ(packbld_control(2, message, 7, out.get()), 0);
    EXPECT_EQ(hex(bytes_of(out.get())), "02 00 0" + std::to_string(message) + " 00 07 00 00 00 00 00 0c 00");
  }
  int32_t instance = 1;
  void *args[] = {&instance};
  ASSERT_EQ(packbld_request(2, kFnPing, 1, 0, out.get(), args), 0);
  EXPECT_EQ(out->length, 16);
  ASSERT_EQ(packbld_request(2, kFnPing, 1, 1, out.get(), args), 0);
  EXPECT_EQ(out->data[11], 1) << "async flag";
  ASSERT_EQ(packbld_reply(2, kFnPing, 1, 3, out.get(), args), 0);
  EXPECT_EQ(hex(bytes_of(out.get())), "02 00 16 00 01 00 00 00 00 00 0f 00 00 00 03");
}

TEST_F(PacketTest, SplitAndJoinThirtyBytesAtMaximumTwenty) {
  Buffer message = packet_of(message_of(30));
  Parts parts;
  ASSERT_EQ(packgen_split(message.get(), 20, &parts.list), 0);
  std::vector<std::string> got = parts.bytes();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(hex(got[0]), "02 00 1b 00 05 00 02 00 00 00 14 0b 0c 0d 0e 0f 10 11 12 13");
  EXPECT_EQ(hex(got[1]), "02 00 1b 00 05 00 01 00 00 00 14 14 15 16 17 18 19 1a 1b 1c");
  EXPECT_EQ(hex(got[2]), "02 00 1b 00 05 00 00 00 00 00 0c 1d");
  for (ipc_buffer **p = parts.list; *p; ++p) EXPECT_EQ((*p)->capacity, (*p)->length);

  Buffer joined(buffer_new_empty());
  ASSERT_EQ(packgen_join(parts.list, joined.get()), 0);
  EXPECT_EQ(hex(bytes_of(joined.get())), hex(message_of(30)));
  EXPECT_EQ(joined->capacity, 30);
}

TEST_F(PacketTest, SplitAtTheMaximumAndOneByteMore) {
  for (int32_t length : {20, 21, 12, 11}) {
    Buffer message = packet_of(message_of(length));
    Parts parts;
    ASSERT_EQ(packgen_split(message.get(), 20, &parts.list), 0) << length;
    std::vector<std::string> got = parts.bytes();
    ASSERT_EQ(got.size(), length == 21 ? 2u : 1u) << length;
    if (length == 21) {
      EXPECT_EQ(got[0].size(), 20u);
      EXPECT_EQ(hex(got[1]), "02 00 1b 00 05 00 00 00 00 00 0c 14");
    } else {
      EXPECT_EQ(got[0], message_of(length));
    }
  }
}

TEST_F(PacketTest, SplitFailures) {
  Buffer message = packet_of(message_of(30));
  Parts parts;
  EXPECT_EQ(packgen_split(message.get(), 11, &parts.list), 1);
  EXPECT_EQ(parts.list, nullptr);
  EXPECT_NE(log_text().find("packerr = (808)"), std::string::npos);
  // A length field that claims more than the message holds.
  Buffer lying = packet_of(message_of(30).substr(0, 25));
  EXPECT_EQ(packgen_split(lying.get(), 20, &parts.list), 1);
  EXPECT_EQ(parts.list, nullptr);
  // More sub-packets than the 16-bit packet number can count.
  Buffer big = packet_of(message_of(70000));
  EXPECT_EQ(packgen_split(big.get(), 12, &parts.list), 1);
  EXPECT_NE(log_text().find("packerr = (807)"), std::string::npos);
}

TEST_F(PacketTest, JoinChecksEveryPartAgainstWhatArrived) {
  Buffer good = packet_of(message_of(15));
  std::string short_body = message_of(15);
  short_body.resize(13);  // says 15, holds 13
  Buffer lying = packet_of(short_body);
  Buffer tiny = packet_of("\x02\x00");
  std::string under = message_of(15);
  under[10] = 5;  // a length below the header's own
  Buffer too_short = packet_of(under);
  Buffer out(buffer_new(0));
  for (ipc_buffer *bad : {lying.get(), tiny.get(), too_short.get()}) {
    ipc_buffer *list[] = {good.get(), bad, nullptr};
    EXPECT_EQ(packgen_join(list, out.get()), 1);
    EXPECT_EQ(out->length, 0);
  }
  ipc_buffer *none[] = {nullptr};
  EXPECT_EQ(packgen_join(none, out.get()), 1);
  EXPECT_NE(log_text().find("packerr = (800)"), std::string::npos);

  ipc_buffer *two[] = {good.get(), good.get(), nullptr};
  ASSERT_EQ(packgen_join(two, out.get()), 0);
  EXPECT_EQ(hex(bytes_of(out.get())), "02 00 1b 00 05 00 00 00 00 00 13 0b 0c 0d 0e 0b 0c 0d 0e");
}
