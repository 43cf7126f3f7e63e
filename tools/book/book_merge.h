#pragma once
// flightreplay-book --merge BOOK SHARD...: books written apart (a share of
// a fleet's logs each) joined into one.

#include <string>
#include <vector>

namespace flightreplay::book {

// Puts every file of each shard into the book at bookPath (made when
// missing), replacing what the book held of the same log: paths made to
// open from the book's folder, one transaction per shard. Each shard is
// checked as a book is (not ours, newer schema: tools::ToolError, and the
// book keeps what the shards before it brought). Returns "N files, M
// flights from K shards".
std::string mergeBooks(const std::string& bookPath, const std::vector<std::string>& shards);

} // namespace flightreplay::book
