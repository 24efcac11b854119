// Bytes that stay where they are for as long as anything holds them: a file mapped for reading, or
// bytes in memory. A reader can then take its texts in place instead of copying them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vornak {

class HeldBytes {
public:
    virtual ~HeldBytes() = default;
    virtual std::string_view bytes() const = 0;
    // True once the bytes stopped being what was read: a mapped file cut short by another program.
    virtual bool changed() const { return false; }
};

// Bytes copied into memory of their own.
class HeldString final : public HeldBytes {
public:
    explicit HeldString(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string_view bytes() const override { return bytes_; }

private:
    std::string bytes_;
};

} // namespace vornak
