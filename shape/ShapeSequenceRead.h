// Sequence entries of the outer stream of a shape file.
#pragma once

#include <cstdint>

class KShapeFileStream;
struct KShapeSequence;

// The fewest bytes one entry takes in a file of this version.
uint64_t MinSequenceBytes(uint32_t version);
// Reads one entry into a record with empty sets and computes its dirty
// mask. Null on success, else why it failed.
const char* ReadSequence(KShapeFileStream& stream, uint32_t version, KShapeSequence& sequence);
