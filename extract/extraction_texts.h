// The messages of the extractions and the backup range copy.
#pragma once

inline constexpr const char* kMsgFinished = "終了しました";
inline constexpr const char* kMsgRecordNumberUnreadable = "レコード番号が読めません";
inline constexpr const char* kMsgVersion4DatabaseCannotOpen = "TARVEK.DBSがオープンできません";
inline constexpr const char* kMsgVersion5DatabaseCannotOpen = "TARVEK50.VDBがオープンできません";
inline constexpr const char* kMsgBackupInputNotFound = "BAK0001.TXTファイルが見つかりません";

// Appended to an output file's name: it cannot be created, or not written.
inline constexpr const char* kMsgSuffixCannotCreate = "ファイルが作成できません";
inline constexpr const char* kMsgSuffixCannotWrite = "ファイルに書き込めません";
