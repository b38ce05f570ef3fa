#pragma once
// A reload as the user makes it with F5: one load first (untimed), then every
// iteration loads again in the same folder, finding the scratch copies there.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/QuietLoad.h"
#include "load/LoadRun.h"

namespace lorvex::bench {

// Times the reloads of configuration in the folder current; `after` sees the
// loader and its table once the timing is over, for the counters.
template <class After>
void TimeReloads(benchmark::State& state, const std::filesystem::path& current, const std::string& configuration,
                 After after) {
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(current);
    TableListCtrl table;
    Quiet quiet(configuration);
    Loader loader(table, quiet, quiet);
    loader.LoadRun(quiet.Configuration());
    for (auto _ : state) loader.LoadRun(quiet.Configuration());
    std::filesystem::current_path(old);
    after(loader, table);
}

}  // namespace lorvex::bench
