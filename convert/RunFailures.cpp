#include "RunFailures.h"

#include <new>
#include <utility>

namespace rz408 {

void AddFailure(std::vector<FileFailure>& failures, std::string_view name, std::string_view reason,
                FileFailure::Kind kind) noexcept {
    try {
        FileFailure noted;
        noted.name = name;
        noted.reason = reason;
        noted.kind = kind;
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

void AddFailure(std::vector<FileFailure>& failures, std::string_view name,
                std::string_view targetName, const FileError& failure) noexcept {
    try {
        const bool read = failure.side == FileError::Side::Source;
        FileFailure noted;
        noted.name = name;
        noted.action = read ? FileFailure::Action::Read : FileFailure::Action::Write;
        noted.file = read ? name : targetName;
        noted.cause = failure.error.message();
        noted.reason = (read ? "cannot read " : "cannot write ") + noted.file + ": " + noted.cause;
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

void AddCopyIsLog(std::vector<FileFailure>& failures, std::string_view name,
                  std::string_view targetName) noexcept {
    try {
        FileFailure noted;
        noted.name = name;
        noted.action = FileFailure::Action::CopyIsLog;
        noted.file = targetName;
        noted.reason = "its copy " + noted.file + " would overwrite the log file";
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

const char* WhatFailed(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace rz408
