#include "book/piece_store.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

namespace lumira {

namespace fs = std::filesystem;

PieceStore::PieceStore(fs::path spill, std::size_t memoryBound)
    : spillPath_(std::move(spill)), memoryBound_(memoryBound), memory_(memoryBound),
      spillBatch_(std::min<std::size_t>(memoryBound, 1 << 20))
{
    spill_ = OpenFileStream(spillPath_, "w+b");
    if (!spill_) ThrowCannotCreate(spillPath_);
}

PieceStore::~PieceStore()
{
    std::fclose(spill_);
    std::error_code ec;
    fs::remove(spillPath_, ec);
}

void PieceStore::Add(const std::vector<char>& packed)
{
    if (memorySize_ + packed.size() <= memoryBound_) {
        places_.push_back({memorySize_, packed.size(), false});
        if (!packed.empty()) std::memcpy(memory_.Data() + memorySize_, packed.data(), packed.size());
        memorySize_ += packed.size();
        return;
    }
    places_.push_back({spillSize_, packed.size(), true});
    spillSize_ += packed.size();
    pending_.insert(pending_.end(), packed.begin(), packed.end());
    if (pending_.size() >= spillBatch_) WritePending();
}

void PieceStore::WritePending() const
{
    if (pending_.empty()) return;
    if (!SeekFileStream(spill_, static_cast<std::int64_t>(spillSize_ - pending_.size())) ||
        std::fwrite(pending_.data(), 1, pending_.size(), spill_) != pending_.size())
        ThrowUnableToWrite(spillPath_);
    pending_.clear();
}

void PieceStore::Fetch(std::size_t i, std::vector<char>& packed) const
{
    const Place& at = places_.at(i);
    packed.resize(at.size);
    if (!at.spilt) {
        if (at.size > 0) std::memcpy(packed.data(), memory_.Data() + at.offset, at.size);
        return;
    }
    const std::lock_guard lock(reading_);
    WritePending();
    if (!SeekFileStream(spill_, static_cast<std::int64_t>(at.offset)) || std::fread(packed.data(), 1, at.size, spill_) != at.size) ThrowStreamReadError();
}

} // namespace lumira
