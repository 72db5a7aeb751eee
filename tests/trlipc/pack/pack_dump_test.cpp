#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "log_fixture.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "pack_test_group.h"

using namespace trl;
using namespace omra::test;

namespace {

class PackDumpTest : public TestGroupTest {
 protected:
  static std::string dump(const ipc_buffer *packet, bool is_request) {
    char *text = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&text, &size);
    pack_dump(packet, is_request, stream);
    std::fclose(stream);
    std::string out(text, size);
    std::free(text);
    return out;
  }
};

}  // namespace

std::string zeros(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "\\0";
  return out;
}
const std::string kNul(1, '\0');

TEST_F(PackDumpTest, RequestWithEveryType) {
  char ch = 'q';
  unsigned char uch[3] = {1, 200, 255};
  unsigned char *uch_address = uch;
  int16_t sh = -300;
  uint16_t ush = 60000;
  int32_t lw = -70000;
  uint32_t ulw = 4000000000u;
  float fl = 0.25f;
  double db[] = {1.5, -2.25, 0.0};
  double *db_address = db;
  const char *text = "hi";
  ipc_buffer xy{};
  char xy_bytes[] = "xy";
  buffer_describe(2, xy_bytes, &xy);
  ipc_buffer *blocks[] = {&xy, nullptr};
  ipc_buffer **blocks_address = blocks;
  int16_t el = 2;
  int16_t counted[] = {-1, 9};
  int16_t *counted_address = counted;
  dyna_array *dyna = dyna_construct();
  dyna_add_string(dyna, 2, "ab");
  int32_t seven = 7;
  dyna_add_data(dyna, LW, &seven);
  rpi_login_record login{};
  std::strcpy(login.service, "s\x01");
  std::strcpy(login.password, "pw");
  login.flags = 3;
  int32_t out_lw = 0;
  void *args[] = {&ch, &uch_address, &sh, &ush, &lw, &ulw, &fl, &db_address, &text, &blocks_address, nullptr,
                  &el, &counted_address, dyna, &login, &out_lw, nullptr};
  Buffer request(buffer_new_empty());
  ASSERT_EQ(packbld_request(2, kFnEveryIn, 5, 0, request.get(), args), 0);
  dyna_destroy(&dyna);

  const std::string expected =
      "Group number      : 2\n"
      "Message number    : 30\n"
      "Sequence number   : 5\n"
      "Packet number     : 0\n"
      "Packet length     : 794\n"
      "Async flag        : 0\n"
      "Argument #0 (     0) (I)  CH : q\n"
      "Argument #1 (     3) (I) UCH : 1 200 255\n"
      "Argument #2 (     0) (I)  SH : -300\n"
      "Argument #3 (     0) (I) USH : 60000\n"
      "Argument #4 (     0) (I)  LW : -70000\n"
      "Argument #5 (     0) (I) ULW : 4000000000\n"
      "Argument #6 (     0) (I)  FL : 0.250000\n"
      "Argument #7 (    -3) (I)  DB : 1.500000 -2.250000 0.000000\n"
      "Argument #8 (-2000000002) (I) STR : hi" + kNul + "\n"
      "Argument #9 (    -3) (I) USD : xy\n"
      "Argument #10 (     0) (I)  PT : pointer\n"
      "Argument #11 (     0) (I)  EL : 2\n"
      "Argument #12 (-2000000001) (I)  SH : -1 9\n"
      "Argument #13 (     0) (I) Dynamic Data:\n"
      "\n    --------\n"
      "    Number of data elements : 2\n"
      "    Element #0 (     3) STR : ab" + kNul + "\n"
      "    Element #1 (     1)  LW : 7\n"
      "\n    --------\n"
      "\n"
      "Argument #14 (     0) (I) STRUCT #0 :\n"
      "        Element #0 (    50)  CH : s\\001" + zeros(48) + "\n"
      "        Element #1 (    50)  CH : " + zeros(50) + "\n"
      "        Element #2 (    50)  CH : pw" + zeros(48) + "\n"
      "        Element #3 (    50)  CH : " + zeros(50) + "\n"
      "        Element #4 (     0)  SH : 3\n"
      "        Element #5 (   500)  CH : " + zeros(500) + "\n"
      "Argument #15 (     0) (O) Not built into packet.\n"
      "Argument #16 (     2) (?) Not built into packet.\n";
  EXPECT_EQ(dump(request.get(), true), expected);
}

