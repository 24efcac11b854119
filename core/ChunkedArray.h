// An array that grows by fixed chunks: appending never moves what is there, so a long array never
// needs its old and new storage at once, and what it holds stays where it is.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace vornak {

template <typename T, std::size_t ChunkShift = 14> class ChunkedArray {
public:
    static constexpr std::size_t chunkSize = std::size_t{1} << ChunkShift;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return chunks_[i >> ChunkShift][i & (chunkSize - 1)]; }
    T& operator[](std::size_t i) { return chunks_[i >> ChunkShift][i & (chunkSize - 1)]; }

    void push_back(const T& value) {
        if ((size_ & (chunkSize - 1)) == 0 && (size_ >> ChunkShift) == chunks_.size()) {
            chunks_.push_back(
                std::unique_ptr<T[]>(new T[chunkSize])); // left unfilled: each is written before it is read
        }
        (*this)[size_] = value;
        ++size_;
    }
    void clear() {
        chunks_.clear();
        size_ = 0;
    }
    // Empties the array but keeps its chunks for what is appended next.
    void rewind() { size_ = 0; }
    // Takes (and touches, so the system gives its pages now) the chunks for `count` elements.
    void reserve(std::size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        while (chunks_.size() * chunkSize < count) {
            chunks_.push_back(std::unique_ptr<T[]>(new T[chunkSize]));
            std::memset(static_cast<void*>(chunks_.back().get()), 0, chunkSize * sizeof(T));
        }
    }
    // Makes the array `count` long, taking chunks as needed but leaving new elements unwritten, so
    // that parts of it can then be written from different threads.
    void growTo(std::size_t count) {
        static_assert(std::is_trivially_copyable_v<T>);
        while (chunks_.size() * chunkSize < count) {
            chunks_.push_back(std::unique_ptr<T[]>(new T[chunkSize]));
        }
        size_ = count;
    }
    // The memory held, chunks counted whole.
    std::size_t heldBytes() const {
        return chunks_.size() * chunkSize * sizeof(T) + chunks_.capacity() * sizeof(std::unique_ptr<T[]>);
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

} // namespace vornak
