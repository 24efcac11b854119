// A regular file's bytes mapped for reading, so that a reader takes its texts where they lie
// instead of copying them (the system shares the file's cached pages). Another program may cut
// the file short while it is mapped: reading past the new end would end the process with a bus
// error, so the mapping then reads as zeros instead, and changed() says so.
#pragma once

#include "HeldBytes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vornak {

class FileMapping final : public HeldBytes {
public:
    // Nothing where the file is not mapped: not a regular file, empty, changed in size since it
    // was opened, or a system where the reader reads block by block instead.
    static std::shared_ptr<const FileMapping> open(std::intptr_t handle, std::size_t size);
    ~FileMapping() override;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    std::string_view bytes() const override { return {begin_, size_}; }
    bool cutMet() const override;
    bool changed() const override;

private:
    FileMapping(const char* begin, std::size_t size, std::intptr_t kept, int guardSlot)
        : begin_(begin), size_(size), kept_(kept), guardSlot_(guardSlot) {}

    const char* begin_;
    std::size_t size_;
    std::intptr_t kept_; // the file, kept open to ask its size
    int guardSlot_;
};

namespace detail {

// The system's side (PosixMapping.cpp, WindowsFile.cpp): maps `size` bytes of the open file for
// reading and keeps the file open in `kept`, or gives nullptr; unmaps them and closes it again.
const char* mapInput(std::intptr_t handle, std::size_t size, std::intptr_t& kept);
void unmapInput(const char* begin, std::size_t size, std::intptr_t kept);
// True when the kept file is now shorter than `size`.
bool inputShorter(std::intptr_t kept, std::size_t size);
// Watches a mapping for the bus error of a file cut short: the slot to ask and release, or -1
// where no slot is free or the system needs no watch.
int guardMapping(const char* begin, std::size_t size);
bool mappingCut(int slot);
void releaseGuard(int slot);

} // namespace detail

} // namespace vornak
