#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "../failing_allocator.h"
#include "log_fixture.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "pack_test_group.h"

using namespace trl;
using namespace omra::test;

namespace {

class PackTest : public TestGroupTest {
 protected:

  // The bytes pack_value appends for one argument; "" when it fails (status in *status).
  static std::string packed(int32_t type, int32_t count, const void *value, int *status = nullptr) {
    Buffer buffer(buffer_new_empty());
    int result = pack_value(2, type, count, value, buffer.get());
    if (status) *status = result;
    EXPECT_EQ(buffer->length, buffer->capacity);  // grown to exactly what it holds
    return bytes_of(buffer.get());
  }

  static std::string reply_with(const std::string &body, int message = kFnGetServerError) {
    std::string packet = unhex("02 00 00 00 09 00 00 00 00 00 00") + body;
    packet[1] = static_cast<char>(message >> 8);
    packet[2] = static_cast<char>(message);
    uint32_t length = static_cast<uint32_t>(packet.size());
    for (int i = 0; i < 4; ++i) packet[7 + i] = static_cast<char>(length >> (24 - 8 * i));
    return packet;
  }
};

void *allocate_small(size_t size) { return size > 65536 ? nullptr : std::malloc(size); }
void *reallocate_small(void *block, size_t size) { return size > 65536 ? nullptr : std::realloc(block, size); }
const Allocator kSmallOnly = {allocate_small, reallocate_small, std::free};

rpi_login_record sample_login() {
  rpi_login_record login{};
  std::strcpy(login.service, "svc");
  std::strcpy(login.user, "alice");
  std::strcpy(login.password, "s3cret");
  std::strcpy(login.path, "/data");
  login.flags = 0x0102;
  std::strcpy(login.variables, "A=1");
  return login;
}

}  // namespace

TEST_F(PackTest, MemorySizes) {
  struct Case {
    int32_t type, count;
    int64_t size;
  } cases[] = {
      {CH, 0, 1},      {UCH, 5, 5},    {SH, -5, 10},   {USH, 0, 2},
      {LW, 3, 12},     {ULW, 0, 4},    {FL, 0, 4},     {DB, 2, 16},
      {STR, PACK_TERMINATED, 0},       {STR, PACK_COUNT_FROM_EL, 0},
      {USD, 0, 8},     {PT, 2, 16},    {EL, 0, 2},     {DYNA, 0, 16},
      {1000, 0, 702},  {1000, 2, 1404}, {1001, 0, kRecordSize},
      {1002, 0, -1},   {0, 0, -1},     {14, 0, -1},    {999, 0, -1},
  };
  for (const Case &c : cases) EXPECT_EQ(pack_size(2, c.type, c.count), c.size) << c.type << " " << c.count;
  EXPECT_EQ(pack_element_size(2, 1000), 702);
  EXPECT_EQ(pack_element_size(3, 1000), -1);  // no group 3 registered
}

