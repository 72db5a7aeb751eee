#include <gtest/gtest.h>

#include <string>

#include "log_fixture.h"
#include "pack/descriptors.h"

using namespace trl;

namespace {

void local_function() {}

const rpi_arg kPingArgs[] = {{ULW, 0, RPI_IN}};
const rpi_function kTableA[] = {{0, nullptr, nullptr}, {1, kPingArgs, local_function}};
const rpi_function kTableB[] = {{0, nullptr, nullptr}, {0, nullptr, nullptr}, {1, kPingArgs, nullptr}};
const rpi_group kGroupA = {"A", 2, 2, kTableA, 1, &kLoginRecordStruct};
const rpi_group kGroupB = {"B", 2, 3, kTableB, 1, &kLoginRecordStruct};
const rpi_group kGroupFive = {"FIVE", 5, 2, kTableA, 1, &kLoginRecordStruct};
const rpi_group kGroupHigh = {"HIGH", 0x104, 2, kTableA, 1, &kLoginRecordStruct};

class DescriptorsTest : public omra::test::IpcLogTest {
 protected:
  void SetUp() override {
    IpcLogTest::SetUp();
    rpi_registry_reset();
  }
  void TearDown() override {
    rpi_registry_reset();
    IpcLogTest::TearDown();
  }
};

}  // namespace

TEST_F(DescriptorsTest, LoginStructureIsTheSixFieldsOf702Bytes) {
  ASSERT_EQ(kLoginRecordStruct.field_count, 6);
  int32_t size = 0;
  for (int i = 0; i < kLoginRecordStruct.field_count; ++i) {
    const rpi_field &field = kLoginRecordStruct.fields[i];
    size += field.type == SH ? 2 : field.count;
  }
  EXPECT_EQ(size, kLoginRecordSize);
  EXPECT_EQ(kLoginRecordSize, static_cast<int32_t>(sizeof(rpi_login_record)));
  EXPECT_EQ(kLoginRecordFields[4].type, SH);
  EXPECT_EQ(kLoginRecordFields[5].count, 500);
}

TEST_F(DescriptorsTest, RegisterFindAndReplace) {
  for (int g = -1; g <= 6; ++g) EXPECT_EQ(rpi_find_group(g), nullptr) << g;
  EXPECT_EQ(rpi_register_group(&kGroupA), 0);
  EXPECT_EQ(rpi_find_group(2), &kGroupA);

  rpi_function entry{};
  ASSERT_EQ(rpi_find_function(2, 1, &entry), 0);
  EXPECT_EQ(entry.args, kPingArgs);
  EXPECT_EQ(entry.function, &local_function);

  // A later registration of the same number replaces the earlier one for every later look-up.
  EXPECT_EQ(rpi_register_group(&kGroupB), 0);
  EXPECT_EQ(rpi_find_group(2), &kGroupB);
  ASSERT_EQ(rpi_find_function(2, 2, &entry), 0);
  EXPECT_EQ(entry.function, nullptr);
  EXPECT_EQ(entry.arg_count, 1);

  // Only the low 8 bits of the group number choose the slot.
  EXPECT_EQ(rpi_register_group(&kGroupHigh), 0);
  EXPECT_EQ(rpi_find_group(4), &kGroupHigh);
  EXPECT_TRUE(log_text().empty());
}

TEST_F(DescriptorsTest, GroupOutsideTheSlotsChangesNothingAndFails810) {
  EXPECT_EQ(rpi_register_group(&kGroupFive), 0);
  EXPECT_EQ(rpi_register_group(nullptr), 0);
  EXPECT_EQ(rpi_find_group(5), nullptr);
  for (int g = 1; g <= 4; ++g) EXPECT_EQ(rpi_find_group(g), nullptr);

  const rpi_group *found = &kGroupA;
  EXPECT_EQ(rpi_find_group_checked(5, &found), 1);
  EXPECT_EQ(found, nullptr);
  rpi_function entry{3, kPingArgs, local_function};
  EXPECT_EQ(rpi_lookup_function(5, 1, &entry), 810);
  EXPECT_EQ(entry.args, nullptr);  // cleared first
  EXPECT_EQ(rpi_find_function(5, 1, &entry), 1);
  EXPECT_EQ(rpi_system_messages(5, nullptr, nullptr, nullptr, nullptr), 1);
  std::string text = log_text();
  // checked find, find_function, system_messages: three entries, each with 810
  size_t entries = 0;
  for (size_t at = text.find("packerr = (810)"); at != std::string::npos; at = text.find("packerr = (810)", at + 1)) ++entries;
  EXPECT_EQ(entries, 3u) << text;
}

TEST_F(DescriptorsTest, MessageNumberOutsideTheTableFails809) {
  rpi_register_group(&kGroupA);
  rpi_function entry{};
  EXPECT_EQ(rpi_lookup_function(2, -1, &entry), 809);
  EXPECT_EQ(rpi_lookup_function(2, kGroupA.function_count, &entry), 809);
  EXPECT_EQ(rpi_lookup_function(2, kGroupA.function_count - 1, &entry), 0);
  EXPECT_EQ(rpi_find_function(2, -1, &entry), 1);
  EXPECT_NE(log_text().find("packerr = (809)"), std::string::npos);
}

TEST_F(DescriptorsTest, SystemMessagesAreTheSameInEveryGroup) {
  rpi_register_group(&kGroupA);
  rpi_register_group(&kGroupHigh);
  for (int g : {2, 4}) {
    int login = 0, stop = 0, ok = 0, resend = 0;
    ASSERT_EQ(rpi_system_messages(g, &login, &stop, &ok, &resend), 0);
    EXPECT_EQ(login, 4);
    EXPECT_EQ(stop, 1);
    EXPECT_EQ(ok, 2);
    EXPECT_EQ(resend, 3);
  }
}
