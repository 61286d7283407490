// The result codes of starting a program or opening a document, in the numbering books
// were written for, and the texts that report them.
#ifndef QUIRE_PLATFORM_LAUNCH_MESSAGES_H_
#define QUIRE_PLATFORM_LAUNCH_MESSAGES_H_

#include <string>

namespace quire {

// Start results (programs) and shell results (documents); the numbering is shared.
inline constexpr int kStartOutOfResources = 0;
inline constexpr int kStartFailed = 1;  // a failure with no reason of its own
inline constexpr int kStartFileNotFound = 2;
inline constexpr int kStartPathNotFound = 3;
inline constexpr int kStartAccessDenied = 5;
inline constexpr int kStartBadFormat = 11;
inline constexpr int kStartNoAssociation = 31;
// Any shell result above 32 means the document was opened.
inline constexpr int kOpened = 33;

// "Can't start <line>, as the file was not found." and its siblings for 0, 2, 3 and 11;
// "Unable to start <line>" for every other result.
std::string RunFailureMessage(const std::string& commandLine, int startResult);
// "The web page could not be opened. ..." followed by "\n\nThe reason was:-\n" and the
// reason when `shellResult` has one (0, 2, 3, 5, 8, 11, 26 to 32).
std::string OpenFailureMessage(int shellResult);

}  // namespace quire

#endif  // QUIRE_PLATFORM_LAUNCH_MESSAGES_H_