TEST_F(PackTest, EncodingsOfEachTypeAndCount) {
  const char *abc = "abc";
  EXPECT_EQ(hex(packed(STR, PACK_TERMINATED, &abc)), "61 62 63 00");
  EXPECT_EQ(hex(packed(STR, -2, &abc)), "61 62");
  char field[5] = "abc";
  char *field_address = field;
  EXPECT_EQ(hex(packed(STR, 5, &field_address)), "61 62 63 00 00") << "a fixed count sends exactly that many";

  int16_t shorts[] = {1, 2, 0, 7, 9};
  int16_t *shorts_address = shorts;
  EXPECT_EQ(hex(packed(SH, -5, &shorts_address)), "00 01 00 02 00 00");
  EXPECT_EQ(hex(packed(SH, 2, &shorts_address)), "00 01 00 02");

  int32_t lw = -2;
  uint32_t ulw = 0xA1B2C3D4;
  uint16_t ush = 0xFFFE;
  float fl = 1.5f;
  double db = -2.0;
  EXPECT_EQ(hex(packed(LW, 0, &lw)), "ff ff ff fe");
  EXPECT_EQ(hex(packed(ULW, 0, &ulw)), "a1 b2 c3 d4");
  EXPECT_EQ(hex(packed(USH, 0, &ush)), "ff fe");
  EXPECT_EQ(hex(packed(FL, 0, &fl)), "3f c0 00 00");
  EXPECT_EQ(hex(packed(DB, 0, &db)), "c0 00 00 00 00 00 00 00");
  EXPECT_EQ(hex(packed(PT, 0, &lw)), "");

  // Negative zero and not-a-number end a terminated floating-point array like zero does.
  double doubles[] = {1.0, -0.0, 3.0};
  double *doubles_address = doubles;
  EXPECT_EQ(hex(packed(DB, -3, &doubles_address)), "3f f0 00 00 00 00 00 00 80 00 00 00 00 00 00 00");
  float floats[] = {std::numeric_limits<float>::quiet_NaN(), 2.0f};
  float *floats_address = floats;
  EXPECT_EQ(packed(FL, -2, &floats_address).size(), 4u);

  // USD: a block "xy", then the null pointer that ends a terminated list (FF FF); a missing buffer is
  // an empty block.
  ipc_buffer xy{};
  char xy_bytes[] = "xy";
  buffer_describe(2, xy_bytes, &xy);
  ipc_buffer *blocks[] = {&xy, nullptr, &xy};
  ipc_buffer **blocks_address = blocks;
  EXPECT_EQ(hex(packed(USD, -3, &blocks_address)), "00 02 78 79 ff ff");
  EXPECT_EQ(hex(packed(USD, 2, &blocks_address)), "00 02 78 79 00 00");
  ipc_buffer *one = &xy;
  EXPECT_EQ(hex(packed(USD, 0, &one)), "00 02 78 79");

  // A missing array or value is sent as zero elements, keeping the shape of the packet.
  const char *no_text = nullptr;
  EXPECT_EQ(hex(packed(STR, PACK_TERMINATED, &no_text)), "00");
  EXPECT_EQ(hex(packed(SH, 2, &no_text)), "00 00 00 00");
  EXPECT_EQ(hex(packed(LW, 0, nullptr)), "00 00 00 00");
}

TEST_F(PackTest, PackValueAppendsAndGrowsToExactlyTheNewLength) {
  Buffer buffer = packet_of("ab");
  int32_t lw = 0x01020304;
  ASSERT_EQ(pack_value(2, LW, 0, &lw, buffer.get()), 0);
  EXPECT_EQ(hex(bytes_of(buffer.get())), "61 62 01 02 03 04");
  EXPECT_EQ(buffer->capacity, 6);
}

TEST_F(PackTest, DynaEncoding) {
  dyna_array *array = dyna_construct();
  ASSERT_EQ(dyna_add_string(array, 2, "ab"), 0);
  int32_t seven = 7;
  ASSERT_EQ(dyna_add_data(array, LW, &seven), 0);
  EXPECT_EQ(hex(packed(DYNA, 0, array)),
            "00 02 00 09 00 00 00 03 61 62 00 00 05 00 00 00 01 00 00 00 07");

  int status = 0;
  EXPECT_EQ(packed(DYNA, 1, array, &status), "");
  EXPECT_EQ(status, 1);
  EXPECT_NE(log_text().find("packerr = (817)"), std::string::npos);

  dyna_array empty{};
  EXPECT_EQ(hex(packed(DYNA, 0, &empty)), "00 00");
  dyna_destroy(&array);
}

TEST_F(PackTest, DynaElementOfForbiddenTypeOrCountZeroFailsWholeBuild818) {
  for (uint16_t type : {uint16_t{USD}, uint16_t{PT}, uint16_t{EL}, uint16_t{DYNA}, uint16_t{LW}}) {
    dyna_array *array = dyna_construct();
    int16_t value = 5;
    dyna_add_string(array, 1, "a");
    dyna_add_data(array, static_cast<uint16_t>(type == LW ? uint16_t{SH} : type), &value);
    if (type == LW) array->elements[1].size = 0;
    Buffer out(buffer_new(0));
    EXPECT_EQ(pack_value(2, DYNA, 0, array, out.get()), 1) << type;
    EXPECT_EQ(out->length, 0) << "nothing is sent";
    dyna_destroy(&array);
  }
  EXPECT_NE(log_text().find("packerr = (818)"), std::string::npos);
}

