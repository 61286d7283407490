// A whole book file: trailer, settings record, reserved list, directory, variables, then
// every file and the splash picture extracted as the reader extracts them, and a small
// book loaded whole (extraction into its book folder, variables, start page). Nothing may
// be written outside the book folders, and no other file may stay behind.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "book/container_reader.h"
#include "book/page_store.h"
#include "fuzz_support.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"
#include "platform/paths.h"

namespace {

// Extracting costs a file each; a few entries reach every path of the extraction.
constexpr size_t kMaxExtracted = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string& scratch = fuzz::ScratchFolder();
  ReaderContext& context = fuzz::FreshReader();
  const std::string book = fuzz::WriteScratchFile("book.bin", data, size);
  context.book.SetFile(book);
  const std::string folder = scratch + "book/";
  mkdir(folder.c_str(), 0700);

  EBookSettings settings = DefaultSettings();
  EBookReservedList reserved;
  std::vector<EBookFile> directory;
  EBookTrailer trailer;
  EBookVariableList variables;
  {
    ContainerReader reader(book);
    if (reader.Parse(&settings, &reserved, &directory, &trailer, &variables)) {
      for (size_t i = 0; i < directory.size() && i < kMaxExtracted; ++i)
        reader.ExtractFile(directory, i, trailer, folder);
    }
    // Out of range is refused, never read.
    if (reader.ExtractFile(directory, directory.size(), trailer, folder))
      fuzz::Finding("an entry past the directory was extracted");
  }
  // The whole load, for books small enough that extracting every file stays quick. Its
  // files go into the book's own folder in the private temporary folder and are removed
  // again by the page store.
  if (directory.size() <= kMaxExtracted) {
    const LoadResult result = context.book.Load(context.store, PageLoadSteps(context));
    if (result.IsFatal() && result.Message().empty())
      fuzz::Finding("a fatal load without a message");
    context.store.Cleanup();
  }
  EBookTrailer kept;
  if (ReadTrailer(book, &kept)) {
    std::string picture;
    if (ExtractSplashPicture(book, kept.splashPos, kept.splashSize, &picture) && !picture.empty())
      unlink(picture.c_str());
  }

  // The private temporary folder holds splash pictures, all removed again, and book
  // folders, which hold nothing once the page store has cleaned up (a fatal load leaves
  // its files, as the reader does; they are removed here).
  const std::string privateFolder = PrivateTempFolder();
  for (const std::string& name : fuzz::FolderEntries(privateFolder)) {
    const bool bookFolder = name.size() >= 4 && name.compare(name.size() - 4, 4, ".k9w") == 0;
    if (!bookFolder)
      fuzz::Finding("a file stayed behind in " + privateFolder + ": " + name);
  }
  fuzz::EmptyFolder(privateFolder);
  for (const std::string& name : fuzz::FolderEntries(scratch)) {
    if (name != "book.bin" && name != "book" && scratch + name + "/" != privateFolder)
      fuzz::Finding("written outside the book folder: " + name);
  }
  fuzz::EmptyFolder(folder);
  return 0;
}
