#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/check/ReadBack.h"
#include "encoder/plan/EncodePlan.h"

#include <QStringList>

// How far the output's duration may be from the plan's: a frame of picture and of sound either way,
// and a little more for timestamp rounding.
double DurationTolerance(const EncodePlan &plan);

// How the file differs from the plan: its streams, codecs, picture size, frame rate, sound format,
// duration, content description and bit rates. Empty when it matches. rate: what the encode did to
// hold the picture's rate, which tells why a picture did not.
QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate = {});

// How the streams' bit rates differ from the plan's. A picture at a constant rate differs where a
// player that receives it at that rate, and starts once its buffer is full, would have to wait
// (see LeakyBucket), by more than one frame's share of the rate or 3 % of the buffer; the sound
// differs by more than a tenth of its rate either way. Each with what happened and what would help.
QStringList CompareBitRates(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate = {});

// Whether the file is what the plan would make: it records that it was made from the same source
// with the same settings (see MadeFrom), and it is as asked.
bool MadeAsPlanned(const EncodePlan &plan, const WrittenFile &file);

// What is worth telling about a file that is as asked: a picture at a constant rate that needed
// well under it.
QStringList RateNotes(const EncodePlan &plan, const WrittenFile &file);