TEST_F(PackTest, InvalidTypeCodes802) {
  int32_t value = 1;
  for (int32_t type : {0, 14, 999, 1002, -1}) {
    int status = 0;
    EXPECT_EQ(packed(type, 0, &value, &status), "") << type;
    EXPECT_EQ(status, 1);
  }
  EXPECT_NE(log_text().find("packerr = (802)"), std::string::npos);
  int status = 0;
  EXPECT_EQ(packed(1000, -1, &value, &status), "");
  EXPECT_EQ(status, 801) << "a structure with a negative count is returned as is";
}

TEST_F(PackTest, LoginRecordIs702BytesOnTheWire) {
  rpi_login_record login = sample_login();
  std::string bytes = packed(1000, 0, &login);
  ASSERT_EQ(bytes.size(), 702u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("svc\0", 4));
  EXPECT_EQ(bytes.substr(50, 6), std::string("alice\0", 6));
  EXPECT_EQ(bytes.substr(100, 7), std::string("s3cret\0", 7));
  EXPECT_EQ(hex(bytes.substr(200, 2)), "01 02");
  EXPECT_EQ(bytes.substr(202, 4), std::string("A=1\0", 4));
}

TEST_F(PackTest, WorkedExampleRequestAndReplyOfFunction27) {
  int32_t instance = 1;
  int32_t code = 42;
  const char *text = "abc";
  Buffer request(buffer_new_empty());
  void *request_args[] = {&instance, &code, &text};
  ASSERT_EQ(packbld_request(2, kFnGetServerError, 5, 0, request.get(), request_args), 0);
  EXPECT_EQ(hex(bytes_of(request.get())), "02 00 1b 00 05 00 00 00 00 00 10 00 00 00 00 01");
  EXPECT_EQ(request->capacity, 16);

  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnGetServerError, 9, 0, reply.get(), request_args), 0);
  EXPECT_EQ(hex(bytes_of(reply.get())),
            "02 00 1b 00 09 00 00 00 00 00 17 00 00 00 00 00 00 00 2a 61 62 63 00");

  int32_t status = -5, got_code = 0;
  char *got_text = nullptr;
  void *reply_args[] = {&instance, &got_code, &got_text};
  {
    // An out LW lands in the caller's variable; only the text is allocated.
    ASSERT_EQ(packxtr_reply(reply.get(), &status, reply_args), 0);
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(got_code, 42);
  ASSERT_NE(got_text, nullptr);
  EXPECT_STREQ(got_text, "abc");
  memory_null_no_len(&got_text);
}

TEST_F(PackTest, OutScalarsNeedNoAllocation) {
  Buffer reply = packet_of(reply_with(unhex("00 00 00 07 ff ff ff f6 00")));
  int32_t status = 0, code = 0;
  char *text = nullptr;
  void *args[] = {nullptr, &code, &text};
  {
    FailingAllocator fail(2);  // the text's array is the only allocation
    ASSERT_EQ(packxtr_reply(reply.get(), &status, args), 0);
    EXPECT_FALSE(FailingAllocator::fired());
  }
  EXPECT_EQ(status, 7);
  EXPECT_EQ(code, -10);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text[0], '\0');
  memory_null_no_len(&text);
}

