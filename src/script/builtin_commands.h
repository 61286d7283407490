// Handlers of the built-in keywords, grouped by the file that defines them. The command
// table (command_table.cpp) registers each with its parameter counts; a handler is only
// called with a count the table accepts, so it need not check the count again.
#ifndef QUIRE_SCRIPT_BUILTIN_COMMANDS_H_
#define QUIRE_SCRIPT_BUILTIN_COMMANDS_H_

#include "script/command_table.h"

namespace quire {

// --- control_commands.cpp: conditions, loops, subroutines ------------------------------
int HandleIf(CommandCall& call);             // IF(condition)
int HandleIfStrEqual(CommandCall& call);     // IFSTREQUAL(a, b)
int HandleIfStrNotEqual(CommandCall& call);  // IFSTRNOTEQUAL(a, b)
int HandleElse(CommandCall& call);           // ELSE
int HandleEndIf(CommandCall& call);          // ENDIF
int HandleWhile(CommandCall& call);          // WHILE(condition)
int HandleWend(CommandCall& call);           // WEND
int HandleRepeat(CommandCall& call);         // REPEAT
int HandleUntil(CommandCall& call);          // UNTIL(condition)
int HandleGosub(CommandCall& call);          // GOSUB(label)
int HandleReturn(CommandCall& call);         // RETURN
int HandleEnd(CommandCall& call);            // END

// --- string_commands.cpp: SET and the STR... commands ----------------------------------
int HandleSet(CommandCall& call);           // SET(var, value)
int HandleStrEqual(CommandCall& call);      // STREQUAL(var, a, b)
int HandleStrEmpty(CommandCall& call);      // STREMPTY(var, a)
int HandleStrFind(CommandCall& call);       // STRFIND(var, a, b [, start])
int HandleStrCmp(CommandCall& call);        // STRCMP(var, a, b)
int HandleStrICmp(CommandCall& call);       // STRICMP(var, a, b)
int HandleStrReplace(CommandCall& call);    // STRREPLACE(var, a, find, replacement)
int HandleStrLen(CommandCall& call);        // STRLEN(var, a)
int HandleStrUpper(CommandCall& call);      // STRUPPER(var, a)
int HandleStrLower(CommandCall& call);      // STRLOWER(var, a)
int HandleStrTrim(CommandCall& call);       // STRTRIM(var, a)
int HandleStrTrimR(CommandCall& call);      // STRTRIMR(var, a)
int HandleStrTrimL(CommandCall& call);      // STRTRIML(var, a)
int HandleStrCat(CommandCall& call);        // STRCAT(var, a, b)
int HandleStrHtml(CommandCall& call);       // STRHTML(var, a)
int HandleStrLastWord(CommandCall& call);   // STRLASTWORD(var, a)
int HandleStrFirstWord(CommandCall& call);  // STRFIRSTWORD(var, a)
int HandleStrLeft(CommandCall& call);       // STRLEFT(var, a, count)
int HandleStrRight(CommandCall& call);      // STRRIGHT(var, a, count)
int HandleStrMid(CommandCall& call);        // STRMID(var, a, start [, count])
int HandleStrChar(CommandCall& call);       // STRCHAR(var, a, position)

// --- window_commands.cpp: window, navigation and application ---------------------------
int HandleNavigate(CommandCall& call);      // NAVIGATE(url)                 1
int HandleDisplay(CommandCall& call);       // DISPLAY(html)                 1
int HandleBack(CommandCall& call);          // BACK                          0
int HandleForward(CommandCall& call);       // FORWARD                       0
int HandleHome(CommandCall& call);          // HOME                          0
int HandleRefresh(CommandCall& call);       // REFRESH                       0
int HandleStop(CommandCall& call);          // STOP                          0
int HandleAbout(CommandCall& call);         // ABOUT                         0
int HandleToc(CommandCall& call);           // TOC                           0
int HandleSearch(CommandCall& call);        // SEARCH [(text [, case])]      0 to 2
int HandleFont(CommandCall& call);          // FONT(size)                    1
int HandlePrint(CommandCall& call);         // PRINT                         0
int HandlePrintSetup(CommandCall& call);    // PRINTSETUP                    0
int HandleCopy(CommandCall& call);          // COPY                          0
int HandleSelectAll(CommandCall& call);     // SELECTALL                     0
int HandleOpen(CommandCall& call);          // OPEN(document)                1
int HandleRun(CommandCall& call);           // RUN(command line)             1
int HandleRunMinimized(CommandCall& call);  // RUNMINIMIZED(command line)    1
int HandleRunMaximized(CommandCall& call);  // RUNMAXIMIZED(command line)    1
int HandleMaximize(CommandCall& call);      // MAXIMIZE                      0
int HandleMinimize(CommandCall& call);      // MINIMIZE                      0
int HandleRestore(CommandCall& call);       // RESTORE                       0
int HandleMove(CommandCall& call);          // MOVE(x, y, width, height)     4
int HandleExit(CommandCall& call);          // EXIT                          0 (result 2)

// --- file_commands.cpp: files, INI values and dialogs ----------------------------------
int HandleFileExist(CommandCall& call);          // FILEEXIST(flagVar, path)            2
int HandleFileCopy(CommandCall& call);           // FILECOPY(flag, src, dst [, fail])   3 to 4
int HandleFileWrite(CommandCall& call);          // FILEWRITE(flagVar, path, text)      3
int HandleFileRead(CommandCall& call);           // FILEREAD(flagVar, textVar, path)    3
int HandleFileSavePrompt(CommandCall& call);     // FILESAVEPROMPT(...)                 5
int HandleFileSavePrompt2(CommandCall& call);    // FILESAVEPROMPT2(...)                7
int HandleIniRead(CommandCall& call);            // INIREAD(var, ini, sect, key [, def]) 4 to 5
int HandleIniWrite(CommandCall& call);           // INIWRITE(value, ini, section, key)  4
int HandleMessageBox(CommandCall& call);         // MESSAGEBOX(text)                    1
int HandleMessageBox2(CommandCall& call);        // MESSAGEBOX2(var, text, style)       3
int HandleOutputDebugString(CommandCall& call);  // OUTPUTDEBUGSTRING(text)             1
int HandleMessageBeep(CommandCall& call);        // MESSAGEBEEP                         0

}  // namespace quire

#endif  // QUIRE_SCRIPT_BUILTIN_COMMANDS_H_
