// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion run: every listed file to its .txt copy, and the log file.

#include "CopyNames.h"
#include "Encoding.h"
#include "Folder.h"
#include "FolderEntries.h"
#include "Leftovers.h"
#include "LogFile.h"
#include "Module1.h"
#include "PendingBatch.h"
#include "ReadWrite.h"
#include "RunFailures.h"
#include "RunReport.h"
#include "Signals.h"
#include "SourceDecoding.h"
#include "SourceReading.h"
#include "StreamConverter.h"
#include "TemporaryFile.h"
#include "WriteBehind.h"

#include <exception>
#include <optional>
#include <utility>

namespace rz408 {

namespace {

// Target bytes go to the temporary target file of the source being converted, log bytes to
// the log.
class RunSink : public ConvertSink {
public:
    explicit RunSink(LogFile& log) : m_log(log) {}
    void SetTarget(Temporary* target) {
        m_target = target;
        m_targetBytes = 0;
    }
    std::error_code WriteTarget(std::string_view bytes) override {
        m_targetBytes += bytes.size();
        return m_target->Write(bytes);
    }
    std::error_code WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep) override {
        m_targetBytes += size;
        return m_target->WriteBlock(block, size, keep);
    }
    void WriteLog(std::string_view bytes) override { m_log.Write(bytes); }
    bool CanRestart() const override { return true; }
    std::error_code Restart() override {
        m_log.Rollback();
        m_targetBytes = 0;
        return m_target->Restart();
    }
    std::uint64_t TargetBytes() const { return m_targetBytes; }

private:
    Temporary* m_target = nullptr;
    std::uint64_t m_targetBytes = 0;
    LogFile& m_log;
};

// Converts one source, read in ENCODING (or in the one it turns out to be in), into TEMPORARY,
// a new temporary copy of its target, written whole (and still open: it holds its place until
// it takes the target's). On failure the caller removes it. READING tells how the source was
// read.
FileError ConvertFile(StreamConverter& converter, RunSink& sink, SourceReader& reader,
                      std::optional<SourceEncoding> encoding, const fileops::Folder& folder,
                      std::string_view sourceName, std::string_view targetName,
                      Temporary& temporary, SourceReading& reading) {
    const auto read = [](std::error_code error) {
        return FileError{FileError::Side::Source, error};
    };
    const auto write = [](std::error_code error) {
        return FileError{FileError::Side::Target, error};
    };
    fileops::File source;
    std::uint32_t copyRights = 0;
    if (auto error = fileops::OpenForReading(folder, sourceName, source, &copyRights)) {
        return read(error);
    }
    if (auto error = temporary.Create(targetName, copyRights)) {
        return write(error);
    }
    sink.SetTarget(&temporary);
    FileSource bytes(source);
    reading = reader.Read(bytes, encoding, converter);
    if (reading.ReadError) {
        return read(reading.ReadError);
    }
    if (reading.SinkError) {
        return write(reading.SinkError);
    }
    if (auto error = converter.Finish()) {
        return write(error);
    }
    return write(temporary.Settle());
}

// The source as the report lists it when it was read as Unicode text.
std::optional<UnicodeSource> AsUnicodeSource(std::string_view name, const SourceReading& reading) {
    if (reading.Encoding == SourceEncoding::Windows1252) {
        return std::nullopt;
    }
    return UnicodeSource{std::string(name), reading.Encoding, reading.Broken};
}

// What the program-wide variables become at the end of a run.
struct RunEnd {
    bool FileRead = false;   // a listed file was read: FileLog becomes RECORD_START
    std::string RecordStart; // the start of the log record of the last file read
    LastLine FinalLine;      // CurrentLine, and CharCode 256, once a converted file had lines
};

// The run itself. It reads the installed texts of M and leaves in END what the program-wide
// variables become.
RunReport Run(const Module1& m, const fileops::Folder& dir, const std::vector<std::string>& names,
              const RunOptions& options, RunEnd& end) {
    RunReport report;
    std::string logName;
    try {
        fileops::FailWritesBeyondTheSizeLimit();
        logName = LogFileName(m);
        // Every file of the run is named in the open folder, whatever becomes of its path
        // meanwhile. A folder that could not be opened fails every file with its reason.
        fileops::RemoveLeftovers(dir);
        // The copies and the log are written on a thread of their own while the conversion goes
        // on; it ends last, once every temporary file is settled.
        WriteBehind behind;
        LogFile log(dir, logName, report.Failures, &behind);
        PendingBatch batch(dir, log, report, end.FinalLine, options);
        RunSink sink(log);
        StreamConverter converter(m, sink, options.BlockSize);
        SourceReader reader(options.BlockSize);
        // Files done so far, and the last count reported.
        std::size_t done = 0;
        std::size_t reported = 0;
        const auto reportProgress = [&] {
            if (done != reported && options.Progress) {
                options.Progress(done, names.size());
            }
            reported = done;
        };
        for (const std::string& name : names) {
            reportProgress();
            if (options.Cancel != nullptr && options.Cancel->load()) {
                report.Cancelled = true;
                break;
            }
            ++done;
            try {
                const std::string targetName = TargetName(name);
                if (WouldOverwriteLog(targetName, logName)) {
                    AddCopyIsLog(report.Failures, name, targetName);
                    continue;
                }
                end.RecordStart = NameToCp1252(name) + " : ";
                end.FileRead = true;
                Temporary temporary(dir, &behind);
                std::uint64_t recordBegin = 0;
                FileError failure;
                SourceReading reading;
                for (bool retried = false;; retried = true) {
                    converter.Start(end.RecordStart);
                    recordBegin = log.Position();
                    failure = ConvertFile(converter, sink, reader, options.Encoding, dir, name,
                                          targetName, temporary, reading);
                    log.Settle(); // a log write that failed meanwhile is reported before the file
                    if (!failure) {
                        break;
                    }
                    log.Rollback();
                    temporary.Discard();
                    // Once more after the waiting copies have taken their places.
                    if (retried || !MayPassOnceTheBatchIsIn(failure.Error) || batch.Empty()) {
                        break;
                    }
                    batch.Commit();
                }
                if (failure) {
                    AddFailure(report.Failures, name, targetName, failure);
                    continue;
                }
                batch.Add(name, targetName, temporary, {recordBegin, log.Position()},
                          sink.TargetBytes(),
                          converter.Lines() != 0 ? &converter.LastLine() : nullptr,
                          AsUnicodeSource(name, reading));
                log.Commit();
                if (batch.Full()) {
                    batch.Commit();
                }
            } catch (...) {
                log.Rollback();
                AddFailure(report.Failures, name, WhatFailed(std::current_exception()));
            }
        }
        batch.Commit();
        log.Finish();
        reportProgress();
    } catch (...) {
        AddFailure(report.Failures, logName, WhatFailed(std::current_exception()),
                   FileFailure::Kind::LogFile);
    }
    return report;
}

} // namespace

void RemoveTemporariesOnInterrupt() {
    fileops::RemoveTemporariesOnInterrupt();
}

bool WouldOverwriteLog(std::string_view targetName, std::string_view logFileName) {
    return fileops::SameFileName(targetName, logFileName);
}

RunReport ConversionRun(Module1& m, const std::filesystem::path& folder,
                        const std::vector<std::string>& names, const RunOptions& options) {
    fileops::Folder dir;
    try {
        fileops::OpenFolder(folder, dir);
    } catch (...) {
        // No memory for the path: the folder stays closed, and every file fails.
    }
    return ConversionRun(m, dir, names, options);
}

RunReport ConversionRun(Module1& m, const fileops::Folder& folder,
                        const std::vector<std::string>& names, const RunOptions& options) {
    RunEnd end;
    RunReport report = Run(m, folder, names, options, end);
    if (end.FileRead) {
        m.FileLog = std::move(end.RecordStart);
    }
    if (end.FinalLine.Written) {
        m.CurrentLine = std::move(end.FinalLine.Text);
        m.CharCode = 256;
    }
    return report;
}

} // namespace rz408
