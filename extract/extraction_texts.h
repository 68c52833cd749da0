// The messages that both programs show: those of the extractions, the backup
// range copy, the record-count probe and the check of a range. A message that
// names a file is built from the constant of its name.
#pragma once

#include <string>

#include "extract/extraction_modes.h"
#include "loglib/log_library.h"

inline constexpr const char* kMsgFinished = "終了しました";
inline constexpr const char* kMsgRecordNumberUnreadable = "レコード番号が読めません";
// Shown when IsValidRecordRange refuses the two numbers.
inline constexpr const char* kMsgInvalidRecordNumbers = "レコード番号の指定が間違ってます";
// It names the version-5 database after the library, not the file that was
// opened, TARVEK.VDB: the user knows it by that name.
inline constexpr const char* kMsgVersion5DatabaseCannotOpen = "TARVEK50.VDBがオープンできません";

// Appended to a file's name: it cannot be opened, is not there, cannot be
// created, or not written.
inline constexpr const char* kMsgSuffixCannotOpen = "がオープンできません";
inline constexpr const char* kMsgSuffixNotFound = "ファイルが見つかりません";
inline constexpr const char* kMsgSuffixCannotCreate = "ファイルが作成できません";
inline constexpr const char* kMsgSuffixCannotWrite = "ファイルに書き込めません";

inline std::string FileMessage(const char* fileName, const char* suffix)
{
    return std::string(fileName) + suffix;
}

inline std::string LogLibraryCannotOpenMessage()
{
    return FileMessage(kLogLibraryFileName, kMsgSuffixCannotOpen);
}

inline std::string Version4DatabaseCannotOpenMessage()
{
    return FileMessage(kVersion4DatabaseName, kMsgSuffixCannotOpen);
}

inline std::string BackupInputNotFoundMessage()
{
    return FileMessage(kBackupInputName, kMsgSuffixNotFound);
}