TEST_F(PackTest, ElementCountsAndTheirFailures) {
  int32_t instance = 3;
  int16_t el = 0;
  int16_t values[] = {5, 6};
  int16_t *values_address = values;
  Buffer out(buffer_new(0));
  void *args[] = {&instance, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr,   nullptr, &el,     &values_address};
  std::vector<void *> every(17, nullptr);
  for (size_t i = 0; i < std::size(args); ++i) every[i] = args[i];
  every[0] = nullptr;
  // EL 0 before an in array: the two bytes 00 00 and no array.
  ASSERT_EQ(packbld_request(2, kFnEveryIn, 1, 0, out.get(), every.data()), 0);
  std::string body = bytes_of(out.get()).substr(12);
  // CH, UCH[3], SH, USH, LW, ULW, FL: 1+3+2+2+4+4+4 = 20 zero bytes; DB -3 of null: 8; STR of null: 1;
  // USD of null: FF FF; PT: nothing; EL: 00 00; DYNA of null: 00 00; login record of null: 702 zeros.
  ASSERT_EQ(body.size(), 20u + 8 + 1 + 2 + 2 + 2 + 702);
  EXPECT_EQ(hex(body.substr(29, 6)), "ff ff 00 00 00 00");

  el = 2;
  ASSERT_EQ(packbld_request(2, kFnEveryIn, 1, 0, out.get(), every.data()), 0);
  body = bytes_of(out.get()).substr(12);
  EXPECT_EQ(hex(body.substr(29, 10)), "ff ff 00 02 00 05 00 06 00 00");

  EXPECT_EQ(packbld_request(2, kFnElLast, 1, 0, out.get(), every.data()), 812);
  EXPECT_EQ(packbld_request(2, kFnElNotCounted, 1, 0, out.get(), every.data()), 813);
  EXPECT_EQ(out->length, 0);
  EXPECT_TRUE(log_text().empty()) << "EL failures are returned, not reported";
}

TEST_F(PackTest, UnknownGroupOrFunctionFailsTheBuild) {
  Buffer out(buffer_new(0));
  EXPECT_EQ(packbld_request(3, kFnPing, 1, 0, out.get(), nullptr), 1);
  EXPECT_EQ(packbld_request(2, kFnCount, 1, 0, out.get(), nullptr), 1);
  EXPECT_EQ(packbld_request(2, -1, 1, 0, out.get(), nullptr), 1);
  std::string text = log_text();
  EXPECT_NE(text.find("packerr = (810)"), std::string::npos);
  EXPECT_NE(text.find("packerr = (809)"), std::string::npos);

  // A reply to a number without an entry is still built, with no arguments.
  ASSERT_EQ(packbld_reply(2, kFnCount + 5, 7, -1, out.get(), nullptr), 0);
  EXPECT_EQ(hex(bytes_of(out.get())), "02 00 2d 00 07 00 00 00 00 00 0f ff ff ff ff");
}

