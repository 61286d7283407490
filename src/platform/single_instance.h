// Only one copy of a book runs: the first copy holds an abstract Unix-domain socket named
// after the book; a second copy connects to it, asks the first to present its window and
// ends without a message.
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
    kHandedOver,   // another copy of the same user runs and was asked to come forward
    kUnavailable,  // the name is taken by something that cannot be asked (another
                   // user's copy, a socket that does not listen); run without the guard
  };

  SingleInstanceGuard() = default;
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // Takes `name` or hands over to its holder. The socket is not inherited by programs the
  // reader starts, so the name is free again as soon as this process ends.
  Outcome Acquire(const std::string& name);
  // The listening socket while the name is held, else -1. Readable when a request waits.
  int ListenFd() const { return m_fd; }
  // Accepts one waiting connection and reads its request without blocking for long.
  // True when it asks this copy to present its window and comes from the same user.
  bool TakeRequest();
  // Gives the name up (a copy started afterwards runs on its own).
  void Release();

 private:
  int m_fd = -1;
};

}  // namespace quire

#endif  // QUIRE_PLATFORM_SINGLE_INSTANCE_H_
