#include "RecoveryFolder.h"

#include "FileErrors.h"

namespace vornak {

std::string RecoveryFault::english() const {
    const std::string because = error != 0 ? ": " + detail::systemReason(error) : std::string();
    switch (kind) {
    case Kind::None:
        return std::string();
    case Kind::NotFullPath:
        return "the recovery folder \"" + path + "\" is not a full path";
    case Kind::CannotCreate:
        return "the folder " + path + " cannot be made or made private" + because;
    case Kind::CannotExamine:
        return "the folder " + path + " cannot be examined" + because;
    case Kind::NotOwnFolder:
        return "the folder " + path + " is not a folder of this user";
    case Kind::OpenToOthers:
        return "the folder " + path + " is open to other users";
    case Kind::ParentOpen:
        return "other users could replace the folder " + path;
    case Kind::NotOwnFile:
        return "the recovery file " + path + " is not a plain file of this user";
    case Kind::CannotOpen:
        return "the recovery file " + path + " cannot be opened" + because;
    case Kind::CannotRead:
        return "the recovery file " + path + " cannot be read" + because;
    case Kind::TooLarge:
        return "the recovery file " + path + " is too large";
    case Kind::CannotWrite:
        return "the recovery file " + path + " cannot be written" + because;
    }
    return "the recovery folder cannot be used";
}

} // namespace vornak
