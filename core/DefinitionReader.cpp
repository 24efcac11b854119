// Reading R1 and R2 definition files. The reader stops at the first line it cannot read. Counts
// read before that point may announce far more records than the file holds, and the bytes left in
// a damaged file may be gigabytes of zeros, so neither sizes anything: a sequence first gets room
// for at most one block's worth of memory, and from then on room for as many records again as the
// file has really delivered, never more than the count announces.
#include "LineSource.h"
#include "ReportDefinition.h"
#include "UnreadLine.h"

#include <algorithm>
#include <new>
#include <string>

namespace vornak {
namespace {

using Place = LinePlace;

class BodyReader {
public:
    BodyReader(LineSource& source, ReportDefinition& model, LoadError& error)
        : source_(source), model_(model), error_(error) {}

    bool readFirstLine(std::string& mark) {
        part_ = DefinitionPart::Mark;
        return read(mark, Place{"the file is empty"});
    }

    bool readBody(bool r1Layout) {
        part_ = DefinitionPart::Texts;
        for (std::string* text :
             {&model_.title, &model_.documentFile, &model_.input1Caption, &model_.input2Caption,
              &model_.surnameCaption, &model_.author, &model_.source, &model_.organisation, &model_.date}) {
            ++record_;
            if (!read(*text, Place{"inside the nine report texts"})) {
                return false;
            }
        }
        at(DefinitionPart::ParameterCount, 0);
        int parameterCount = 0;
        if (!readNumber(parameterCount, Place{"where the parameter count belongs"})) {
            return false;
        }
        for (int p = 0; p < parameterCount; ++p) {
            makeRoom(model_.parameters, parameterCount);
            if (!readParameter(p + 1, r1Layout)) {
                return false;
            }
        }
        at(DefinitionPart::ResultCount, 0);
        int resultCount = 0;
        if (!readNumber(resultCount, Place{"where the result count belongs"})) {
            return false;
        }
        for (int r = 0; r < resultCount; ++r) {
            at(DefinitionPart::Result, r + 1);
            const Place where{"inside result", r + 1};
            // Read in place; a result that cannot be read whole is taken out again.
            makeRoom(model_.results, resultCount);
            ResultRow& row = model_.results.emplace_back();
            if (!read(row.name, where) || !read(row.result, where)) {
                model_.results.pop_back();
                return false;
            }
        }
        return true;
    }

    // Records an allocation failure at the place reading had reached.
    void outOfMemory() {
        error_.line = source_.lineNumber();
        error_.reason = "not enough memory";
        error_.problem = FileProblem::NotEnoughMemory;
        error_.part = part_;
        error_.record = record_;
    }

private:
    void at(DefinitionPart part, int record) {
        part_ = part;
        record_ = record;
    }

    bool readParameter(int number, bool r1Layout) {
        at(DefinitionPart::Parameter, number);
        const Place where{"inside parameter", number};
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
        for (int v = 0; v < rowCount; ++v) {
            makeRoom(values, rowCount);
            ValueRow& row = values.emplace_back();
            if (!read(row.value, where) || !read(row.upperBound, where) || !read(row.result, where)) {
                values.pop_back();
                return false;
            }
        }
        return true;
    }

    // Called before each append: when the sequence is full, gives it room for more of the
    // `announced` records, as many as were really read (one block's worth at first).
    template <typename Sequence> void makeRoom(Sequence& sequence, int announced) {
        const std::size_t size = sequence.size();
        if (size < sequence.capacity()) {
            return;
        }
        const std::size_t remaining = static_cast<std::size_t>(announced) - size;
        const std::size_t proven =
            size > 0 ? size
                     : std::max<std::size_t>(1, source_.blockSize() / sizeof(typename Sequence::value_type));
        sequence.reserve(size + std::max<std::size_t>(std::min(remaining, proven), 1));
    }

    bool readNumber(int& value, const Place& where) {
        if (!read(line_, where)) {
            return false;
        }
        value = parseLeadingInt(line_);
        return true;
    }

