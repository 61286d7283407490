#include "script/command_table.h"

#include <unordered_map>

#include "script/builtin_commands.h"

namespace quire {
namespace {

constexpr bool kControl = true;
constexpr bool kPlain = false;

std::vector<CommandSpec> BuildTable() {
  return {
      // Control flow.
      {"IF", 1, 1, kControl, HandleIf},
      {"IFSTREQUAL", 2, 2, kControl, HandleIfStrEqual},
      {"IFSTRNOTEQUAL", 2, 2, kControl, HandleIfStrNotEqual},
      {"ELSE", 0, 0, kControl, HandleElse},
      {"ENDIF", 0, 0, kControl, HandleEndIf},
      {"WHILE", 1, 1, kControl, HandleWhile},
      {"WEND", 0, 0, kControl, HandleWend},
      {"REPEAT", 0, 0, kControl, HandleRepeat},
      {"UNTIL", 1, 1, kControl, HandleUntil},
      {"GOSUB", 1, 1, kPlain, HandleGosub},
      {"RETURN", 0, 0, kPlain, HandleReturn},
      {"END", 0, 0, kPlain, HandleEnd},
      // Variables and strings.
      {"SET", 2, 2, kPlain, HandleSet},
      {"STREQUAL", 3, 3, kPlain, HandleStrEqual},
      {"STREMPTY", 2, 2, kPlain, HandleStrEmpty},
      {"STRFIND", 3, 4, kPlain, HandleStrFind},
      {"STRCMP", 3, 3, kPlain, HandleStrCmp},
      {"STRICMP", 3, 3, kPlain, HandleStrICmp},
      {"STRREPLACE", 4, 4, kPlain, HandleStrReplace},
      {"STRLEN", 2, 2, kPlain, HandleStrLen},
      {"STRUPPER", 2, 2, kPlain, HandleStrUpper},
      {"STRLOWER", 2, 2, kPlain, HandleStrLower},
      {"STRTRIM", 2, 2, kPlain, HandleStrTrim},
      {"STRTRIMR", 2, 2, kPlain, HandleStrTrimR},
      {"STRTRIML", 2, 2, kPlain, HandleStrTrimL},
      {"STRCAT", 3, 3, kPlain, HandleStrCat},
      {"STRHTML", 2, 2, kPlain, HandleStrHtml},
      {"STRLASTWORD", 2, 2, kPlain, HandleStrLastWord},
      {"STRFIRSTWORD", 2, 2, kPlain, HandleStrFirstWord},
      {"STRLEFT", 3, 3, kPlain, HandleStrLeft},
      {"STRRIGHT", 3, 3, kPlain, HandleStrRight},
      {"STRMID", 3, 4, kPlain, HandleStrMid},
      {"STRCHAR", 3, 3, kPlain, HandleStrChar},
      // Files, INI values and dialogs.
      {"FILEEXIST", 2, 2, kPlain, HandleFileExist},
      {"FILECOPY", 3, 4, kPlain, HandleFileCopy},
      {"FILESAVEPROMPT", 5, 5, kPlain, HandleFileSavePrompt},
      {"FILESAVEPROMPT2", 7, 7, kPlain, HandleFileSavePrompt2},
      {"FILEWRITE", 3, 3, kPlain, HandleFileWrite},
      {"FILEREAD", 3, 3, kPlain, HandleFileRead},
      {"INIREAD", 4, 5, kPlain, HandleIniRead},
      {"INIWRITE", 4, 4, kPlain, HandleIniWrite},
      {"MESSAGEBOX", 1, 1, kPlain, HandleMessageBox},
      {"MESSAGEBOX2", 3, 3, kPlain, HandleMessageBox2},
      {"OUTPUTDEBUGSTRING", 1, 1, kPlain, HandleOutputDebugString},
      {"MESSAGEBEEP", 0, 0, kPlain, HandleMessageBeep},
      // Window, navigation and application.
      {"EXIT", 0, 0, kPlain, HandleExit},
      {"COPY", 0, 0, kPlain, HandleCopy},
      {"SELECTALL", 0, 0, kPlain, HandleSelectAll},
      {"FONT", 1, 1, kPlain, HandleFont},
      {"OPEN", 1, 1, kPlain, HandleOpen},
      {"RUN", 1, 1, kPlain, HandleRun},
      {"RUNMINIMIZED", 1, 1, kPlain, HandleRunMinimized},
      {"RUNMAXIMIZED", 1, 1, kPlain, HandleRunMaximized},
      {"PRINT", 0, 0, kPlain, HandlePrint},
      {"PRINTSETUP", 0, 0, kPlain, HandlePrintSetup},
      {"MAXIMIZE", 0, 0, kPlain, HandleMaximize},
      {"MINIMIZE", 0, 0, kPlain, HandleMinimize},
      {"RESTORE", 0, 0, kPlain, HandleRestore},
      {"MOVE", 4, 4, kPlain, HandleMove},
      {"DISPLAY", 1, 1, kPlain, HandleDisplay},
      {"NAVIGATE", 1, 1, kPlain, HandleNavigate},
      {"ABOUT", 0, 0, kPlain, HandleAbout},
      {"BACK", 0, 0, kPlain, HandleBack},
      {"FORWARD", 0, 0, kPlain, HandleForward},
      {"HOME", 0, 0, kPlain, HandleHome},
      {"REFRESH", 0, 0, kPlain, HandleRefresh},
      {"STOP", 0, 0, kPlain, HandleStop},
      {"TOC", 0, 0, kPlain, HandleToc},
      {"SEARCH", 0, 2, kPlain, HandleSearch},
  };
}

}  // namespace

const std::vector<CommandSpec>& AllCommands() {
  static const std::vector<CommandSpec> table = BuildTable();
  return table;
}

const CommandSpec* FindCommand(std::string_view keyword) {
  // Built once; the keys view the table's own literals.
  static const std::unordered_map<std::string_view, const CommandSpec*> index = [] {
    std::unordered_map<std::string_view, const CommandSpec*> map;
    for (const CommandSpec& entry : AllCommands())
      map.emplace(entry.keyword, &entry);
    return map;
  }();
  auto found = index.find(keyword);
  return found == index.end() ? nullptr : found->second;
}

}  // namespace quire
