#include "Renumbering.h"

#include <algorithm>
#include <string>

namespace vornak {} // namespace vornak

namespace vornak {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// The numbers of the plainly numbered codes in a text, in order: "#P(3)" and "#x( 12 )" give 3, 12.
std::vector<long long> codeNumbers(const std::string& text) {
    std::vector<long long> numbers;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '#') {
            continue;
        }
        const char letter = static_cast<char>(text[i + 1] & ~0x20);
        if (letter != 'P' && letter != 'R' && letter != 'N' && letter != 'X') {
            continue;
        }
        std::size_t j = i + 2;
        while (j < text.size() && isSpace(text[j])) {
            ++j;
        }
        if (j >= text.size() || text[j] != '(') {
            continue;
        }
        ++j;
        while (j < text.size() && isSpace(text[j])) {
            ++j;
        }
        long long number = 0;
        std::size_t digits = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && digits < 18) {
            number = number * 10 + (text[j] - '0');
            ++j;
            ++digits;
        }
        while (j < text.size() && isSpace(text[j])) {
            ++j;
        }
        if (digits > 0 && j < text.size() && text[j] == ')') {
            numbers.push_back(number);
        }
    }
    return numbers;
}

} // namespace

int countChangedCodes(const std::vector<TextChange>& changes) {
    int count = 0;
    for (const TextChange& change : changes) {
        const std::vector<long long> before = codeNumbers(change.before);
        const std::vector<long long> after = codeNumbers(change.after);
        const std::size_t common = std::min(before.size(), after.size());
        for (std::size_t k = 0; k < common; ++k) {
            count += before[k] != after[k] ? 1 : 0;
        }
        // A rewrite that changed the codes' shape: count what does not pair up.
        count += static_cast<int>(std::max(before.size(), after.size()) - common);
    }
    return count;
}

} // namespace vornak
