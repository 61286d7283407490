#include "session/reader_session.h"

#include "book/book_identity.h"
#include "book/container_reader.h"
#include "ext/extension_hooks.h"
#include "pages/about_page.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"
#include "script/script_links.h"

namespace quire {

namespace {

constexpr const char* kCorruptedBook =
    "This E-Book appears to be corrupted. If you downloaded from the Internet try downloading "
    "it again.";

}  // namespace

StartupFailure ReaderSession::ReadOwnBook() {
  const std::string& file = m_context.book.File();
  if (!ReadTrailer(file, &m_trailer) ||
      !ExtractSplashPicture(file, m_trailer.splashPos, m_trailer.splashSize, &m_splashPath)) {
    return {StartupFailure::Kind::kCorrupted, kCorruptedBook, 0, {}};
  }
  return {};
}

std::string ReaderSession::BookId() const {
  return m_trailer.bookId;
}

std::string ReaderSession::BookIdentity() const {
  return BookFileIdentity(m_context.book.File(), m_trailer);
}

StartupFailure ReaderSession::LoadBook() {
  CEBook& book = m_context.book;
  const LoadResult result = book.Load(m_context.store, PageLoadSteps(m_context));
  if (result.IsFatal()) {
    return {StartupFailure::Kind::kFatalLoad, result.Message(), 0, result};
  }
  if (result.reason == LoadResult::Reason::kNoIndexPage) {
    m_context.window->MessageBox(result.Message(), kMbOk | kMbIconExclamation);
    book.SetStartPage(BuildAboutPage(m_context));
  }
  return {};
}

void ReaderSession::LoadExtensions() {
  quire::LoadExtensions(m_context);
}

void ReaderSession::Shutdown() {
  if (m_shutDown)
    return;
  m_shutDown = true;
  RunBookCommand(m_context, m_context.book.ExitScript());
  m_context.store.Cleanup();
  // After the page store: a library still loaded could not be deleted with the files.
  UnloadExtensions(m_context);
}

}  // namespace quire
