// The failure texts shown when a link cannot be opened.
#include "OpenErrorText.h"

std::string OpenErrorText(int code) {
    switch (code) {
    case kOutOfResources:
        return "The operating system is out\nof memory or resources.";
    case kErrFileNotFound:
        return "The specified file was not found.";
    case kErrPathNotFound:
        return "The specified path was not found.";
    case kErrAccessDenied:
        return "The operating system denied\naccess to the specified file.";
    case kErrOutOfMemory:
        return "There was not enough memory to complete the operation.";
    case kErrBadFormat:
        return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case kErrSharingViolation:
        return "A sharing violation occurred. ";
    case kErrAssociationIncomplete:
        return "The filename association is\nincomplete or invalid.";
    case kErrDdeTimeout:
        return "The DDE transaction could not\nbe completed because the request timed out.";
    case kErrDdeFailed:
        return "The DDE transaction failed.";
    case kErrDdeBusy:
        return "The DDE transaction could not\nbe completed because other DDE "
               "transactions\nwere being processed.";
    case kErrNoAssociation:
        return "There is no application associated\nwith the given filename extension.";
    case kErrDllNotFound:
        return "The specified dynamic-link library was not found.";
    default:
        return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

std::string OpenErrorMessage(int code) {
    return kOpenErrorPrefix + OpenErrorText(code);
}
