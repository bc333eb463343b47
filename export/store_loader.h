#pragma once

#include <cstddef>
#include <string>

#include "intake/log_decoder.h"
#include "intake/packet_store.h"

namespace twk {

// Loads a log into the packet store on the converter's path: the log is read in chunks cut at
// line ends, and a pool of threads turns each chunk's telemetry lines into packet bytes with the
// one-pass line-to-bytes step, the same bytes the line decoder stores. The packets are appended
// in the order of the log.
//
// Returns false, with the store and sink as they were, where the log holds what only the line
// decoder handles: a line too long, a read that fails, or more packets than the store has room
// for (its table-full message names the line). The caller then decodes the log with decodeLog,
// which stops at the same place with its error. Throws Error (OpenFailed) as decodeLog does.
// Standard input ("-") cannot be read twice, so it is left to decodeLog as well.
//
// On success the sink gets fileStarted, then lineShown for the first maxLinesShown telemetry
// lines (a view shows no more), but never hasRoom, nextRow or packetStored.
//
// threads 0 decodes on one thread per hardware thread (at most 8); 1 decodes on the caller's,
// starting none.
bool loadLogInChunks(const std::string& path, PacketSink& sink, PacketStore& store,
                     std::size_t maxLinesShown, std::size_t chunkSize = 256 * 1024,
                     unsigned threads = 0);

}  // namespace twk
