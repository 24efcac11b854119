// The writer's rules that every system shares: the hooks a caller passes in, the in-memory copy of
// an in-place write, and the error texts. The system calls are behind FileTarget.h.
#include "AtomicFile.h"

#include "FileErrors.h"
#include "FileTarget.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <new>
#include <random>
#include <stdexcept>
#include <utility>

namespace vornak {

namespace detail {

std::string folderOf(const std::string& path) {
#ifdef _WIN32
    const auto slash = path.find_last_of("\\/:");
#else
    const auto slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

// A random 12-digit hex tag for temporary names.
std::string randomTag() {
    static std::mutex mutex;
    static std::mt19937_64 random(
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::lock_guard<std::mutex> lock(mutex);
    char tag[16];
    std::snprintf(tag, sizeof tag, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return tag;
}

} // namespace

std::string temporaryName(const std::string& name, std::size_t nameMax) {
    // Appended piece by piece: "literal" + string makes GCC's optimiser warn of overlapping copies.
    std::string suffix(1, '.');
    suffix += randomTag();
    suffix += ".tmp";
    const std::size_t room = nameMax > suffix.size() + 1 ? nameMax - suffix.size() - 1 : 0;
    std::string result;
    result.reserve(1 + std::min(room, name.size()) + suffix.size());
    result += '.';
    result.append(name, 0, std::min(room, name.size()));
    result += suffix;
    return result;
}

} // namespace detail

AtomicFileWriter::AtomicFileWriter(const std::string& path, FileWriteHooks hooks) : hooks_(std::move(hooks)) {
    if (path.empty()) {
        failWith(FileProblem::NoFileName, "no file name was given");
        return;
    }
    detail::FileFailure failure;
    target_ = detail::openFileTarget(path, hooks_.allowUnnamed, failure);
    if (target_ == nullptr) {
        fail(failure);
        return;
    }
    mode_ = target_->mode();
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::failWith(FileProblem problem, std::string reason) {
    if (!failed_) {
        failed_ = true;
        problem_ = problem;
        error_ = std::move(reason);
    }
    discard();
}

void AtomicFileWriter::fail(const detail::FileFailure& failure) {
    const FileProblem problem =
        failure.problem != FileProblem::None ? failure.problem : FileProblem::WriteFailed;
    if (failure.error == 0 && !failure.what.empty()) {
        failWith(problem, failure.what);
    } else {
        failWith(problem, detail::writeReason(problem, failure.what, failure.error));
    }
}

void AtomicFileWriter::discard() {
    buffer_ = std::string();
    target_.reset();
}

void AtomicFileWriter::report(FileStep step) {
    if (hooks_.observer) {
        hooks_.observer(step, written_);
    }
}

bool AtomicFileWriter::writeOut(std::string_view bytes) {
    if (mode_ == Mode::InPlace) {
        try {
            buffer_.append(bytes);
        } catch (const std::bad_alloc&) {
            failWith(FileProblem::NotEnoughMemory, "not enough memory");
            return false;
        }
        return true;
    }
    detail::FileFailure failure;
    if (!target_->write(bytes, failure)) {
        fail(failure);
        return false;
    }
    return true;
}

void AtomicFileWriter::expectSize(std::size_t bytes) {
    if (mode_ != Mode::InPlace || failed_ || target_ == nullptr) {
        return;
    }
    try {
        buffer_.reserve(buffer_.size() + bytes);
    } catch (const std::bad_alloc&) {
        failWith(FileProblem::NotEnoughMemory, "not enough memory");
    } catch (const std::length_error&) {
        failWith(FileProblem::NotEnoughMemory, "not enough memory");
    }
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (failed_ || target_ == nullptr) {
        return false;
    }
    if (hooks_.failAfter && written_ + bytes.size() > *hooks_.failAfter) {
        // Write what "fits", then fail as a full disk would.
        const std::size_t fits = *hooks_.failAfter - std::min(written_, *hooks_.failAfter);
        writeOut(bytes.substr(0, fits));
        fail({FileProblem::NoSpace, "writing the file failed", ENOSPC});
        return false;
    }
    if (!bytes.empty() && !writeOut(bytes)) {
        return false;
    }
    written_ += bytes.size();
    report(FileStep::Wrote);
    return !failed_;
}

bool AtomicFileWriter::commit() {
    if (failed_ || target_ == nullptr) {
        return false;
    }
    detail::FileFailure failure;
    if (!target_->commit(
            buffer_, [this](FileStep step) { report(step); }, failure)) {
        fail(failure);
        return false;
    }
    committed_ = true;
    discard();
    return true;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    AtomicFileWriter writer(path);
    const bool ok = writer.write(bytes) && writer.commit();
    error = writer.error();
    return ok;
}

} // namespace vornak
