#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace legacy {

// The reader child: opens an Access file read-only with libmdb and writes the named tables to `out`
// in the form of jet_stream.h. It runs in a process of its own (the program started with
// --read-jet), so that a file that makes the library crash or loop takes only this process down.
//
// Returns 0 when everything was written, 3 when the file could not be read (an ERROR line says why)
// and 4 when the output could not be written.
int runJetReader(const std::string& path, const std::vector<std::string>& tables, std::FILE* out);

// The bound text of a memo is cut at the bind size; hint texts are far shorter than this.
inline constexpr std::size_t kJetBindSize = std::size_t(1) << 20;

} // namespace legacy
