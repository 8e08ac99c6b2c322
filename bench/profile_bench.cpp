// How loading a target and pressing OK grow with MRU.INI: 100, 10,000 and 100,000 records.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench_history.h"
#include "doubles/form1_rig.h"
#include "storage/ini_handler.h"

namespace {

// One folder per size, made once and removed at exit.
class HistoryFolder {
public:
    explicit HistoryFolder(int records) {
        char pattern[] = "/tmp/tarvo-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        tarvo::bench::writeFile(file(), tarvo::bench::historyFile(records));
    }
    ~HistoryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& folder() const { return folder_; }
    std::string file() const { return folder_ + "/MRU.INI"; }

private:
    std::string folder_;
};

const HistoryFolder& historyOf(int records) {
    static std::map<int, std::unique_ptr<HistoryFolder>> folders;
    auto& slot = folders[records];
    if (!slot) slot = std::make_unique<HistoryFolder>(records);
    return *slot;
}

// LoadTarget's reads: key 0, then history keys from 1 up to the first empty one (21 reads for
// a full record), all through one snapshot.
void BM_LoadTarget(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string file = historyOf(records).file();
    const std::string section = tarvo::bench::targetSection(records);
    for (auto _ : state) {
        auto reads = tarvo::bench::loadTarget(file, section);
        benchmark::DoNotOptimize(reads);
    }
    state.SetComplexityN(records);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
}

// CMD_OK_Click's writes for a text not in the history: key 0 and keys 1 to 20, one commit.
void BM_PressOk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string file = historyOf(records).file();
    const std::string section = tarvo::bench::targetSection(records);
    auto history = tarvo::bench::loadTarget(file, section);
    long press = 0;
    for (auto _ : state) {
        tarvo::bench::pressOk(file, section, history, "--press " + std::to_string(press++));
    }
    state.SetComplexityN(records);
}

// The whole dialog: Form1 loads the target and OK is pressed, on in-memory controls.
void BM_Form1LoadAndOk(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string folder = historyOf(records).folder();
    const std::string target =
        R"(C:\Program Files\Tools\)" + tarvo::bench::targetSection(records);
    long press = 0;
    for (auto _ : state) {
        tarvo::test::Form1Rig rig;
        rig.host.folder = folder;
        rig.load(target);
        rig.cmbArg.setText("--press " + std::to_string(press++));
        rig.dialog.CMD_OK_Click();
    }
    state.SetComplexityN(records);
}

BENCHMARK(BM_LoadTarget)->Arg(100)->Arg(10'000)->Arg(100'000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PressOk)->Arg(100)->Arg(10'000)->Arg(100'000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Form1LoadAndOk)->Arg(100)->Arg(10'000)->Arg(100'000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