    bool read(std::string& text, const Place& where) {
        const LineSource::Status status = source_.next(text);
        if (status == LineSource::Status::Line) [[likely]] {
            return true;
        }
        cannotRead(status, where);
        return false;
    }

    // Records why the line at the source's position could not be read.
    void cannotRead(LineSource::Status status, const Place& where) {
        error_ = unreadLineError(source_, status, where, part_, record_);
    }

    LineSource& source_;
    ReportDefinition& model_;
    LoadError& error_;
    std::string line_;
    DefinitionPart part_ = DefinitionPart::None;
    int record_ = 0;
};

} // namespace

std::string LinePlace::text() const {
    std::string text(what);
    if (number > 0) {
        text += ' ';
        text += std::to_string(number);
    }
    return text;
}

LoadError unreadLineError(const LineSource& source, LineSource::Status status, const LinePlace& where,
                          DefinitionPart part, int record) {
    LoadError error{source.lineNumber(), {}, FileProblem::None, part, record};
    switch (status) {
    case LineSource::Status::Line:
        break;
    case LineSource::Status::End:
        if (source.lineNumber() == 1) {
            error.problem = FileProblem::Empty;
            error.reason = where.text();
        } else {
            error.problem = FileProblem::Truncated;
            error.reason =
                "the file ends at line " + std::to_string(source.lineNumber()) + ", " + where.text();
        }
        break;
    case LineSource::Status::TooLong:
        error.problem = FileProblem::LineTooLong;
        error.reason = "line " + std::to_string(source.lineNumber()) + " is longer than " +
                       std::to_string(maxLineBytes) + " bytes";
        break;
    case LineSource::Status::ReadError:
        error.problem = source.problem() != FileProblem::None ? source.problem() : FileProblem::ReadFailed;
        error.reason = source.error().empty()
                           ? "the file could not be read past line " + std::to_string(source.lineNumber() - 1)
                           : source.error() + " (after line " + std::to_string(source.lineNumber() - 1) + ")";
        break;
    }
    return error;
}

bool ReportDefinition::load(const std::string& path) {
    return loadPath(path, false);
}

bool ReportDefinition::loadR1(const std::string& path) {
    return loadPath(path, true);
}

bool ReportDefinition::load(LineSource& source) {
    return loadFrom(source, false);
}

bool ReportDefinition::loadPath(const std::string& path, bool onlyR1) {
    loadError_ = {};
    loadedLayout_ = 0;
    try {
        // Read in place where the system maps the file: its cached pages are not copied first.
        LineSource source(path, LineSource::InPlace{});
        if (!source.isOpen()) {
            loadError_.reason = source.error();
            loadError_.problem = source.problem();
            return false;
        }
        return loadFrom(source, onlyR1);
    } catch (const std::bad_alloc&) {
        loadError_ = {0, "not enough memory", FileProblem::NotEnoughMemory};
        return false;
    }
}

bool ReportDefinition::loadFrom(LineSource& source, bool onlyR1) {
    const bool read = readFrom(source, onlyR1);
    if (source.held() && source.held()->changed()) {
        // What was read, or failed on, is partly the zeros the cut left, not the file.
        loadError_ = cutWhileReadError();
        loadedLayout_ = 0;
        return false;
    }
    return read;
}

bool ReportDefinition::readFrom(LineSource& source, bool onlyR1) {
    loadError_ = {};
    loadedLayout_ = 0;
    BodyReader reader(source, *this, loadError_);
    try {
        std::string mark;
        if (!reader.readFirstLine(mark)) {
            return false;
        }
        if (mark != "R1" && (onlyR1 || mark != "R2")) {
            loadError_ = {1, onlyR1 ? "line 1 is not R1" : "line 1 is neither R1 nor R2",
                          FileProblem::NotDefinition, DefinitionPart::Mark, 0};
            return false;
        }
        // An R1 file goes on from the same source, so that a pipe is read once.
        const bool r1Layout = mark == "R1";
        if (!reader.readBody(r1Layout)) {
            return false;
        }
        loadedLayout_ = r1Layout ? 1 : 2;
        return true;
    } catch (const std::bad_alloc&) {
        reader.outOfMemory();
        return false;
    }
}

} // namespace vornak
