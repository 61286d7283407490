// The seam between the reader program and its window front end, a shared object that the
// program carries and loads at start: the one function the front end exports.
#ifndef QUIRE_LAUNCH_FRONT_END_H_
#define QUIRE_LAUNCH_FRONT_END_H_

namespace quire {

struct ReaderContext;

// Runs the book of `context` in its window, as a program's main would; returns the exit
// code.
using FrontEndMain = int (*)(ReaderContext& context, int argc, char** argv);
inline constexpr char kFrontEndEntry[] = "QuireFrontMain";

}  // namespace quire

#endif  // QUIRE_LAUNCH_FRONT_END_H_
