#include "FileErrors.h"

#include <cerrno>
#include <cstring>

namespace vornak::detail {

std::string systemReason(int error) {
    const char* text = std::strerror(error);
    return text != nullptr && *text != '\0' ? std::string(text) : "error " + std::to_string(error);
}

FileProblem writeProblemOf(int error, bool existing) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::NotFound;
    case EISDIR:
        return FileProblem::IsFolder;
    case EACCES:
    case EPERM:
        return existing ? FileProblem::ReadOnly : FileProblem::AccessDenied;
#ifdef EROFS
    case EROFS:
        return existing ? FileProblem::ReadOnly : FileProblem::AccessDenied;
#endif
    case ENAMETOOLONG:
        return FileProblem::NameTooLong;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FileProblem::NoSpace;
    case ENOMEM:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::WriteFailed;
    }
}

std::string writeReason(FileProblem problem, const std::string& what, int error) {
    // Where our sentence already says what the system's would, the reason says it once; a
    // read-only file may be so for several reasons (its mode, a read-only mount), which the
    // system's sentence names.
    switch (problem) {
    case FileProblem::NoSpace:
        return "the disk is full";
    case FileProblem::NotFound:
        return "the folder does not exist";
    case FileProblem::IsFolder:
        return "the path names a folder, not a file";
    case FileProblem::NameTooLong:
        return "the file name is too long";
    case FileProblem::NotEnoughMemory:
        return "not enough memory";
    case FileProblem::ReadOnly:
        return "the file is read-only: " + systemReason(error != 0 ? error : EIO);
    default:
        return what + ": " + systemReason(error != 0 ? error : EIO);
    }
}

FileProblem openProblemOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::NotFound;
    case EISDIR:
        return FileProblem::IsFolder;
    case EACCES:
    case EPERM:
        return FileProblem::AccessDenied;
    case ENAMETOOLONG:
        return FileProblem::NameTooLong;
    case ENOMEM:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::ReadFailed;
    }
}

std::string openReason(int error) {
    switch (openProblemOf(error)) {
    case FileProblem::NotFound:
        return "the file cannot be opened: it does not exist";
    case FileProblem::IsFolder:
        return "the path names a folder, not a file";
    case FileProblem::AccessDenied:
        return "the file cannot be opened: access is denied";
    case FileProblem::NameTooLong:
        return "the file cannot be opened: its name is too long";
    case FileProblem::NotEnoughMemory:
        return "not enough memory";
    default:
        return "the file cannot be opened: " + systemReason(error);
    }
}

FileProblem readProblemOf(int error) {
    switch (error) {
    case EISDIR:
        return FileProblem::IsFolder;
    case ENOMEM:
        return FileProblem::NotEnoughMemory;
    default:
        return FileProblem::ReadFailed;
    }
}

std::string readReason(int error) {
    return error == EISDIR ? "the path names a folder, not a file"
                           : "reading the file failed: " + systemReason(error);
}

} // namespace vornak::detail
