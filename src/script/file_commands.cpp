// File, INI and dialog commands. Failures of the file system are results ("0" or an
// empty text), never errors; only wrong parameters and refused result variables fail a
// command. Paths from scripts reach the file system through ToNativePath.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "pages/reader_context.h"
#include "platform/file_replace.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "script/command_support.h"
#include "script/command_table.h"
#include "script/save_prompt_filter.h"
#include "ui/window_slot.h"

namespace quire {
namespace {

// FILEREAD reads at most this many bytes from the start of a file.
constexpr std::size_t kFileReadLimit = 250000;

const char* Flag(bool value) {
  return value ? "1" : "0";
}

std::string PathParam(const CommandCall& call, int position) {
  return ToNativePath(call.Param(position).AsText());
}

// Stores the flag in the variable named by parameter `flagPosition` and, only when that
// worked, `text` in the one named by parameter `textPosition`.
int StoreFlagAndText(CommandCall& call, bool flag, int textPosition, const std::string& text) {
  if (!StoreVariable(call, call.Param(1).AsText(), Flag(flag)) ||
      !StoreVariable(call, call.Param(textPosition).AsText(), text)) {
    return kCommandFailed;
  }
  return kCommandContinue;
}

bool ReadAllFrom(int fd, std::string* out, std::size_t want) {
  out->resize(want);
  std::size_t got = 0;
  while (got < want) {
    ssize_t n = read(fd, out->data() + got, want - got);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  out->resize(got);
  return got == want;
}

// The whole file, or at most kFileReadLimit bytes of it, with zero bytes as blanks.
// False (and an empty text) when it cannot be opened or read in full.
bool ReadTextFile(const std::string& path, std::string* text) {
  text->clear();
  // Non-blocking, so that a pipe without a writer cannot hang the reader.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return false;
  }
  struct stat info {};
  // A folder is no file to read, whatever size its file system reports for it.
  bool ok = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
  if (ok && info.st_size > 0) {
    std::size_t want = std::min(static_cast<std::size_t>(info.st_size), kFileReadLimit);
    ok = ReadAllFrom(fd, text, want);
    if (ok) {
      std::replace(text->begin(), text->end(), '\0', ' ');
    } else {
      text->clear();
    }
  }
  close(fd);
  return ok;
}

// Copies the bytes of the open file `source` to `target`.
bool CopyBytes(int source, int target, Env* env) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(source, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return false;
    }
    if (n == 0) {
      return true;
    }
    if (!WriteAllBytes(target, std::string_view(buffer, static_cast<std::size_t>(n)), env)) {
      return false;
    }
  }
}

// Copies the regular file `source` to `target`. The target ends up with the permissions
// of a file the user makes (executable when the source was), whatever it had before. A
// failed copy leaves an existing target as it was; a copy onto the source itself fails.
bool CopyFile(const std::string& source, const std::string& target, bool failIfExists, Env* env) {
  int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (in < 0) {
    return false;
  }
  struct stat info {};
  // Devices and pipes are never copied: they may never end.
  if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(in);
    return false;
  }
  // A file is never copied onto itself (also not through a link): where the copy has
  // to be written in place, emptying the target would empty the source before it is read.
  struct stat existing {};
  if (stat(target.c_str(), &existing) == 0 && existing.st_dev == info.st_dev &&
      existing.st_ino == info.st_ino) {
    close(in);
    return false;
  }
  mode_t mode = ModeUnderUmask((info.st_mode & 0111) != 0 ? 0777 : 0666);
  auto body = [in, env](int out) { return CopyBytes(in, out, env); };
  bool copied = false;
  if (failIfExists) {
    copied = CreateNewFileWith(target, mode, body, env);
  } else {
    ReplaceOptions options;
    options.env = env;
    options.mode = mode;
    options.keepExistingMode = false;
    options.allowInPlace = true;
    copied = ReplaceFileWith(target, options, body);
  }
  close(in);
  return copied;
}

// Runs the save dialog and stores its answer: the flag in parameter 1, the path in
// parameter 2 (the empty text when cancelled).
int RunSavePrompt(CommandCall& call, const SavePromptFilter& filter) {
  SaveFileRequest request;
  request.title = call.Param(3).AsText();
  request.folder = PathParam(call, 4);
  request.fileName = PathParam(call, 5);
  request.filter = filter.filter;
  request.defaultExtension = filter.defaultExtension;
  std::string path;
  bool chosen = call.context.window->SaveFileDialog(request, &path);
  if (!chosen) {
    path.clear();
  }
  return StoreFlagAndText(call, chosen, 2, path);
}

int HandleFileExist(CommandCall& call) {
  std::string path = PathParam(call, 2);
  struct stat info {};
  bool exists = path.empty() || stat(path.c_str(), &info) == 0;
  return StoreResult(call, Flag(exists));
}

