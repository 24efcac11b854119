#include "Windows1251.h"

#include <array>
#include <cstddef>

namespace vornak {

namespace {

// Bytes 0x80 to 0xFF; the bytes below are ASCII.
constexpr std::array<char16_t, 128> upperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98: 0x98 has no letter
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0: А to Я, а to я
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, //
};

} // namespace

char32_t windows1251ToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : upperHalf[static_cast<std::size_t>(byte - 0x80)];
}

std::optional<unsigned char> unicodeToWindows1251(char32_t character) {
    if (character < 0x80) {
        return static_cast<unsigned char>(character);
    }
    for (std::size_t i = 0; i < upperHalf.size(); ++i) {
        if (upperHalf[i] == character) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// Each byte's UTF-8 form, at most three bytes, with its length in the fourth.
constexpr std::array<std::array<char, 4>, 256> utf8OfByte = [] {
    std::array<std::array<char, 4>, 256> table{};
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const char32_t c = byte < 0x80 ? static_cast<char32_t>(byte) : upperHalf[byte - 0x80];
        std::array<char, 4>& entry = table[byte];
        if (c < 0x80) {
            entry = {static_cast<char>(c), 0, 0, 1};
        } else if (c < 0x800) {
            entry = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0, 2};
        } else {
            entry = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F)), 3};
        }
    }
    return table;
}();

std::string windows1251ToUtf8(std::string_view bytes) {
    // Sized for the longest form and cut to what was written: no check of room per byte.
    std::string out(bytes.size() * 3, '\0');
    char* next = out.data();
    for (const char byte : bytes) {
        const std::array<char, 4>& entry = utf8OfByte[static_cast<unsigned char>(byte)];
        next[0] = entry[0];
        next[1] = entry[1];
        next[2] = entry[2];
        next += entry[3];
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

std::u16string windows1251ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        out += static_cast<char16_t>(windows1251ToUnicode(static_cast<unsigned char>(byte)));
    }
    return out;
}

} // namespace vornak
