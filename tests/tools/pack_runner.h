// Runs the real quire-pack program for the tool tests and collects what it printed.
#ifndef QUIRE_TESTS_TOOLS_PACK_RUNNER_H_
#define QUIRE_TESTS_TOOLS_PACK_RUNNER_H_

#include <string>
#include <vector>

namespace quire::testing {

struct RunResult {
  int exitCode = -1;     // the exit status; 128 + signal number when killed by a signal
  bool crashed = false;  // ended by a signal
  std::string out;
  std::string err;
};

// Runs `program` with `args`, standard output and error captured through files in
// `scratchDir`. A program still running after two minutes is killed (and counts as
// crashed, its standard error starting with "timed out: "). The environment is this process's (so
// TMPDIR set by a test applies).
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& scratchDir, const std::string& workDir = "");

// quire-pack with `args`, run in `workDir` when given.
RunResult RunPack(const std::vector<std::string>& args, const std::string& scratchDir,
                  const std::string& workDir = "");

// The paths of the built programs.
std::string PackPath();
std::string ReaderPath();

// A small 24-bit BMP picture of `width` x `height` pixels in one colour.
std::string MakeBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b);

}  // namespace quire::testing

#endif  // QUIRE_TESTS_TOOLS_PACK_RUNNER_H_