TEST_F(PackDumpTest, ReplyWithEveryTypeAndNestedStructure) {
  char ch = '\x7f';
  unsigned char uch[3] = {0, 1, 2};
  unsigned char *uch_address = uch;
  int16_t sh = 1;
  uint16_t ush = 2;
  int32_t lw = 3;
  uint32_t ulw = 4;
  float fl = -1.0f;
  double db[] = {2.5, 0.0};
  double *db_address = db;
  const char *text = "";
  int16_t el = 0;
  dyna_array empty{};
  rpi_login_record login{};
  std::strcpy(login.user, "u");
  void *values[] = {nullptr, &ch, &uch_address, &sh, &ush, &lw, &ulw, &fl, &db_address,
                    &text,   nullptr, &el, nullptr, &empty, &login};
  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnEveryOut, 9, -4, reply.get(), values), 0);
  const std::string expected =
      "Group number      : 2\n"
      "Message number    : 31\n"
      "Sequence number   : 9\n"
      "Packet number     : 0\n"
      "Packet length     : " + std::to_string(reply->length) + "\n"
      "Return status     : -4\n"
      "Argument #0 (     0) (I) Not built into packet.\n"
      "Argument #1 (     0) (O)  CH : \\177\n"
      "Argument #2 (     3) (O) UCH : 0 1 2\n"
      "Argument #3 (     0) (O)  SH : 1\n"
      "Argument #4 (     0) (O) USH : 2\n"
      "Argument #5 (     0) (O)  LW : 3\n"
      "Argument #6 (     0) (O) ULW : 4\n"
      "Argument #7 (     0) (O)  FL : -1.000000\n"
      "Argument #8 (    -3) (O)  DB : 2.500000 0.000000\n"
      "Argument #9 (-2000000002) (O) STR : " + kNul + "\n"
      "Argument #10 (     0) (O)  PT : pointer\n"
      "Argument #11 (     0) (O)  EL : 0\n"
      "Argument #12 (-2000000001) (O) Not built into packet.\n"
      "Argument #13 (     0) (O) Dynamic Data:\n"
      "\n    --------\n"
      "    Number of data elements : 0\n"
      "\n    --------\n"
      "\n"
      "Argument #14 (     0) (O) STRUCT #0 :\n"
      "        Element #0 (    50)  CH : " + zeros(50) + "\n"
      "        Element #1 (    50)  CH : u" + zeros(49) + "\n"
      "        Element #2 (    50)  CH : " + zeros(50) + "\n"
      "        Element #3 (    50)  CH : " + zeros(50) + "\n"
      "        Element #4 (     0)  SH : 0\n"
      "        Element #5 (   500)  CH : " + zeros(500) + "\n";
  EXPECT_EQ(dump(reply.get(), false), expected);

  // A structure with a terminated field and a DYNA field, and an array of two structures: fields are
  // indented by their nesting depth and instances separated.
  unsigned char record[kRecordSize] = {};
  int32_t number = 5;
  std::memcpy(record, &number, 4);
  std::memcpy(record + 4, "ab", 3);
  int16_t three[] = {7, 8, 9};
  int16_t *three_address = three;
  int16_t two = 2;
  int32_t longs[] = {1, 2};
  int32_t *longs_address = longs;
  void *struct_values[] = {record, &three_address, &two, &longs_address};
  ASSERT_EQ(packbld_reply(2, kFnStructOut, 1, 0, reply.get(), struct_values), 0);
  const std::string nested =
      "Argument #0 (     0) (O) STRUCT #1 :\n"
      "        Element #0 (     0)  LW : 5\n"
      "        Element #1 (    -8) STR : ab" + kNul + "\n"
      "        Element #2 (     0) Dynamic Data:\n"
      "\n    --------\n"
      "    Number of data elements : 0\n"
      "\n    --------\n"
      "\n"
      "Argument #1 (     3) (O)  SH : 7 8 9\n"
      "Argument #2 (     0) (O)  EL : 2\n"
      "Argument #3 (-2000000001) (O)  LW : 1 2\n";
  std::string got = dump(reply.get(), false);
  ASSERT_NE(got.find("Return status     : 0\n"), std::string::npos);
  EXPECT_EQ(got.substr(got.find("Argument #0")), nested);
}

