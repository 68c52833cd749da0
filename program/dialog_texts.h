// The main dialog's own texts: its message about a too long field, the
// values it puts into the record-number fields, and the message of its help
// command.
#pragma once

// The most bytes of code page 932 that a record-number field takes.
inline constexpr int kRecordNumberMaxBytes = 6;

// Shown when a record-number field holds too long a text; "%1" stands for
// kRecordNumberMaxBytes.
inline constexpr const char* kMsgTooManyCharacters = "%1 文字以内で入力してください。";

// The first record number, proposed as the start of every range.
inline constexpr const char* kFirstRecordNumber = "1";

// Shown by the help command when it can open neither guide; "%1" stands for
// the web page's file name.
inline constexpr const char* kMsgGuideCannotOpen = "説明書 %1 を開けません";
