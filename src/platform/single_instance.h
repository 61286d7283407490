// Only one copy of a book runs: the first copy holds an abstract Unix-domain socket named
// after the book; a second copy connects to it and says which book file it is. The same
// book comes forward and the second copy ends without a message; a different book that
// happens to carry the same id runs on its own.
#ifndef QUIRE_PLATFORM_SINGLE_INSTANCE_H_
#define QUIRE_PLATFORM_SINGLE_INSTANCE_H_

#include <string>

namespace quire {

// The socket name of a book: "k9webook" followed by the book id up to its first zero
// byte.
std::string SingleInstanceName(const std::string& bookId);

class SingleInstanceGuard {
 public:
  enum class Outcome {
    kFirst,        // this copy holds the name; ListenFd() takes requests
    kHandedOver,   // another copy of the same book, of the same user, runs and was asked
                   // to come forward
    kUnavailable,  // the name is taken by something that cannot be asked (another
                   // user's copy, a socket that does not listen); run without the guard
  };

  SingleInstanceGuard() = default;
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // Takes `name` for the book file `identity` (BookFileIdentity: what tells two books
  // with one id apart), or hands over to its holder when that holder is the same book:
  // it answers within a few seconds that its identity is the same. When the holder is
  // another book (or does not answer), the book takes `name` + "/" + `identity` instead,
  // or hands over to the copy of itself that holds that. The socket is not inherited by
  // programs the reader starts, so the name is free again as soon as this process ends.
  Outcome Acquire(const std::string& name, const std::string& identity);
  // The listening socket while a name is held, else -1. Readable when a request waits.
  int ListenFd() const { return m_fd; }
  // Accepts one waiting connection, reads its request without blocking for long and
  // answers whether it comes from the same book. True when it asks this copy to present
  // its window, comes from the same user and names this copy's identity (or none, as
  // copies that do not send one).
  bool TakeRequest();
  // Gives the name up (a copy started afterwards runs on its own).
  void Release();

 private:
  enum class Asked { kSame, kOther, kUnreachable };
  // Binds `name` (kFirst) or asks its holder (kHandedOver, or kUnavailable with `asked`
  // saying why).
  Outcome TryName(const std::string& name, Asked* asked);

  int m_fd = -1;
  std::string m_identity;
};

}  // namespace quire

#endif  // QUIRE_PLATFORM_SINGLE_INSTANCE_H_
