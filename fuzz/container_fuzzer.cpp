// A whole book file: trailer, settings record, reserved list, directory, variables, then
// every file and the splash picture extracted as the reader extracts them. Nothing may be
// written outside the book folder, and no intermediate file may stay behind.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "book/container_reader.h"
#include "fuzz_support.h"
#include "platform/paths.h"

namespace {

// Extracting costs a file each; a few entries reach every path of the extraction.
constexpr size_t kMaxExtracted = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string& scratch = fuzz::ScratchFolder();
  fuzz::FreshReaderState();
  OverrideOwnExecutablePath(fuzz::WriteScratchFile("book.bin", data, size));
  const std::string folder = scratch + "book/";
  mkdir(folder.c_str(), 0700);

  EBookSettings settings = DefaultSettings();
  EBookReservedList reserved;
  std::vector<EBookFile> directory;
  EBookTrailer trailer;
  EBookVariableList variables;
  {
    ContainerReader reader;
    if (reader.Parse(&settings, &reserved, &directory, &trailer, &variables)) {
      for (size_t i = 0; i < directory.size() && i < kMaxExtracted; ++i)
        reader.ExtractFile(directory, i, trailer, folder);
    }
    // Out of range is refused, never read.
    if (reader.ExtractFile(directory, directory.size(), trailer, folder))
      fuzz::Finding("an entry past the directory was extracted");
  }
  if (ReadTrailer()) {
    const EBookTrailer& kept = StartupTrailer();
    std::string picture;
    if (ExtractSplashPicture(kept.splashPos, kept.splashSize, &picture) && !picture.empty())
      unlink(picture.c_str());
  }

  // The private temporary folder only ever holds intermediate files, all removed again.
  const std::string privateFolder = PrivateTempFolder();
  if (!fuzz::FolderEntries(privateFolder).empty())
    fuzz::Finding("a file stayed behind in " + privateFolder);
  for (const std::string& name : fuzz::FolderEntries(scratch)) {
    if (name != "book.bin" && name != "book" && scratch + name + "/" != privateFolder)
      fuzz::Finding("written outside the book folder: " + name);
  }
  fuzz::EmptyFolder(folder);
  return 0;
}