int HandleFileCopy(CommandCall& call) {
  bool failIfExists = false;
  if (call.Count() == 4) {
    if (!RequireNumber(call, 4)) {
      return kCommandFailed;
    }
    failIfExists = call.Param(4).AsTruth();
  }
  bool copied = CopyFile(PathParam(call, 2), PathParam(call, 3), failIfExists, call.context.env);
  return StoreResult(call, Flag(copied));
}

int HandleFileWrite(CommandCall& call) {
  ReplaceOptions options;
  options.mode = ModeUnderUmask(0666);
  options.keepExistingMode = true;
  options.allowInPlace = true;
  options.env = call.context.env;
  bool written = ReplaceFileContents(PathParam(call, 2), options, call.Param(3).AsText());
  return StoreResult(call, Flag(written));
}

int HandleFileRead(CommandCall& call) {
  std::string text;
  bool read = ReadTextFile(PathParam(call, 3), &text);
  return StoreFlagAndText(call, read, 2, text);
}

int HandleFileSavePrompt(CommandCall& call) {
  return RunSavePrompt(call, FilterForFileName(call.Param(5).AsText()));
}

int HandleFileSavePrompt2(CommandCall& call) {
  return RunSavePrompt(call, FilterForDescription(call.Param(6).AsText(), call.Param(7).AsText()));
}

int HandleIniRead(CommandCall& call) {
  std::string fallback = call.Count() == 5 ? call.Param(5).AsText() : std::string();
  std::string value = ReadIniValue(call.Param(2).AsText(), call.Param(3).AsText(),
                                   call.Param(4).AsText(), fallback, kIniReadBufferSize);
  return StoreResult(call, value);
}

// Succeeds whether or not the value could be written.
int HandleIniWrite(CommandCall& call) {
  WriteIniValue(call.Param(2).AsText(), call.Param(3).AsText(), call.Param(4).AsText(),
                call.Param(1).AsText(), call.context.env);
  return kCommandContinue;
}

int HandleMessageBox(CommandCall& call) {
  call.context.window->MessageBox(call.Param(1).AsText(), kMbOk | kMbIconInformation);
  return kCommandContinue;
}

// The style word goes to the window as given; it adds the default icon where the word
// names none.
int HandleMessageBox2(CommandCall& call) {
  if (!RequireNumber(call, 3)) {
    return kCommandFailed;
  }
  int button = call.context.window->MessageBox(call.Param(2).AsText(), call.Param(3).AsNumber());
  return StoreResult(call, std::to_string(button));
}

// One line on standard error per call; line breaks inside the text become blanks so a
// line is always one message.
int HandleOutputDebugString(CommandCall& call) {
  std::string line = call.Param(1).AsText();
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::replace(line.begin(), line.end(), '\r', ' ');
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return kCommandContinue;
}

int HandleMessageBeep(CommandCall& call) {
  call.context.window->Beep();
  return kCommandContinue;
}

}  // namespace

std::span<const CommandSpec> FileCommands() {
  static constexpr CommandSpec kCommands[] = {
      {"FILEEXIST", 2, 2, kPlainCommand, HandleFileExist},  // FILEEXIST(flagVar, path)
      {"FILECOPY", 3, 4, kPlainCommand, HandleFileCopy},    // FILECOPY(flag, src, dst [, fail])
      {"FILESAVEPROMPT", 5, 5, kPlainCommand, HandleFileSavePrompt},    // FILESAVEPROMPT(...)
      {"FILESAVEPROMPT2", 7, 7, kPlainCommand, HandleFileSavePrompt2},  // FILESAVEPROMPT2(...)
      {"FILEWRITE", 3, 3, kPlainCommand, HandleFileWrite},  // FILEWRITE(flagVar, path, text)
      {"FILEREAD", 3, 3, kPlainCommand, HandleFileRead},    // FILEREAD(flagVar, textVar, path)
      {"INIREAD", 4, 5, kPlainCommand, HandleIniRead},      // INIREAD(var, ini, sect, key [, def])
      {"INIWRITE", 4, 4, kPlainCommand, HandleIniWrite},    // INIWRITE(value, ini, section, key)
      {"MESSAGEBOX", 1, 1, kPlainCommand, HandleMessageBox},    // MESSAGEBOX(text)
      {"MESSAGEBOX2", 3, 3, kPlainCommand, HandleMessageBox2},  // MESSAGEBOX2(var, text, style)
      // OUTPUTDEBUGSTRING(text)
      {"OUTPUTDEBUGSTRING", 1, 1, kPlainCommand, HandleOutputDebugString},
      {"MESSAGEBEEP", 0, 0, kPlainCommand, HandleMessageBeep},
  };
  return kCommands;
}

}  // namespace quire
