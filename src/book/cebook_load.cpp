// Loading the book: parse the container, extract every file into the book folder,
// expand the flagged pages and choose the start page.

#include "book/cebook.h"
#include "book/container_reader.h"
#include "book/page_store.h"
#include "book/stored_name.h"
#include "platform/ascii_text.h"

namespace quire {

namespace {

const EntryExtractor::Change kNoChange;

std::vector<std::string_view> StoredNames(const std::vector<EBookFile>& directory) {
  std::vector<std::string_view> names;
  names.reserve(directory.size());
  for (const EBookFile& entry : directory)
    names.push_back(entry.fileName);
  return names;
}

}  // namespace

void ChooseStartPage(const std::string& fileName, const std::string& path, std::string* startPage) {
  const std::string name = AsciiLowered(fileName);
  // "index.html" wins over "index.htm" wherever it stands; the last "index.html" wins,
  // the first "index.htm" stays unless an "index.html" comes.
  if (name == "index.html" || (startPage->empty() && name == "index.htm"))
    *startPage = path;
}

LoadResult CEBook::Load(PageStore& store, const BookLoadSteps& steps) {
  using Reason = LoadResult::Reason;
  Reset();
  {
    ContainerReader reader(m_file, steps.env);
    const ContainerResult parsed =
        reader.Parse(&*m_settings, &m_reservedList, &m_directory, &m_trailer, &m_variables);
    if (!parsed)
      return {Reason::kParseFailed, parsed.failure};
    m_features = ReadBookFeatures(m_reservedList);
    m_encoding = BookTextEncoding(*m_settings, m_directory);
    if (steps.textToHtml) {
      for (EBookVariable& variable : m_variables.variables) {
        if (IsPlainTextVariableKind(variable.kind))
          variable.value = steps.textToHtml(variable.value);
      }
    }
    if (m_settings->fileCount == 0)
      return {Reason::kNoFiles};
    if (m_settings->fileCount < 0 ||
        static_cast<size_t>(m_settings->fileCount) != m_directory.size()) {
      return {Reason::kCountMismatch};
    }

    m_startPage.clear();
    // Asked once: a folder that cannot be made is reported once, not once per file.
    const std::string folder = store.BookFolder();
    const std::vector<EntryName> names =
        CheckEntryNames(StoredNames(m_directory), reader.KeepsFolders());
    const auto recordFolder = [&store](const std::string& made) { store.RecordFolder(made); };
    for (size_t i = 0; i < m_directory.size(); ++i) {
      const EBookFile& entry = m_directory[i];
      // The search reads its texts from the book file; extracting them would only cost
      // time at every start.
      if (IsSearchTextEntry(m_features, entry))
        continue;
      const std::string path = folder + entry.fileName;
      ChooseStartPage(entry.fileName, path, &m_startPage);
      // A name that is not extracted was never written and may point outside the folder.
      if (names[i] != EntryName::kExtracted)
        continue;
      // A flagged page is expanded before it is written, so it is written once.
      reader.ExtractFile(m_directory, i, m_trailer, folder,
                         entry.expandVariables ? steps.expandPage : kNoChange, recordFolder);
      // Recorded even when extraction failed, so a partial file goes at shutdown.
      store.RecordFile(path);
    }
  }  // the reader closes the book file here

  if (m_startPage.empty())
    return {Reason::kNoIndexPage};
  return {};
}

}  // namespace quire
