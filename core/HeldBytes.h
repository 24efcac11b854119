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
    // True once a read met the bytes' end moved: a mapped file cut short by another program (cheap:
    // asked as often as a result is made from the bytes).
    virtual bool cutMet() const { return false; }
    // True when the bytes are no longer what was read: a cut was met, or the file is now shorter
    // (a cut inside its last page reads as zeros without being met). Asks the system.
    virtual bool changed() const { return cutMet(); }
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
