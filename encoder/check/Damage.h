#pragma once

#include "encoder/check/DeclaredHeader.h"

#include <QString>
#include <optional>

// How an output's bytes break what its header promises, in words ("it holds 3000 bytes fewer than
// its header says"); nothing where they keep it. What the writer promises is checked without
// decoding the file: its size, the data object's length and packet count, every data packet laid
// out as the writer lays them out, the index where the picture has key frames; then the last second
// of every stream is decoded, from the key frame a player starts from. Throws Stopped once a stop is
// asked for.
std::optional<QString> DamageIn(const QString &path);

// The same of the file's bytes alone, without decoding: what read gives of a file of size bytes.
std::optional<QString> LayoutDamage(const ByteReader &read, qint64 size);
