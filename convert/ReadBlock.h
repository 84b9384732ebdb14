// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Memory that reads of files fill.

#include <cstddef>
#include <memory>
#include <new>

namespace rz408 {

// A block of memory whose start lies on a cache line, for reads of files: the system copies file
// data into it several times faster than into memory that starts a few bytes past a line (as
// large allocations do, 16 bytes past a page), which made a read of cached data six times slower
// on an AMD processor.
class ReadBlock {
public:
    ReadBlock() = default;
    explicit ReadBlock(std::size_t size)
        : bytes_(size > 0 ? new (kAlignment) char[size] : nullptr), size_(size) {}

    char* Data() const { return bytes_.get(); }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

private:
    static constexpr std::align_val_t kAlignment{64};
    struct Free {
        void operator()(char* bytes) const { ::operator delete[](bytes, kAlignment); }
    };
    std::unique_ptr<char[], Free> bytes_;
    std::size_t size_ = 0;
};

} // namespace rz408