TEST_F(PackTest, EveryTypeRoundTripsThroughAReply) {
  int32_t instance = 1;
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
  const char *text = "hello";
  int16_t el = 3;
  int16_t counted[] = {-1, 0, 9};
  int16_t *counted_address = counted;
  dyna_array *dyna = dyna_construct();
  dyna_add_string(dyna, 5, "mixed");
  double pi = 3.5;
  dyna_add_data(dyna, DB, &pi);
  unsigned char byte = 0xEE;
  dyna_add_data(dyna, UCH, &byte);
  rpi_login_record login = sample_login();
  void *values[] = {&instance, &ch, &uch_address, &sh, &ush, &lw, &ulw, &fl, &db_address,
                    &text,     nullptr, &el, &counted_address, dyna, &login};
  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnEveryOut, 4, 12, reply.get(), values), 0);
  EXPECT_EQ(reply->capacity, reply->length);

  int32_t status = 0;
  char got_ch = 0;
  unsigned char got_uch_storage[3] = {};
  unsigned char *got_uch = got_uch_storage;  // a fixed out array fills the caller's array
  int16_t got_sh = 0, got_el = 0;
  uint16_t got_ush = 0;
  int32_t got_lw = 0;
  uint32_t got_ulw = 0;
  float got_fl = 0;
  double *got_db = nullptr;
  char *got_text = nullptr;
  int16_t counted_storage[3] = {};
  int16_t *got_counted = counted_storage;  // an EL-counted array is always a new one
  dyna_array got_dyna{};
  rpi_login_record got_login{};
  void *args[] = {nullptr, &got_ch, &got_uch, &got_sh, &got_ush, &got_lw, &got_ulw, &got_fl, &got_db,
                  &got_text, nullptr, &got_el, &got_counted, &got_dyna, &got_login};
  ASSERT_EQ(packxtr_reply(reply.get(), &status, args), 0);
  EXPECT_EQ(status, 12);
  EXPECT_EQ(got_ch, 'q');
  EXPECT_EQ(got_uch, got_uch_storage);
  EXPECT_EQ(std::memcmp(got_uch, uch, 3), 0);
  EXPECT_EQ(got_sh, -300);
  EXPECT_EQ(got_ush, 60000);
  EXPECT_EQ(got_lw, -70000);
  EXPECT_EQ(got_ulw, 4000000000u);
  EXPECT_EQ(got_fl, 0.25f);
  ASSERT_NE(got_db, nullptr);
  EXPECT_EQ(got_db[0], 1.5);
  EXPECT_EQ(got_db[1], -2.25);
  EXPECT_EQ(got_db[2], 0.0);
  EXPECT_STREQ(got_text, "hello");
  EXPECT_EQ(got_el, 3);
  ASSERT_NE(got_counted, counted_storage);
  EXPECT_EQ(got_counted[0], -1);
  EXPECT_EQ(got_counted[2], 9);
  ASSERT_EQ(dyna_count(&got_dyna), 3);
  EXPECT_STREQ(static_cast<char *>(dyna_get_data(&got_dyna, 1)), "mixed");
  EXPECT_EQ(dyna_get_size(&got_dyna, 1), 6);
  EXPECT_EQ(*static_cast<double *>(dyna_get_data(&got_dyna, 2)), 3.5);
  EXPECT_EQ(*static_cast<unsigned char *>(dyna_get_data(&got_dyna, 3)), 0xEE);
  EXPECT_EQ(std::memcmp(&got_login, &login, sizeof login), 0);

  memory_null_no_len(&got_db);
  memory_null_no_len(&got_text);
  memory_null_no_len(&got_counted);
  dyna_free(&got_dyna);
  dyna_destroy(&dyna);
}

TEST_F(PackTest, StructureWithDynaFieldAndCountedArrayRoundTrip) {
  unsigned char record[kRecordSize] = {};
  int32_t number = 77;
  std::memcpy(record, &number, 4);
  std::memcpy(record + 4, "name", 5);
  dyna_array inner{};
  dyna_add_string(&inner, 2, "in");
  std::memcpy(record + 12, &inner, sizeof inner);
  int16_t three[] = {1, 2, 3};
  int16_t *three_address = three;
  int16_t el = 2;
  int32_t longs[] = {10, 20};
  int32_t *longs_address = longs;
  void *values[] = {record, &three_address, &el, &longs_address};
  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnStructOut, 1, 0, reply.get(), values), 0);
  EXPECT_EQ(hex(bytes_of(reply.get()).substr(15, 4 + 5 + 2 + 10)),
            "00 00 00 4d 6e 61 6d 65 00 00 01 00 09 00 00 00 03 69 6e 00 00");

  unsigned char got_record[kRecordSize] = {};
  int16_t *got_three = nullptr;
  int16_t got_el = 0;
  int32_t *got_longs = nullptr;
  void *args[] = {got_record, &got_three, &got_el, &got_longs};
  int32_t status = 1;
  ASSERT_EQ(packxtr_reply(reply.get(), &status, args), 0);
  EXPECT_EQ(std::memcmp(got_record, record, 12), 0);
  dyna_array got_inner;
  std::memcpy(&got_inner, got_record + 12, sizeof got_inner);
  ASSERT_EQ(dyna_count(&got_inner), 1);
  EXPECT_STREQ(static_cast<char *>(dyna_get_data(&got_inner, 1)), "in");
  ASSERT_NE(got_three, nullptr);
  EXPECT_EQ(got_three[2], 3);
  ASSERT_NE(got_longs, nullptr);
  EXPECT_EQ(got_longs[1], 20);
  EXPECT_EQ(got_el, 2);

  dyna_free(&got_inner);
  dyna_free(&inner);
  memory_null_no_len(&got_three);
  memory_null_no_len(&got_longs);
}

