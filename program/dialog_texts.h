// The main dialog's own texts: its message about a too long field and the
// values it puts into the record-number fields.
#pragma once

// Shown when a record-number field holds too long a text; "%1" stands for the
// field's limit.
inline constexpr const char* kMsgTooManyCharacters = "%1 文字以内で入力してください。";

// The first record number, proposed as the start of every range.
inline constexpr const char* kFirstRecordNumber = "1";

// What both fields show while a mode button asks for the record count.
inline constexpr const char* kBlankRecordNumber = "      ";
