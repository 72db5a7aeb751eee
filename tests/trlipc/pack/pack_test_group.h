// A descriptor table for the engine tests, registered as group 2: the login messages and function 27
// as the product's groups have them, plus functions that carry every type in each direction.
#pragma once

#include <cstring>
#include <memory>
#include <string>

#include "log_fixture.h"
#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "trlipc.h"

namespace omra::test {

enum : int {
  kFnGetServerError = 27,
  kFnPing = 22,
  kFnEveryIn = 30,   // every type, in
  kFnEveryOut = 31,  // every extractable type, out
  kFnElLast = 32,
  kFnElNotCounted = 33,
  kFnStructOut = 34,  // structure 1 (with a DYNA field) out, fixed SH[3] out, EL-counted LW out
  kFnCount = 40,
};

// Structure 1: a LW, a terminated STR of at most 8, a DYNA.
inline const rpi_field kRecordFields[] = {{LW, 0}, {STR, -8}, {DYNA, 0}};
inline constexpr int32_t kRecordSize = 4 + 8 + static_cast<int32_t>(sizeof(dyna_array));
inline const rpi_struct kTestStructs[] = {{6, trl::kLoginRecordFields}, {3, kRecordFields}};

inline const rpi_arg kLoginSecondArgs[] = {
    {1000, 0, RPI_IN}, {SH, 0, RPI_OUT}, {LW, 0, RPI_OUT}, {STR, PACK_TERMINATED, RPI_OUT}};
inline const rpi_arg kLoginArgs[] = {
    {1000, 0, RPI_IN}, {STR, PACK_TERMINATED, RPI_OUT}, {LW, 0, RPI_OUT}, {STR, PACK_TERMINATED, RPI_OUT}};
inline const rpi_arg kPingArgs[] = {{ULW, 0, RPI_IN}};
inline const rpi_arg kServerErrorArgs[] = {{ULW, 0, RPI_IN}, {LW, 0, RPI_OUT}, {STR, PACK_TERMINATED, RPI_OUT}};
inline const rpi_arg kEveryInArgs[] = {
    {CH, 0, RPI_IN},   {UCH, 3, RPI_IN}, {SH, 0, RPI_IN},  {USH, 0, RPI_IN},
    {LW, 0, RPI_IN},   {ULW, 0, RPI_IN}, {FL, 0, RPI_IN},  {DB, -3, RPI_IN},
    {STR, PACK_TERMINATED, RPI_IN},      {USD, -3, RPI_IN}, {PT, 0, RPI_IN},
    {EL, 0, RPI_IN},   {SH, PACK_COUNT_FROM_EL, RPI_IN},    {DYNA, 0, RPI_IN},
    {1000, 0, RPI_IN}, {LW, 0, RPI_OUT}, {CH, 2, 0}};
inline const rpi_arg kEveryOutArgs[] = {
    {ULW, 0, RPI_IN},  {CH, 0, RPI_OUT}, {UCH, 3, RPI_OUT}, {SH, 0, RPI_OUT},
    {USH, 0, RPI_OUT}, {LW, 0, RPI_OUT}, {ULW, 0, RPI_OUT}, {FL, 0, RPI_OUT},
    {DB, -3, RPI_OUT}, {STR, PACK_TERMINATED, RPI_OUT},     {PT, 0, RPI_OUT},
    {EL, 0, RPI_OUT},  {SH, PACK_COUNT_FROM_EL, RPI_OUT},   {DYNA, 0, RPI_OUT},
    {1000, 0, RPI_OUT}};
inline const rpi_arg kElLastArgs[] = {{ULW, 0, RPI_IN}, {EL, 0, RPI_IN}};
inline const rpi_arg kElNotCountedArgs[] = {{EL, 0, RPI_IN}, {SH, 2, RPI_IN}};
inline const rpi_arg kStructOutArgs[] = {
    {1001, 0, RPI_OUT}, {SH, 3, RPI_OUT}, {EL, 0, RPI_OUT}, {LW, PACK_COUNT_FROM_EL, RPI_OUT}};

inline const rpi_function *test_functions() {
  static rpi_function table[kFnCount] = {};
  static bool filled = false;
  if (!filled) {
    table[0] = {4, kLoginSecondArgs, nullptr};
    table[IPC_MSG_LOGIN] = {4, kLoginArgs, nullptr};
    table[kFnPing] = {1, kPingArgs, nullptr};
    table[kFnGetServerError] = {3, kServerErrorArgs, nullptr};
    table[kFnEveryIn] = {17, kEveryInArgs, nullptr};
    table[kFnEveryOut] = {15, kEveryOutArgs, nullptr};
    table[kFnElLast] = {2, kElLastArgs, nullptr};
    table[kFnElNotCounted] = {2, kElNotCountedArgs, nullptr};
    table[kFnStructOut] = {4, kStructOutArgs, nullptr};
    filled = true;
  }
  return table;
}

inline const rpi_group kTestGroup = {"TEST", 2, kFnCount, test_functions(), 2, kTestStructs};

struct BufferDeleter {
  void operator()(ipc_buffer *buffer) const { trl::buffer_release(buffer); }
};
using Buffer = std::unique_ptr<ipc_buffer, BufferDeleter>;

inline Buffer packet_of(const std::string &bytes) {
  return Buffer(trl::buffer_new_from(static_cast<int32_t>(bytes.size()), bytes.data()));
}
inline std::string bytes_of(const ipc_buffer *buffer) {
  return buffer && buffer->data ? std::string(reinterpret_cast<const char *>(buffer->data), buffer->length) : "";
}
// Hex of bytes, "02 00 1b ...", for readable failures.
inline std::string hex(const std::string &bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}
// Bytes from hex text with blanks between pairs.
inline std::string unhex(const std::string &text) {
  std::string out;
  int high = -1;
  for (char c : text) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high << 4 | v);
      high = -1;
    }
  }
  return out;
}

// A test with its own log file and the test group as the only registered group.
class TestGroupTest : public IpcLogTest {
 protected:
  void SetUp() override {
    IpcLogTest::SetUp();
    trl::rpi_registry_reset();
    trl::rpi_register_group(&kTestGroup);
  }
  void TearDown() override {
    trl::rpi_registry_reset();
    IpcLogTest::TearDown();
  }
};

}  // namespace omra::test
