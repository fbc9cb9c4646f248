#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/probe/SourceProbe.h"

#include <QString>
#include <optional>

// The name under which an output records what it was made from, in its own header, so that nothing
// is written beside the user's files and a copied or moved folder keeps the record.
inline constexpr char MadeFromTag[] = "Quillmark/MadeFrom";

// What an output made from the source with the settings records: the source's size, when it was
// last changed and the digest of its ends, and a digest of the settings.
QString MadeFrom(const SourceFacts &source, const Settings &settings);

// Whether what an output records was made from the source (its file facts suffice), with whatever
// settings.
bool MadeFromSource(const QString &madeFrom, const SourceFacts &source);

// The record an output holds once written: what it was made from, and how long the output should
// last as the source gave it, which a source cut short makes shorter than its header says.
QString RecordWithLength(const QString &madeFrom, double seconds);

// What an output's record says.
struct Record {
    QString madeFrom;
    std::optional<double> length; // nothing where the record does not tell
};
Record ReadRecord(const QString &record);