TEST_F(PackDumpTest, LoginPasswordIsMasked) {
  rpi_login_record login{};
  std::strcpy(login.service, "svc");
  std::strcpy(login.user, "bob");
  std::strcpy(login.password, "s3cr!t");
  void *args[] = {&login, nullptr, nullptr, nullptr};
  Buffer request(buffer_new_empty());
  for (int message : {IPC_MSG_LOGIN, 0}) {
    ASSERT_EQ(packbld_request(2, message, 1, 0, request.get(), args), 0);
    std::string got = dump(request.get(), true);
    EXPECT_EQ(got.find("s3cr"), std::string::npos) << got;
    EXPECT_NE(got.find("        Element #1 (    50)  CH : bob" + zeros(47) + "\n"), std::string::npos);
    EXPECT_NE(got.find("        Element #2 (    50)  CH : ******" + zeros(44) + "\n"), std::string::npos) << got;
  }
  // The same record as another function's argument is not a login and is shown as it is.
  void *every[17] = {};
  every[14] = &login;
  ASSERT_EQ(packbld_request(2, kFnEveryIn, 1, 0, request.get(), every), 0);
  EXPECT_NE(dump(request.get(), true).find("CH : s3cr!t"), std::string::npos);
}

TEST_F(PackDumpTest, DamagedPackets) {
  Buffer cut = packet_of(unhex("02 00 1b 00 05"));
  EXPECT_EQ(dump(cut.get(), true),
            "BAD status extracting packet number\n"
            "BAD status extracting packet length\n"
            "Group number      : 2\n"
            "Message number    : 27\n"
            "Sequence number   : 5\n"
            "Packet number     : 0\n"
            "Packet length     : 0\n"
            "BAD status extracting async flag :800\n"
            "Async flag        : 0\n"
            "Argument #0 (     0) (I) \n"
            "BAD extract status for this argument element : 800\n"
            "Argument #1 (     0) (O) Not built into packet.\n"
            "Argument #2 (-2000000002) (O) Not built into packet.\n");

  Buffer unknown = packet_of(unhex("02 00 2d 00 05 00 00 00 00 00 0c 00"));
  EXPECT_EQ(dump(unknown.get(), true),
            "Group number      : 2\n"
            "Message number    : 45\n"
            "Sequence number   : 5\n"
            "Packet number     : 0\n"
            "Packet length     : 12\n"
            "BAD status getting the function descriptor :$d\n");

  // A sub-packet shows its async flag whatever side it comes from; a reply text that never ends fails.
  Buffer part = packet_of(unhex("02 00 1b 00 05 00 01 00 00 00 12 00 00 00 00 00 00 00 07 61"));
  std::string got = dump(part.get(), false);
  EXPECT_NE(got.find("Packet number     : 1\nPacket length     : 18\nAsync flag        : 0\n"), std::string::npos) << got;
  Buffer reply = packet_of(unhex("02 00 1b 00 05 00 00 00 00 00 14 00 00 00 00 00 00 00 07 61"));
  got = dump(reply.get(), false);
  EXPECT_NE(got.find("Argument #1 (     0) (O)  LW : 7\n"
                     "Argument #2 (-2000000002) (O) \nBAD extract status for this argument element : 800\n"),
            std::string::npos)
      << got;
  pack_dump(reply.get(), false, nullptr);  // no stream: nothing
}
