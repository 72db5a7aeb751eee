// Building and releasing dynamic arrays of mixed elements.
#include <benchmark/benchmark.h>

#include "trlipc.h"

static void BM_DynaBuildMixed(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    dyna_array *array = dyna_construct();
    for (int32_t i = 0; i < n; ++i) {
      if (i % 2) {
        dyna_add_data(array, LW, &i);
      } else {
        dyna_add_string(array, 12, "element text");
      }
    }
    benchmark::DoNotOptimize(array);
    dyna_destroy(&array);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DynaBuildMixed)->Arg(100)->Arg(5000);

BENCHMARK_MAIN();
