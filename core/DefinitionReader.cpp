// Reading R1 and R2 definition files. The reader stops at the first line it cannot read: counts
// read before that point may announce far more records than the file holds, so nothing is ever
// sized from a count alone.
#include "LineSource.h"
#include "ReportDefinition.h"

#include <algorithm>
#include <string>

namespace vornak {
namespace {

class BodyReader {
public:
    BodyReader(LineSource& source, ReportDefinition& model, LoadError& error)
        : source_(source), model_(model), error_(error) {}

    bool readFirstLine(std::string& mark) { return read(mark, "the file is empty"); }

    bool readBody(bool r1Layout) {
        for (std::string* text :
             {&model_.title, &model_.documentFile, &model_.input1Caption, &model_.input2Caption,
              &model_.surnameCaption, &model_.author, &model_.source, &model_.organisation, &model_.date}) {
            if (!read(*text, "inside the nine report texts")) {
                return false;
            }
        }
        int parameterCount = 0;
        if (!readNumber(parameterCount, "where the parameter count belongs")) {
            return false;
        }
        // A parameter takes at least five lines of one byte each.
        reserveFromData(model_.parameters, parameterCount, 5);
        for (int p = 0; p < parameterCount; ++p) {
            if (!readParameter(p + 1, r1Layout)) {
                return false;
            }
        }
        int resultCount = 0;
        if (!readNumber(resultCount, "where the result count belongs")) {
            return false;
        }
        reserveFromData(model_.results, resultCount, 2);
        for (int r = 0; r < resultCount; ++r) {
            const std::string where = "inside result " + std::to_string(r + 1);
            ResultRow row;
            if (!read(row.name, where) || !read(row.result, where)) {
                return false;
            }
            model_.results.push_back(std::move(row));
        }
        return true;
    }

private:
    bool readParameter(int number, bool r1Layout) {
        const std::string where = "inside parameter " + std::to_string(number);
        ParameterRecord record;
        int kind = 0;
        int isNumber = 0;
        if (!read(record.name, where) || !readNumber(kind, where) || !readNumber(isNumber, where)) {
            return false;
        }
        record.kind = static_cast<ValueKind>(static_cast<std::uint8_t>(static_cast<unsigned>(kind) & 0xFFu));
        record.isNumber = isNumber != 0 ? 1 : 0;
        if (!r1Layout) {
            int hasFormula = 0;
            if (!readNumber(hasFormula, where)) {
                return false;
            }
            record.hasFormula = hasFormula != 0 ? 1 : 0;
            if (record.hasFormula != 0 && !read(record.formula, where)) {
                return false;
            }
        }
        int rowCount = 0;
        if (!readNumber(rowCount, where)) {
            return false;
        }
        model_.parameters.push_back(std::move(record));
        auto& values = model_.parameters.back().values;
        reserveFromData(values, rowCount, 3);
        for (int v = 0; v < rowCount; ++v) {
            ValueRow row;
            if (!read(row.value, where) || !read(row.upperBound, where) || !read(row.result, where)) {
                return false;
            }
            values.push_back(std::move(row));
        }
        return true;
    }

    template <typename Sequence>
    void reserveFromData(Sequence& sequence, int announced, std::size_t minLinesEach) {
        if (announced <= 0) {
            return;
        }
        const std::size_t possible = source_.bytesLeft() / minLinesEach;
        sequence.reserve(sequence.size() + std::min(static_cast<std::size_t>(announced), possible));
    }

    bool readNumber(int& value, const std::string& where) {
        if (!read(line_, where)) {
            return false;
        }
        value = parseLeadingInt(line_);
        return true;
    }

    bool read(std::string& text, const std::string& where) {
        switch (source_.next(text)) {
        case LineSource::Status::Line:
            return true;
        case LineSource::Status::End:
            fail(source_.lineNumber() == 1
                     ? where
                     : "the file ends at line " + std::to_string(source_.lineNumber()) + ", " + where);
            return false;
        case LineSource::Status::TooLong:
            fail("line " + std::to_string(source_.lineNumber()) + " is longer than " +
                 std::to_string(maxLineBytes) + " bytes");
            return false;
        case LineSource::Status::ReadError:
            fail("the file could not be read past line " + std::to_string(source_.lineNumber() - 1));
            return false;
        }
        return false;
    }

    void fail(std::string reason) {
        error_.line = source_.lineNumber();
        error_.reason = std::move(reason);
    }

    LineSource& source_;
    ReportDefinition& model_;
    LoadError& error_;
    std::string line_;
};

} // namespace

bool ReportDefinition::load(const std::string& path) {
    return loadLayout(path, false);
}

bool ReportDefinition::loadR1(const std::string& path) {
    return loadLayout(path, true);
}

bool ReportDefinition::loadLayout(const std::string& path, bool r1Layout) {
    loadError_ = {};
    LineSource source(path);
    if (!source.isOpen()) {
        loadError_.reason = "the file cannot be opened";
        return false;
    }
    BodyReader reader(source, *this, loadError_);
    std::string mark;
    if (!reader.readFirstLine(mark)) {
        return false;
    }
    if (mark == "R1" && !r1Layout) {
        return loadR1(path);
    }
    if (mark != (r1Layout ? "R1" : "R2")) {
        loadError_ = {1, r1Layout ? "line 1 is not R1" : "line 1 is neither R1 nor R2"};
        return false;
    }
    return reader.readBody(r1Layout);
}

} // namespace vornak
