#include "tools/pack_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>

extern char** environ;

namespace quire::testing {

namespace {

constexpr int kTimeoutMs = 120000;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void PutLe(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string PackPath() {
  return QUIRE_PACK_PATH;
}
std::string ReaderPath() {
  return QUIRE_READER_PATH;
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& scratchDir, const std::string& workDir) {
  static int counter = 0;
  std::string base = scratchDir + "/run" + std::to_string(++counter);
  std::string outPath = base + ".out", errPath = base + ".err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!workDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  RunResult result;
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    result.err = "cannot start " + program;
    return result;
  }
  // A hung program must fail its test, not stall the whole run.
  int status = 0;
  for (int waited = 0;; ++waited) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      break;
    if (waited >= kTimeoutMs / 10) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.err = "timed out: ";
      break;
    }
    usleep(10000);
  }
  if (WIFSIGNALED(status)) {
    result.crashed = true;
    result.exitCode = 128 + WTERMSIG(status);
  } else {
    result.exitCode = WEXITSTATUS(status);
  }
  result.out = Slurp(outPath);
  result.err += Slurp(errPath);
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return result;
}

RunResult RunPack(const std::vector<std::string>& args, const std::string& scratchDir,
                  const std::string& workDir) {
  return RunProgram(PackPath(), args, scratchDir, workDir);
}

std::string MakeBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
  uint32_t rowSize = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  uint32_t pixels = rowSize * static_cast<uint32_t>(height);
  std::string bmp = "BM";
  PutLe(&bmp, 54 + pixels, 4);
  PutLe(&bmp, 0, 4);
  PutLe(&bmp, 54, 4);
  PutLe(&bmp, 40, 4);
  PutLe(&bmp, static_cast<uint32_t>(width), 4);
  PutLe(&bmp, static_cast<uint32_t>(height), 4);
  PutLe(&bmp, 1, 2);
  PutLe(&bmp, 24, 2);
  PutLe(&bmp, 0, 4);
  PutLe(&bmp, pixels, 4);
  PutLe(&bmp, 2835, 4);
  PutLe(&bmp, 2835, 4);
  PutLe(&bmp, 0, 4);
  PutLe(&bmp, 0, 4);
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x)
      row += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
    row.resize(rowSize, '\0');
    bmp += row;
  }
  return bmp;
}

}  // namespace quire::testing
