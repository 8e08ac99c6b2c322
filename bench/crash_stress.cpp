// Kills a process that keeps pressing OK at random moments, many times, and counts the times
// MRU.INI was left as anything but the content of some number of complete presses.
//
//   tarvo_crash_stress [rounds=1000] [records=200] [max-delay-us=15000]
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "bench_history.h"
#include "platform/filesystem.h"
#include "storage/ini_handler.h"

namespace {

using tarvo::bench::loadTarget;
using tarvo::bench::pressOk;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string pressText(int round, long press) {
    return "--round " + std::to_string(round) + " --press " + std::to_string(press);
}

// The number of presses of this round that reached the file, read from its newest entry.
long pressesIn(const std::string& file, const std::string& section, int round) {
    const std::string newest = tarvo::INIHandler::ReadProfileString(file, section, " 1", "");
    const std::string prefix = "--round " + std::to_string(round) + " --press ";
    if (newest.rfind(prefix, 0) != 0) return 0;
    return std::strtol(newest.c_str() + prefix.size(), nullptr, 10);
}

// Removes the temporary files that killed writers left beside the file; returns how many.
int removeTemporaries(const std::string& folder) {
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            std::filesystem::remove(entry.path());
            ++removed;
        }
    }
    return removed;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int records = argc > 2 ? std::atoi(argv[2]) : 200;
    const int maxDelayUs = argc > 3 ? std::atoi(argv[3]) : 15000;

    char pattern[] = "/tmp/tarvo-stress-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    const std::string file = folder + "/MRU.INI";
    const std::string scratch = folder + "/replay/MRU.INI";
    std::filesystem::create_directory(folder + "/replay");
    const std::string section = tarvo::bench::targetSection(records);
    tarvo::bench::writeFile(file, tarvo::bench::historyFile(records));

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(0, maxDelayUs);
    long presses = 0;
    int corrupt = 0;
    int temporaries = 0;
    for (int round = 1; round <= rounds; ++round) {
        const std::string before = readBytes(file);
        const pid_t pid = ::fork();
        if (pid == 0) {
            auto history = loadTarget(file, section);
            for (long press = 1;; ++press) pressOk(file, section, history, pressText(round, press));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        // Replaying the presses that reached the file on a copy of the old content must give
        // the file byte for byte.
        const std::string after = readBytes(file);
        const long done = pressesIn(file, section, round);
        tarvo::bench::writeFile(scratch, before);
        auto history = loadTarget(scratch, section);
        for (long press = 1; press <= done; ++press) {
            pressOk(scratch, section, history, pressText(round, press));
        }
        if (readBytes(scratch) != after) {
            ++corrupt;
            std::fprintf(stderr, "round %d: the file is not the content of %ld presses\n", round,
                         done);
            tarvo::bench::writeFile(file, before);
        }
        presses += done;
        temporaries += removeTemporaries(folder);

        // A lock left behind by the killed writer would stop every later writer.
        ::alarm(10);
        { tarvo::fs::FileLock lock(file); }
        ::alarm(0);
    }
    std::filesystem::remove_all(folder);
    std::printf("rounds: %d, completed presses: %ld, temporaries left by killed writers: %d\n",
                rounds, presses, temporaries);
    std::printf("corrupt files: %d\n", corrupt);
    return corrupt == 0 ? 0 : 1;
}
