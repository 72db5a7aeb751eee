// Building and extracting messages: a request with a 64 KiB text, a reply with a DYNA of 5,000 mixed
// elements, and the 702-byte login record. The engine must stay linear in the message size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "trlipc.h"

namespace {

using namespace trl;

const rpi_arg kTextIn[] = {{ULW, 0, RPI_IN}, {STR, PACK_TERMINATED, RPI_IN}, {STR, PACK_TERMINATED, RPI_OUT}};
const rpi_arg kDynaOut[] = {{ULW, 0, RPI_IN}, {DYNA, 0, RPI_OUT}};
const rpi_arg kLogin[] = {{1000, 0, RPI_IN}, {STR, PACK_TERMINATED, RPI_OUT}, {LW, 0, RPI_OUT},
                          {STR, PACK_TERMINATED, RPI_OUT}};
const rpi_function kFunctions[] = {{0, nullptr, nullptr}, {3, kTextIn, nullptr}, {2, kDynaOut, nullptr},
                                   {0, nullptr, nullptr}, {4, kLogin, nullptr}};
const rpi_group kGroup = {"BENCH", 2, 5, kFunctions, 1, &kLoginRecordStruct};

struct Registered {
  Registered() { rpi_register_group(&kGroup); }
} registered;

dyna_array *mixed_dyna(int n) {
  dyna_array *array = dyna_construct();
  for (int32_t i = 0; i < n; ++i) {
    if (i % 3 == 0) {
      dyna_add_string(array, 12, "element text");
    } else if (i % 3 == 1) {
      dyna_add_data(array, LW, &i);
    } else {
      double d = i * 0.5;
      dyna_add_data(array, DB, &d);
    }
  }
  return array;
}

void BM_BuildTextRequest(benchmark::State &state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'x');
  const char *text_address = text.c_str();
  int32_t instance = 0;
  void *args[] = {&instance, &text_address, nullptr};
  ipc_buffer *out = buffer_new(0);
  for (auto _ : state) {
    buffer_clear(out);  // a fresh buffer each time, as a request gets
    packbld_request(2, 1, 1, 0, out, args);
    benchmark::DoNotOptimize(out->data);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  buffer_release(out);
}
BENCHMARK(BM_BuildTextRequest)->Arg(1 << 10)->Arg(64 << 10);

void BM_ExtractTextReply(benchmark::State &state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'x');
  const char *text_address = text.c_str();
  void *values[] = {nullptr, nullptr, &text_address};
  ipc_buffer *reply = buffer_new(0);
  packbld_reply(2, 1, 1, 0, reply, values);
  for (auto _ : state) {
    char *got = nullptr;
    int32_t status = 0;
    void *args[] = {nullptr, nullptr, &got};
    packxtr_reply(reply, &status, args);
    benchmark::DoNotOptimize(got);
    memory_null_no_len(&got);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  buffer_release(reply);
}
BENCHMARK(BM_ExtractTextReply)->Arg(1 << 10)->Arg(64 << 10);

void BM_BuildDynaReply(benchmark::State &state) {
  dyna_array *array = mixed_dyna(static_cast<int>(state.range(0)));
  void *values[] = {nullptr, array};
  ipc_buffer *out = buffer_new(0);
  for (auto _ : state) {
    buffer_clear(out);
    packbld_reply(2, 2, 1, 0, out, values);
    benchmark::DoNotOptimize(out->data);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["bytes"] = out->length;
  buffer_release(out);
  dyna_destroy(&array);
}
BENCHMARK(BM_BuildDynaReply)->Arg(500)->Arg(5000);

void BM_ExtractDynaReply(benchmark::State &state) {
  dyna_array *array = mixed_dyna(static_cast<int>(state.range(0)));
  void *values[] = {nullptr, array};
  ipc_buffer *reply = buffer_new(0);
  packbld_reply(2, 2, 1, 0, reply, values);
  for (auto _ : state) {
    dyna_array got{};
    int32_t status = 0;
    void *args[] = {nullptr, &got};
    packxtr_reply(reply, &status, args);
    benchmark::DoNotOptimize(got.elements);
    dyna_free(&got);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  buffer_release(reply);
  dyna_destroy(&array);
}
BENCHMARK(BM_ExtractDynaReply)->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(20000)->Arg(60000);

void BM_LoginRecord(benchmark::State &state) {
  rpi_login_record login{};
  std::strcpy(login.service, "service");
  std::strcpy(login.user, "user");
  std::strcpy(login.password, "password");
  void *args[] = {&login, nullptr, nullptr, nullptr};
  ipc_buffer *out = buffer_new(0);
  rpi_login_record back{};
  for (auto _ : state) {
    packbld_request(2, IPC_MSG_LOGIN, 1, 0, out, args);
    int32_t offset = kRequestArgsOffset;
    void *target = &back;
    int32_t size = sizeof back;
    packxtr_value(out, &offset, 1000, 0, &target, &size);
    benchmark::DoNotOptimize(back.flags);
  }
  buffer_release(out);
}
BENCHMARK(BM_LoginRecord);

void BM_SplitAndJoin(benchmark::State &state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'x');
  const char *text_address = text.c_str();
  int32_t instance = 0;
  void *args[] = {&instance, &text_address, nullptr};
  ipc_buffer *message = buffer_new(0);
  packbld_request(2, 1, 1, 0, message, args);
  ipc_buffer *joined = buffer_new(0);
  for (auto _ : state) {
    ipc_buffer **parts = nullptr;
    packgen_split(message, 920, &parts);
    packgen_join(parts, joined);
    packgen_release_parts(parts);
    benchmark::DoNotOptimize(joined->data);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  buffer_release(joined);
  buffer_release(message);
}
BENCHMARK(BM_SplitAndJoin)->Arg(64 << 10);

}  // namespace

BENCHMARK_MAIN();
