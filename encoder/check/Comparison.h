#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/check/ReadBack.h"
#include "encoder/plan/EncodePlan.h"

#include <QStringList>
#include <optional>

// How the file differs from the plan: its streams, codecs, picture size, frame rate, sound format,
// duration (against length, how long the output should last), content description and bit rates.
// Empty when it matches. rate: what the encode did to hold the picture's rate, which tells why a
// picture did not.
QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file, double length, const RateRecord &rate = {});

// How the streams' bit rates differ from the plan's. A picture at a constant rate differs where its
// file declares another rate or buffer than asked, or a preroll shorter than the buffer, and where a
// player that receives it at the rate its file declares, and starts once the file's preroll has
// passed, would have to wait (see LeakyBucket), by more than one frame's share of the rate or 3 %
// of the buffer; the sound differs by more than a tenth of its rate either way. Each with what
// happened and what would help.
QStringList CompareBitRates(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate = {});

// How a file that an earlier run wrote differs from the plan, lasting as long as it records the
// source gave, where it records that it was made from the same source with the same settings (see
// MadeFrom): empty where it is as asked. Nothing where it records anything else.
std::optional<QStringList> DifferencesOfEarlier(const EncodePlan &plan, const WrittenFile &file);

// What is worth telling about a file: a picture that keeps its constant rate and needed well under it.
QStringList RateNotes(const EncodePlan &plan, const WrittenFile &file);