TEST_F(PackTest, ExtractValueTargetRules) {
  Buffer packet = packet_of(std::string(11, '\0') + std::string("abc\0xyzw", 8));
  packet->data[0] = 2;
  // Terminated out text with no target: a new block of exactly text length + 1.
  int32_t offset = 11;
  void *target = nullptr;
  int32_t size = 0;
  ASSERT_EQ(packxtr_value(packet.get(), &offset, STR, PACK_TERMINATED, &target, &size), 0);
  EXPECT_EQ(offset, 15);
  EXPECT_EQ(size, 4);
  EXPECT_STREQ(static_cast<char *>(target), "abc");
  // A target of another recorded size is replaced; one of the same size is reused.
  ASSERT_EQ(packxtr_value(packet.get(), &offset, CH, 3, &target, &size), 0);
  EXPECT_EQ(size, 3);
  void *kept = target;
  offset = 12;
  ASSERT_EQ(packxtr_value(packet.get(), &offset, CH, 3, &target, &size), 0);
  EXPECT_EQ(target, kept);
  EXPECT_EQ(std::string(static_cast<char *>(target), 3), std::string("bc\0", 3));
  memory_null_zero(&target, &size);

  // A terminator that does not arrive within the limit still gives a terminated array.
  offset = 15;
  ASSERT_EQ(packxtr_value(packet.get(), &offset, STR, -4, &target, &size), 0);
  EXPECT_EQ(size, 5);
  EXPECT_STREQ(static_cast<char *>(target), "xyzw");
  memory_null_zero(&target, &size);

  // USD and PT extract nothing and leave the offset.
  offset = 11;
  EXPECT_EQ(packxtr_value(packet.get(), &offset, USD, 0, &target, &size), 0);
  EXPECT_EQ(packxtr_value(packet.get(), &offset, PT, 0, &target, &size), 0);
  EXPECT_EQ(offset, 11);
  EXPECT_EQ(target, nullptr);

  // Bad offsets, counts and codes.
  offset = -1;
  EXPECT_EQ(packxtr_value(packet.get(), &offset, CH, 0, &target, &size), 800);
  offset = 11;
  EXPECT_EQ(packxtr_value(packet.get(), &offset, LW, 3, &target, &size), 800);
  EXPECT_EQ(packxtr_value(packet.get(), &offset, DYNA, 2, &target, &size), 817);
  EXPECT_EQ(packxtr_value(packet.get(), &offset, 1000, -1, &target, &size), 801);
  EXPECT_EQ(packxtr_value(packet.get(), &offset, 1005, 0, &target, &size), 802);
  EXPECT_EQ(packxtr_value(packet.get(), &offset, 14, 0, &target, &size), 802);
  EXPECT_EQ(offset, 11);
  EXPECT_EQ(target, nullptr);
  EXPECT_TRUE(log_text().empty()) << "extraction failures are not reported";
}

