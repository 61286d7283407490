// Starting the programs a benchmark compares against (quire-pack, zip, apt-get).
#ifndef QUIRE_BENCH_SUPPORT_RUN_PROGRAM_H_
#define QUIRE_BENCH_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace quire::bench {

// Runs `args` (searched on PATH) in `dir` (or here when empty), with standard output
// discarded and standard error written to `errPath`; waits for it. True when it exited
// with 0.
bool RunProgram(std::vector<std::string> args, const std::string& dir = "",
                const std::string& errPath = "/dev/null");

// What one run of a program cost: wall-clock seconds and its peak resident memory.
struct ProgramUsage {
  double seconds = 0;
  long peakKilobytes = 0;  // the largest resident set of the program (ru_maxrss)
};

// RunProgram, measured: `usage` receives the run's wall-clock time and the peak memory of
// the program (not of this one). True when it exited with 0.
bool RunProgramMeasured(std::vector<std::string> args, ProgramUsage* usage,
                        const std::string& dir = "", const std::string& errPath = "/dev/null");

// The program `env` names when that variable is set, else `relative` to the folder of
// this benchmark program (the build tree's layout).
std::string BesideThisProgram(const char* env, const std::string& relative);

}  // namespace quire::bench

#endif  // QUIRE_BENCH_SUPPORT_RUN_PROGRAM_H_
