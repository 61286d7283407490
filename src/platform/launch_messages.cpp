#include "platform/launch_messages.h"

namespace quire {

std::string RunFailureMessage(const std::string& commandLine, int startResult) {
  switch (startResult) {
    case kStartOutOfResources:
      return "Can't start " + commandLine + ", out of memory or resources.";
    case kStartFileNotFound:
      return "Can't start " + commandLine + ", as the file was not found.";
    case kStartPathNotFound:
      return "Can't start " + commandLine + ", as the path was not found.";
    case kStartBadFormat:
      return "Can't start " + commandLine + ", the program appears to be corrupted or invalid.";
    default:
      return "Unable to start " + commandLine;
  }
}

std::string OpenFailureMessage(int shellResult) {
  std::string message =
      "The web page could not be opened.\n\nTo use this option, you must :-\n"
      "1. Have a connection to the Internet.\n"
      "2. Have a web browser (for example Microsoft Internet Explorer) installed on your "
      "system.\n"
      "3. The web browser set to pick up file associations (this normally occurs as part of "
      "the installation process for the web browser).";
  const char* reason = nullptr;
  switch (shellResult) {
    case 0:
      reason = "The operating system is out of memory or resources.";
      break;
    case 2:
      reason = "The specified file was not found.";
      break;
    case 3:
      reason = "The specified path was not found.";
      break;
    case 5:
      reason = "The operating system denied access to the specified file.";
      break;
    case 8:
      reason = "There was not enough memory to complete the operation.";
      break;
    case 11:
      reason = "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
      break;
    case 26:
      reason = "A sharing violation occurred.";
      break;
    case 27:
      reason = "The filename association is incomplete or invalid.";
      break;
    case 28:
      reason = "The DDE transaction could not be completed because the request timed out.";
      break;
    case 29:
      reason = "The DDE transaction failed.";
      break;
    case 30:
      reason =
          "The DDE transaction could not be completed because other DDE transactions were "
          "being processed.";
      break;
    case 31:
      reason = "There is no application associated with the given filename extension.";
      break;
    case 32:
      reason = "The specified dynamic-link library was not found.";
      break;
    default:
      break;
  }
  if (reason != nullptr) {
    message += "\n\nThe reason was:-\n";
    message += reason;
  }
  return message;
}

}  // namespace quire