// A packet is hostile input: every prefix of a valid reply fails cleanly, and counts that claim more
// than arrived are refused before anything is allocated for them.
TEST_F(PackTest, TruncatedRepliesFailWith800AndLeakNothing) {
  int32_t instance = 1;
  char ch = 'q';
  unsigned char uch[3] = {1, 2, 3};
  unsigned char *uch_address = uch;
  int16_t sh = 1, el = 2, counted[] = {4, 5};
  int16_t *counted_address = counted;
  uint16_t ush = 2;
  int32_t lw = 3;
  uint32_t ulw = 4;
  float fl = 1;
  double db[] = {1, 0};
  double *db_address = db;
  const char *text = "text";
  dyna_array *dyna = dyna_construct();
  dyna_add_string(dyna, 3, "abc");
  rpi_login_record login = sample_login();
  void *values[] = {&instance, &ch, &uch_address, &sh, &ush, &lw, &ulw, &fl, &db_address,
                    &text,     nullptr, &el, &counted_address, dyna, &login};
  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnEveryOut, 4, 0, reply.get(), values), 0);
  std::string whole = bytes_of(reply.get());

  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Buffer part = packet_of(whole.substr(0, cut));
    char got_ch;
    unsigned char *got_uch = nullptr;
    int16_t got_sh, got_el = 0, *got_counted = nullptr;
    uint16_t got_ush;
    int32_t got_lw, status = 0;
    uint32_t got_ulw;
    float got_fl;
    double *got_db = nullptr;
    char *got_text = nullptr;
    dyna_array got_dyna{};
    rpi_login_record got_login;
    void *args[] = {nullptr, &got_ch, &got_uch, &got_sh, &got_ush, &got_lw, &got_ulw, &got_fl, &got_db,
                    &got_text, nullptr, &got_el, &got_counted, &got_dyna, &got_login};
    int result = packxtr_reply(part.get(), &status, args);
    EXPECT_EQ(result, 800) << "cut at " << cut;
    memory_null_no_len(&got_uch);
    memory_null_no_len(&got_db);
    memory_null_no_len(&got_text);
    memory_null_no_len(&got_counted);
    dyna_free(&got_dyna);
  }
  dyna_destroy(&dyna);
}

TEST_F(PackTest, LyingCountsAllocateNothing) {
  struct Case {
    const char *name;
    std::string body;  // the DYNA after header and return status
    int expected;
  } cases[] = {
      {"65535 elements, none sent", unhex("ff ff"), 800},
      {"element claims 2e9 LW", unhex("00 01 00 05 77 35 94 00 00 00"), 800},
      {"element claims 2e9 structures", unhex("00 01 03 e8 77 35 94 00"), 800},
      {"terminated STR never ends", unhex("00 01 00 09 80 00 00 00 61 62"), 800},
      {"element of type DYNA", unhex("00 01 00 0d 00 00 00 01 00 00"), 818},
      {"element of count 0", unhex("00 01 00 05 00 00 00 00"), 818},
      {"element of type 0", unhex("00 01 00 00 00 00 00 01 00"), 802},
      {"element of type 999", unhex("00 01 03 e7 00 00 00 01 00"), 802},
      {"structure element, negative count", unhex("00 01 03 e8 ff ff ff fe"), 801},
      // Its inner array could never be released with the outer one.
      {"structure element holding a DYNA", unhex("00 01 03 e9 00 00 00 01 00 00 00 07 61 00 00 00"), 818},
  };
  static const rpi_arg kDynaOut[] = {{DYNA, 0, RPI_OUT}};
  static rpi_function functions[1] = {{1, kDynaOut, nullptr}};
  static const rpi_group group = {"DYNA", 1, 1, functions, 2, kTestStructs};
  rpi_register_group(&group);
  for (const Case &c : cases) {
    std::string packet = reply_with(unhex("00 00 00 00") + c.body, 0);
    packet[0] = 1;
    Buffer reply = packet_of(packet);
    dyna_array got{};
    void *args[] = {&got};
    int32_t status = 0;
    // Only small allocations may happen: this allocator refuses anything above 64 KiB.
    const Allocator *previous = set_allocator(&kSmallOnly);
    EXPECT_EQ(packxtr_reply(reply.get(), &status, args), c.expected) << c.name;
    set_allocator(previous);
    dyna_free(&got);
  }
}

