// Every exported stub of both groups against a real zentrixd.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "groups/groups.h"
#include "pack/descriptors.h"
#include "test_support.h"
#include "transport/channel.h"
#include "trlipc.h"
#include "zentrixd_process.h"

using namespace trl;
using omra::test::ZentrixdProcess;

namespace {

struct StubName {
  int group;
  int number;
  const char *name;
  void *address;
};

#define STUB(group, number, fn) {group, number, #fn, reinterpret_cast<void *>(&fn)}
const StubName kStubs[] = {
    STUB(3, 20, dbirpi_begin), STUB(3, 21, dbirpi_end), STUB(3, 22, dbirpi_lookup_by_name),
    STUB(3, 23, dbirpi_get_rd), STUB(3, 24, dbirpi_get_header_rd), STUB(3, 25, dbirpi_get_field_rd),
    STUB(3, 26, dbirpi_lookup_group), STUB(3, 27, dbirpi_name_check), STUB(3, 28, dbirpi_num_fields),
    STUB(3, 29, dbirpi_read_dictionary), STUB(3, 30, dbirpi_remove_ddf), STUB(3, 31, dbirpi_save_record),
    STUB(3, 32, dbirpi_list_groups), STUB(3, 33, dbirpi_generate_document), STUB(3, 34, trl::dbirpi_function_34),
    STUB(3, 35, dbirpi_describe_view_links), STUB(3, 36, dbirpi_save_group), STUB(3, 37, dbirpi_delete_group),
    STUB(3, 38, dbirpi_read_control), STUB(3, 39, dbirpi_save_control), STUB(3, 40, dbirpi_list_users),
    STUB(3, 41, dbirpi_read_user_groups), STUB(3, 42, dbirpi_get_group_by_number), STUB(3, 43, dbirpi_save_user),
    STUB(3, 44, dbirpi_delete_user), STUB(3, 45, dbirpi_write_header_rd), STUB(3, 46, dbirpi_save_view),
    STUB(3, 47, dbirpi_dmsutl), STUB(3, 48, dbirpi_get_server_error), STUB(3, 49, dbirpi_load_group),
    STUB(3, 50, dbirpi_get_network_set_name), STUB(3, 51, dbirpi_set_env_vars),
    STUB(3, 52, dbirpi_get_current_user), STUB(3, 53, dbirpi_validate_link), STUB(3, 54, dbirpi_list_modules),
    STUB(3, 55, dbirpi_save_modules), STUB(3, 56, dbirpi_check_file_exists), STUB(3, 57, dbirpi_create_file),
    STUB(2, 20, trlrpi_init_engine), STUB(2, 21, trlrpi_stop_engine), STUB(2, 22, trlrpi_ping),
    STUB(2, 23, trlrpi_validate_versions), STUB(2, 24, trlrpi_get_user_info), STUB(2, 25, trlrpi_get_enable_dbms),
    STUB(2, 26, trlrpi_get_access_types), STUB(2, 27, trlrpi_get_server_error), STUB(2, 28, trlrpi_get_ddf_list),
    STUB(2, 29, trlrpi_get_ddf_attr), STUB(2, 30, trlrpi_autold), STUB(2, 31, trlrpi_save_auto_ddf),
    STUB(2, 32, trlrpi_get_rdf_list), STUB(2, 33, trlrpi_get_rdf_attr), STUB(2, 34, trlrpi_get_rdf),
    STUB(2, 35, trlrpi_put_rdf), STUB(2, 36, trlrpi_delete_rdf), STUB(2, 37, trlrpi_get_flds),
    STUB(2, 38, trlrpi_check_rse), STUB(2, 39, trlrpi_selbgn), STUB(2, 40, trlrpi_selnxt), STUB(2, 41, trlrpi_selend),
    STUB(2, 42, trlrpi_get_status), STUB(2, 43, trlrpi_set_options), STUB(2, 44, trlrpi_set_env_vars),
    STUB(2, 45, trlrpi_obj_access), STUB(2, 46, trlrpi_obj_get_list), STUB(2, 47, trlrpi_obj_new),
    STUB(2, 48, trlrpi_obj_open), STUB(2, 49, trlrpi_obj_save), STUB(2, 50, trlrpi_obj_delete),
    STUB(2, 51, trlrpi_obj_get_input_list), STUB(2, 52, trlrpi_obj_compile), STUB(2, 53, trlrpi_obj_generate),
    STUB(2, 54, trlrpi_obj_get_flds), STUB(2, 55, trlrpi_obj_get_output_param),
    STUB(2, 56, trlrpi_obj_submit_batch), STUB(2, 57, trlrpi_obj_job_scheduler),
    STUB(2, 58, trlrpi_obj_execute_command), STUB(2, 59, trlrpi_task_get_tasks_by_user),
    STUB(2, 60, trlrpi_task_get_tasks_by_level), STUB(2, 61, trlrpi_task_get_task_by_name),
    STUB(2, 62, trlrpi_task_create_name), STUB(2, 63, trlrpi_task_create_task), STUB(2, 64, trlrpi_task_update_task),
    STUB(2, 65, trlrpi_task_update_account), STUB(2, 66, trlrpi_task_delete_task),
    STUB(2, 67, trlrpi_task_get_item_data), STUB(2, 68, trlrpi_task_set_item_data),
    STUB(2, 69, trlrpi_task_get_param_file), STUB(2, 70, trlrpi_task_set_param_file),
    STUB(2, 71, trlrpi_task_get_triggers), STUB(2, 72, trlrpi_task_create_trigger),
    STUB(2, 73, trlrpi_task_update_trigger), STUB(2, 74, trlrpi_task_delete_trigger),
};
#undef STUB

const rpi_group *group_record(int group) { return group == 3 ? dbirpi_group() : trlrpi_group(); }

rpi_connect_info connect_info(const std::string &service) {
  rpi_connect_info info;
  std::memset(&info, 0, sizeof info);
  strx_cpy(info.server, "127.0.0.1", sizeof info.server);
  strx_cpy(info.port, service.c_str(), sizeof info.port);
  strx_cpy(info.service, "TEST", sizeof info.service);
  strx_cpy(info.user, "tester", sizeof info.user);
  strx_cpy(info.password, "secret", sizeof info.password);
  return info;
}

// The value of one argument of a call, wherever its type keeps it, and what the echo makes of it.
struct Slot {
  uint32_t u = 0;
  int32_t l = -1;
  int16_t s = -1;
  int16_t shorts[33] = {};
  int16_t *shorts_address = shorts;
  const char *text = nullptr;
  std::string text_storage;
  char *out_text = nullptr;
  dyna_array array{};
  void *address = nullptr;
};

using P = void *;
int invoke(void *fn, int count, P *a) {
  switch (count) {
    case 1: return reinterpret_cast<int (*)(P)>(fn)(a[0]);
    case 2: return reinterpret_cast<int (*)(P, P)>(fn)(a[0], a[1]);
    case 3: return reinterpret_cast<int (*)(P, P, P)>(fn)(a[0], a[1], a[2]);
    case 4: return reinterpret_cast<int (*)(P, P, P, P)>(fn)(a[0], a[1], a[2], a[3]);
    case 5: return reinterpret_cast<int (*)(P, P, P, P, P)>(fn)(a[0], a[1], a[2], a[3], a[4]);
    case 6: return reinterpret_cast<int (*)(P, P, P, P, P, P)>(fn)(a[0], a[1], a[2], a[3], a[4], a[5]);
    case 7: return reinterpret_cast<int (*)(P, P, P, P, P, P, P)>(fn)(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    default: ADD_FAILURE() << "no call form for " << count << " arguments"; return -1;
  }
}

// Calls one stub with in values made from its number and checks what comes back; returns the line
// the echo must have written.
std::string call_and_check(const StubName &stub, int *instance) {
  SCOPED_TRACE(stub.name);
  const rpi_function &entry = group_record(stub.group)->functions[stub.number];
  int count = entry.arg_count & 0xFF;
  std::vector<Slot> slots(static_cast<size_t>(count));
  std::vector<P> args(static_cast<size_t>(count));
  std::string line;
  auto add = [&line](const std::string &part) { line += (line.empty() ? "" : "|") + part; };
  const int n = stub.number;
  for (int i = 0; i < count; ++i) {
    const rpi_arg &arg = entry.args[i];
    Slot &slot = slots[static_cast<size_t>(i)];
    if (i == 0) {
      args[0] = instance;
      add("u:" + std::to_string(*instance));
      continue;
    }
    bool in = arg.direction == RPI_IN;
    if (arg.type == DYNA) {
      if (in) {
        slot.text_storage = "dyn-" + std::to_string(n) + "-" + std::to_string(i);
        dyna_add_string(&slot.array, static_cast<int>(slot.text_storage.size()), slot.text_storage.c_str());
        int32_t value = n;
        dyna_add_data(&slot.array, LW, &value);
        add("d{9:t:" + slot.text_storage + ",5:l:" + std::to_string(n) + "}");
      }
      args[i] = &slot.array;
    } else if (arg.type == STR) {
      if (in) {
        slot.text_storage = "text-" + std::to_string(n) + "-" + std::to_string(i);
        slot.text = slot.text_storage.c_str();
        args[i] = &slot.text;
        add("t:" + slot.text_storage);
      } else {
        args[i] = &slot.out_text;
      }
    } else if (arg.type == SH && arg.count == 33) {
      std::string values;
      for (int k = 0; k < 33; ++k) {
        slot.shorts[k] = static_cast<int16_t>(n * 3 + k + i);
        values += (k ? "," : "") + std::to_string(slot.shorts[k]);
      }
      args[i] = &slot.shorts_address;
      add("s[33]:" + values);
    } else if (arg.type == SH) {
      slot.s = static_cast<int16_t>(in ? n + i : -1);
      args[i] = &slot.s;
      if (in) add("s:" + std::to_string(slot.s));
    } else if (arg.type == LW) {
      slot.l = in ? -(n * 10 + i) : -1;
      args[i] = &slot.l;
      if (in) add("l:" + std::to_string(slot.l));
    } else {
      EXPECT_EQ(arg.type, ULW);
      slot.u = static_cast<uint32_t>(n * 10 + i);
      args[i] = &slot.u;
      add("u:" + std::to_string(slot.u));
    }
  }

  int result = invoke(stub.address, count, args.data());
  // A nonzero remote status is the result, also of trlrpi_validate_versions, which checks versions only
  // after a successful call.
  EXPECT_EQ(result, n) << "the echo answers with the message number it received";

  for (int i = 1; i < count; ++i) {
    const rpi_arg &arg = entry.args[i];
    Slot &slot = slots[static_cast<size_t>(i)];
    if (arg.direction == RPI_OUT) {
      if (arg.type == DYNA) {
        EXPECT_EQ(dyna_count(&slot.array), 2) << "argument " << i;
        if (dyna_count(&slot.array) == 2) {
          EXPECT_EQ(std::string(static_cast<const char *>(dyna_get_data(&slot.array, 1))), line);
          int32_t value = 0;
          std::memcpy(&value, dyna_get_data(&slot.array, 2), sizeof value);
          EXPECT_EQ(value, n * 1000 + i);
        }
      } else if (arg.type == STR) {
        EXPECT_NE(slot.out_text, nullptr) << "argument " << i;
        if (slot.out_text) {
          EXPECT_EQ(std::string(slot.out_text), line);
        }
      } else if (arg.type == SH) {
        EXPECT_EQ(slot.s, n * 100 + i) << "argument " << i;
      } else {
        EXPECT_EQ(slot.l, n * 1000 + i) << "argument " << i;
      }
    }
    dyna_free(&slot.array);
    memory_null_no_len(&slot.out_text);
  }
  return "zentrixd call " + std::to_string(stub.group) + "." + std::to_string(n) + ": " + line;
}

std::set<std::string> call_lines(const std::string &log) {
  std::set<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("zentrixd call ", 0) == 0) lines.insert(line);
  return lines;
}

class StubsTest : public testing::Test {
 protected:
  void TearDown() override { ipc_channels_reset(); }
};

}  // namespace

