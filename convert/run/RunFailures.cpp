// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunFailures.h"

#include <new>
#include <utility>

namespace rz408 {

namespace {

// Notes that the run could not read or write (ACTION) FILE, the source NAME's or its copy, for
// CAUSE: "cannot be read: ..." (the source, named with the failure already) or
// "cannot write x.txt: ...".
void AddFileFailure(std::vector<FileFailure>& failures, std::string_view name,
                    FileFailure::Action action, std::string_view file, std::string cause) noexcept {
    try {
        FileFailure noted;
        noted.Name = name;
        noted.Step = action;
        noted.File = file;
        noted.Cause = std::move(cause);
        noted.Reason = action == FileFailure::Action::Read
                           ? "cannot be read: " + noted.Cause
                           : "cannot write " + noted.File + ": " + noted.Cause;
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

} // namespace

void AddFailure(std::vector<FileFailure>& failures, std::string_view name, std::string_view reason,
                FileFailure::Kind kind) noexcept {
    try {
        FileFailure noted;
        noted.Name = name;
        noted.Reason = reason;
        noted.What = kind;
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

void AddFailure(std::vector<FileFailure>& failures, std::string_view name,
                std::string_view targetName, const FileError& failure) noexcept {
    try {
        const bool read = failure.FailedOn == FileError::Side::Source;
        AddFileFailure(failures, name,
                       read ? FileFailure::Action::Read : FileFailure::Action::Write,
                       read ? name : targetName, failure.Error.message());
    } catch (...) {
    }
}

void AddReadFailure(std::vector<FileFailure>& failures, std::string_view name,
                    std::string cause) noexcept {
    AddFileFailure(failures, name, FileFailure::Action::Read, name, std::move(cause));
}

void AddCopyIsLog(std::vector<FileFailure>& failures, std::string_view name,
                  std::string_view targetName) noexcept {
    try {
        FileFailure noted;
        noted.Name = name;
        noted.Step = FileFailure::Action::CopyIsLog;
        noted.File = targetName;
        noted.Reason = "its copy " + noted.File + " would overwrite the log file";
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
