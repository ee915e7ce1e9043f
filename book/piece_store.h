#pragma once
// Compressed pieces of a book's text kept for the archive, which takes them in its own name
// order (chunk.0, chunk.1, chunk.10, ...) rather than the text's. The first pieces stay in
// memory up to a bound; the rest go to one spill file, so memory stays flat whatever the text's
// size. The spill file is created with the store and removed with it on every path.
#include "platform/large_room.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

namespace lumira {

class PieceStore {
public:
    // "Cannot create file %s" naming `spill` when it cannot be made.
    PieceStore(std::filesystem::path spill, std::size_t memoryBound);
    ~PieceStore();
    PieceStore(const PieceStore&) = delete;
    PieceStore& operator=(const PieceStore&) = delete;

    // Keeps the next piece; "Unable to write file %s" naming the spill file on failure.
    void Add(const std::vector<char>& packed);
    // Replaces `packed` with piece i; may be called from several threads at once once adding is
    // done. The first call writes out the last spilt pieces, with Add's message on failure.
    void Fetch(std::size_t i, std::vector<char>& packed) const;
    std::size_t Count() const { return places_.size(); }
    const std::filesystem::path& SpillPath() const { return spillPath_; }

private:
    struct Place {
        std::uint64_t offset;  // in memory_ or in the spill file
        std::size_t size;
        bool spilt;
    };
    std::filesystem::path spillPath_;
    std::size_t memoryBound_;
    std::vector<Place> places_;
    LargeRoom memory_;  // memoryBound_ bytes, written as pieces come
    std::size_t memorySize_ = 0;
    std::uint64_t spillSize_ = 0;
    std::FILE* spill_ = nullptr;
    // Spilt pieces are written in batches of `spillBatch_` bytes (at most the memory bound); the
    // last batch goes out before the first piece is fetched.
    std::size_t spillBatch_;
    mutable std::vector<char> pending_;
    mutable std::mutex reading_;
    void WritePending() const;
};

} // namespace lumira