TEST_F(StubsTest, EveryEntryNamesItsStubAndEveryStubIsNamedOnce) {
  std::map<std::pair<int, int>, int> named;
  for (const StubName &stub : kStubs) {
    const rpi_function &entry = group_record(stub.group)->functions[stub.number];
    EXPECT_EQ(reinterpret_cast<void *>(entry.function), stub.address) << stub.name;
    ++named[{stub.group, stub.number}];
  }
  for (int group : {2, 3}) {
    for (int n = 20; n < group_record(group)->function_count; ++n)
      EXPECT_EQ((named[{group, n}]), 1) << "group " << group << " function " << n;
  }
}

TEST_F(StubsTest, NamesOfTheSameNumberAndArgumentCountShareOneStub) {
  const std::set<int> shared = {20, 24, 26, 28, 40, 44, 45, 47, 48, 56};
  std::map<int, void *> dbirpi;
  for (const StubName &stub : kStubs)
    if (stub.group == 3) dbirpi[stub.number] = stub.address;
  for (const StubName &stub : kStubs) {
    if (stub.group != 2 || !dbirpi.count(stub.number)) continue;
    EXPECT_EQ(stub.address == dbirpi[stub.number], shared.count(stub.number) == 1) << stub.name;
  }
  EXPECT_EQ(reinterpret_cast<void *>(&trlrpi_disconnect), reinterpret_cast<void *>(&dbirpi_disconnect));
}