TEST_F(PackTest, ArgumentsToArrayAndRelease) {
  int32_t a = 1, b = 2;
  char c = 3;
  void *args[] = {&a, &b, &c};
  void *values[255] = {};
  ASSERT_EQ(pack_args_to_array(2, kFnGetServerError, args, values), 0);
  EXPECT_EQ(values[0], &a);
  EXPECT_EQ(values[2], &c);
  EXPECT_EQ(values[3], nullptr);
  EXPECT_EQ(pack_args_to_array(2, kFnCount, args, values), 1);

  // What a server-side extraction would hold: holders, arrays, a dynamic array.
  void *slots[15] = {};
  slots[2] = memory_get(sizeof(void *));  // holder of the UCH[3] array
  void *array = memory_get(3);
  std::memcpy(slots[2], &array, sizeof array);
  slots[1] = memory_get(1);
  slots[13] = dyna_construct();
  dyna_add_string(static_cast<dyna_array *>(slots[13]), 2, "ab");
  pack_release(2, kFnEveryOut, slots);
  EXPECT_EQ(slots[1], nullptr);
  EXPECT_EQ(slots[2], nullptr);
  EXPECT_EQ(slots[13], nullptr);

  int async_flag = 7;
  void *incoming[21];
  for (void *&slot : incoming) slot = &a;
  Buffer request = packet_of(unhex("02 00 16 00 01 00 00 00 00 00 10 01 00 00 00 05"));
  EXPECT_EQ(packxtr_request(request.get(), &async_flag, incoming, 21), 0);
  EXPECT_EQ(async_flag, 0);
  for (void *slot : incoming) EXPECT_EQ(slot, nullptr);
}

// Every allocation of a build and of an extraction may fail: the call then fails, and whatever it had
// made is either released or handed to the caller, never lost.
TEST_F(PackTest, FailedAllocationsLoseNothing) {
  int32_t instance = 1;
  char ch = 'q';
  unsigned char uch[3] = {1, 2, 3};
  unsigned char *uch_address = uch;
  int16_t sh = 1, el = 2, counted[] = {4, 5};
  int16_t *counted_address = counted;
  uint16_t ush = 2;
  int32_t lw = 3;
  uint32_t ulw = 4;
  float fl = 1;
  double db[] = {1, 0};
  double *db_address = db;
  const char *text = "text";
  dyna_array *dyna = dyna_construct();
  dyna_add_string(dyna, 3, "abc");
  dyna_add_data(dyna, LW, &lw);
  rpi_login_record login = sample_login();
  void *values[] = {&instance, &ch, &uch_address, &sh, &ush, &lw, &ulw, &fl, &db_address,
                    &text,     nullptr, &el, &counted_address, dyna, &login};
  Buffer reply(buffer_new_empty());
  ASSERT_EQ(packbld_reply(2, kFnEveryOut, 4, 0, reply.get(), values), 0);

  bool succeeded = false;
  for (int n = 1; n < 50 && !succeeded; ++n) {
    Buffer out(buffer_new_empty());
    FailingAllocator fail(n);
    int result = packbld_reply(2, kFnEveryOut, 4, 0, out.get(), values);
    succeeded = !FailingAllocator::fired();
    EXPECT_EQ(result != 0, !succeeded) << n;
    if (succeeded) {
      EXPECT_EQ(bytes_of(out.get()), bytes_of(reply.get()));
    }
  }
  EXPECT_TRUE(succeeded);

  succeeded = false;
  for (int n = 1; n < 50 && !succeeded; ++n) {
    char got_ch;
    unsigned char *got_uch = nullptr;
    int16_t got_sh, got_el = 0, *got_counted = nullptr;
    uint16_t got_ush;
    int32_t got_lw, status = 0;
    uint32_t got_ulw;
    float got_fl;
    double *got_db = nullptr;
    char *got_text = nullptr;
    dyna_array got_dyna{};
    rpi_login_record got_login;
    void *args[] = {nullptr, &got_ch, &got_uch, &got_sh, &got_ush, &got_lw, &got_ulw, &got_fl, &got_db,
                    &got_text, nullptr, &got_el, &got_counted, &got_dyna, &got_login};
    int result;
    {
      FailingAllocator fail(n);
      result = packxtr_reply(reply.get(), &status, args);
      succeeded = !FailingAllocator::fired();
    }
    EXPECT_EQ(result != 0, !succeeded) << n;
    if (succeeded) {
      EXPECT_EQ(dyna_count(&got_dyna), 2);
    }
    memory_null_no_len(&got_uch);
    memory_null_no_len(&got_db);
    memory_null_no_len(&got_text);
    memory_null_no_len(&got_counted);
    dyna_free(&got_dyna);
  }
  EXPECT_TRUE(succeeded);
  dyna_destroy(&dyna);
}
