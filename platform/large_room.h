#pragma once
// Room for a large table or buffer. Room of half a huge page or more is asked to be backed by huge
// pages where the system has them (Linux's transparent huge pages): megabytes written then cost
// a page fault per 2 MiB rather than one per 4 KiB, and on a virtual machine those faults are
// most of what filling fresh memory costs. Untouched room costs nothing but address space.
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace lumira {

class LargeRoom {
public:
    LargeRoom() = default;
    // Room for `bytes` bytes, not cleared; throws std::bad_alloc when it cannot be had.
    explicit LargeRoom(size_t bytes);
    ~LargeRoom();
    LargeRoom(LargeRoom&& other) noexcept : data_(std::exchange(other.data_, nullptr)) {}
    LargeRoom& operator=(LargeRoom&& other) noexcept
    {
        std::swap(data_, other.data_);
        return *this;
    }
    LargeRoom(const LargeRoom&) = delete;
    LargeRoom& operator=(const LargeRoom&) = delete;

    char* Data() const { return static_cast<char*>(data_); }

private:
    void* data_ = nullptr;
};

// A table of `T`s that starts all zero bytes, which must make a valid, empty `T`.
template <typename T>
class ZeroedTable {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    ZeroedTable() = default;
    explicit ZeroedTable(size_t count) : room_(count * sizeof(T)), size_(count)
    {
        std::memset(room_.Data(), 0, count * sizeof(T));
    }
    // A table moved from is left empty.
    ZeroedTable(ZeroedTable&& other) noexcept : room_(std::move(other.room_)), size_(std::exchange(other.size_, 0)) {}
    ZeroedTable& operator=(ZeroedTable&& other) noexcept
    {
        room_ = std::move(other.room_);
        std::swap(size_, other.size_);
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return reinterpret_cast<T*>(room_.Data())[i]; }
    const T& operator[](size_t i) const { return reinterpret_cast<const T*>(room_.Data())[i]; }
    const T* begin() const { return reinterpret_cast<const T*>(room_.Data()); }
    const T* end() const { return begin() + size_; }

private:
    LargeRoom room_;
    size_t size_ = 0;
};

} // namespace lumira
