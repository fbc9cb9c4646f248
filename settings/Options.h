#pragma once

#include <QString>
#include <optional>

QString RemoveChar(const QString &text, QChar character);

// Which codec button the Options dialog shows for the -v_codec row: v8 for an empty row and "WMV8",
// v7 for "WMV7", neither for any other text.
enum class CodecButton { V8, V7, Neither };
CodecButton CodecButtonFor(const QString &row);

// The -v_codec row that OK writes for the checked button: empty for v8, "WMV7" for v7; nothing (the
// row is kept) when neither is checked.
std::optional<QString> CodecRowFor(CodecButton checked);