// One table-driven test over every stub: each sends its number and its in arguments (the echo writes
// what it received) and receives its out arguments.
TEST_F(StubsTest, EveryStubSendsItsArgumentsAndReceivesItsResults) {
  ZentrixdProcess server({"--scenario", "echo"});
  ASSERT_GT(server.port(), 0);
  rpi_connect_info info = connect_info(server.service());
  int trlrpi = -1, dbirpi = -1;
  char *message = nullptr;
  ASSERT_EQ(trlrpi_connect(&info, &trlrpi, &message), 0);
  memory_null_no_len(&message);
  ASSERT_EQ(dbirpi_connect(&info, &dbirpi, &message), 0);
  memory_null_no_len(&message);

  std::set<std::string> expected;
  for (const StubName &stub : kStubs) expected.insert(call_and_check(stub, stub.group == 2 ? &trlrpi : &dbirpi));
  EXPECT_EQ(trlrpi_disconnect(&trlrpi), 0);
  EXPECT_EQ(dbirpi_disconnect(&dbirpi), 0);
  server.stop();

  std::set<std::string> received = call_lines(server.log());
  for (const std::string &line : expected) EXPECT_EQ(received.count(line), 1u) << line;
  EXPECT_EQ(received.size(), expected.size());
}

TEST_F(StubsTest, PingIsA16ByteRequestAndCreateFileSendsTwo33ShortArrays) {
  ZentrixdProcess server({"--log"});
  ASSERT_GT(server.port(), 0);
  rpi_connect_info info = connect_info(server.service());
  int trlrpi = -1, dbirpi = -1;
  char *message = nullptr;
  ASSERT_EQ(trlrpi_connect(&info, &trlrpi, &message), 0);
  memory_null_no_len(&message);
  ASSERT_EQ(dbirpi_connect(&info, &dbirpi, &message), 0);
  memory_null_no_len(&message);
  EXPECT_EQ(trlrpi_ping(&trlrpi), 0);
  const char *name = "f";
  int16_t mode = 1, last = 2, a[33] = {}, b[33] = {};
  int16_t *pa = a, *pb = b;
  EXPECT_EQ(dbirpi_create_file(&dbirpi, &name, &mode, &pa, &pb, &last), 0);
  EXPECT_EQ(trlrpi_disconnect(&trlrpi), 0);
  EXPECT_EQ(dbirpi_disconnect(&dbirpi), 0);
  server.stop();
  // header 11, async flag 1, instance 4; create file adds "f" and its zero, SH, 2 x 66 bytes, SH
  EXPECT_NE(server.log().find("recv group 2 message 22 sequence 2 packet 0 length 16 "), std::string::npos)
      << server.log();
  EXPECT_NE(server.log().find("recv group 3 message 57 sequence 2 packet 0 length " + std::to_string(16 + 2 + 2 + 132 + 2) + " "),
            std::string::npos)
      << server.log();
}

TEST_F(StubsTest, LastErrorIsTheSameWhateverTheHandle) {
  int closed = 12345;
  EXPECT_EQ(dbirpi_disconnect(&closed), IPC_REPORTED);
  EXPECT_EQ(closed, -1) << "a failed disconnect clears the handle";
  int code_a = 0, code_b = 0, other = 7;
  std::string text_a = trlrpi_get_last_error(&closed, &code_a);
  std::string text_b = trlrpi_get_last_error(&other, &code_b);
  EXPECT_EQ(code_a, 703);
  EXPECT_EQ(code_b, 703);
  EXPECT_EQ(text_a, "Instance value does not correspond to a communications channel.");
  EXPECT_EQ(text_b, text_a);
  EXPECT_EQ(trlrpi_get_last_error(nullptr, &code_b), text_b);
  EXPECT_EQ(trlrpi_ping(nullptr), IPC_REPORTED) << "a null handle names no channel";
}
