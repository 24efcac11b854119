// Delivers a definition file line by line: a line ends at LF, a CR just before the LF belongs to
// the line end, and a line may hold at most maxLineBytes bytes of text. The file is read in large
// blocks, so a line never costs a system call and memory stays bounded by one block plus one line.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

namespace vornak {

class LineSource {
public:
    enum class Status { Line, End, TooLong, ReadError };

    // Opens the file; isOpen() tells whether that worked.
    explicit LineSource(const std::string& path, std::size_t blockSize = 256 * 1024);

    bool isOpen() const { return open_; }
    // Reads the next line into `line`. Anything but Line leaves the source failed for good.
    Status next(std::string& line);
    // 1-based number of the line that next() delivered last (or failed on).
    int lineNumber() const { return lineNumber_; }
    // An upper bound on the bytes not yet delivered, for sizing containers from real data only.
    std::size_t bytesLeft() const;

private:
    bool refill();

    std::ifstream file_;
    bool open_ = false;
    bool failed_ = false;
    bool eof_ = false;
    std::vector<char> block_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t fileSize_ = 0;
    std::size_t consumed_ = 0;
    int lineNumber_ = 0;
};

// Reads a number as C's atoi does (leading white space, optional sign, digits up to the first other
// byte, 0 when there are none), saturating at the int range instead of overflowing.
int parseLeadingInt(const std::string& text);

} // namespace vornak
