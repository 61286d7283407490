#include "session/reader_session.h"

#include "book/cebook.h"
#include "book/container_reader.h"
#include "book/page_store.h"
#include "ext/extension_hooks.h"
#include "script/script_links.h"

namespace quire {

namespace {

constexpr const char* kCorruptedBook =
    "This E-Book appears to be corrupted. If you downloaded from the Internet try downloading "
    "it again.";

}  // namespace

StartupFailure ReaderSession::ReadOwnBook() {
  if (!ReadTrailer() || !ExtractSplashPicture(StartupTrailer().splashPos,
                                              StartupTrailer().splashSize, &m_splashPath)) {
    return {StartupFailure::Kind::kCorrupted, kCorruptedBook, 0};
  }
  return {};
}

std::string ReaderSession::BookId() const {
  return StartupTrailer().bookId;
}

StartupFailure ReaderSession::LoadBook() {
  CEBook::Instance().Load();
  return {};
}

void ReaderSession::LoadExtensions() {
  quire::LoadExtensions();
}

void ReaderSession::Shutdown() {
  if (m_shutDown)
    return;
  m_shutDown = true;
  RunBookCommand(CEBook::Instance().ExitScript());
  PageStore::Instance().Cleanup();
}

}  // namespace quire
