// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the conversion run and the check note their failures in their reports.

#include "RunReport.h"

#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// A failure of one file's conversion, and which of its two files it failed on.
struct FileError {
    enum class Side { Source, Target };

    Side FailedOn = Side::Source;
    std::error_code Error;
    explicit operator bool() const { return static_cast<bool>(Error); }
};

// Notes a failure; a failure to note it (no memory left) must not end the run.
void AddFailure(std::vector<FileFailure>& failures, std::string_view name, std::string_view reason,
                FileFailure::Kind kind = FileFailure::Kind::Source) noexcept;

// Notes the failure of source NAME: "cannot be read: ..." (the source itself) or
// "cannot write x.txt: ..." (its copy).
void AddFailure(std::vector<FileFailure>& failures, std::string_view name,
                std::string_view targetName, const FileError& failure) noexcept;

// Notes that NAME was not read whole: "cannot be read: CAUSE".
void AddReadFailure(std::vector<FileFailure>& failures, std::string_view name,
                    std::string cause) noexcept;

// Notes that source NAME is not converted because its copy TARGET_NAME is the log file.
void AddCopyIsLog(std::vector<FileFailure>& failures, std::string_view name,
                  std::string_view targetName) noexcept;

// The reason in words of the exception FAILURE.
const char* WhatFailed(const std::exception_ptr& failure) noexcept;

} // namespace rz408
