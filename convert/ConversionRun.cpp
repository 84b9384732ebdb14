// The conversion run: every listed file to its .txt copy, and the log file.

#include "Conversion.h"
#include "Encoding.h"
#include "FileSystem.h"
#include "FolderListing.h"
#include "StreamConverter.h"

#include <exception>
#include <memory>
#include <new>

namespace rz408 {

namespace {

constexpr std::size_t kLogBuffer = 64 * 1024;

// Notes a failure; a failure to note it (no memory left) must not end the run.
void AddFailure(std::vector<FileFailure>& failures, std::string_view name,
                std::string_view reason) noexcept {
    try {
        failures.push_back({std::string(name), std::string(reason)});
    } catch (...) {
    }
}

// The log file. It is written to a temporary file that takes the old log's place only when
// the run has written all of it; a log that cannot be written is reported once (under the log
// file's name) and leaves the old log as it was. The record of the file being converted is
// kept apart until that file is done: committed when its target was written whole, taken back
// otherwise.
class LogFile {
public:
    LogFile(std::filesystem::path path, std::string name, std::vector<FileFailure>& failures)
        : path_(std::move(path)), name_(std::move(name)), failures_(failures) {
        Check(fsys::CreateTemporary(path_, file_, temporary_));
        created_ = !failed_;
    }

    ~LogFile() {
        if (created_) {
            fsys::RemoveQuietly(temporary_);
        }
    }

    void Write(std::string_view bytes) {
        if (failed_) {
            return;
        }
        buffer_.append(bytes);
        if (buffer_.size() >= kLogBuffer) {
            WriteBuffer();
        }
    }

    void Commit() { committed_ = written_ + buffer_.size(); }

    void Rollback() {
        if (failed_) {
            return;
        }
        if (committed_ >= written_) {
            buffer_.resize(static_cast<std::size_t>(committed_ - written_));
        } else {
            buffer_.clear();
            Check(fsys::TruncateTo(file_, committed_));
            written_ = committed_;
        }
    }

    void Finish() {
        if (failed_) {
            return;
        }
        WriteBuffer();
        if (!failed_) {
            Check(fsys::Close(file_));
        }
        if (!failed_) {
            Check(fsys::Replace(temporary_, path_));
            created_ = failed_; // the temporary file is the log file now
        }
    }

private:
    void WriteBuffer() {
        if (Check(fsys::WriteAll(file_, buffer_.data(), buffer_.size()))) {
            written_ += buffer_.size();
        }
        buffer_.clear();
    }

    bool Check(std::error_code error) {
        if (error && !failed_) {
            failed_ = true;
            AddFailure(failures_, name_, error.message());
        }
        return !error;
    }

    std::filesystem::path path_;
    std::string name_;
    std::vector<FileFailure>& failures_;
    fsys::File file_;
    std::filesystem::path temporary_;
    bool created_ = false;
    bool failed_ = false;
    std::string buffer_;
    std::uint64_t written_ = 0;   // bytes in the file
    std::uint64_t committed_ = 0; // bytes of finished records
};

// Target bytes go to the temporary target file of the source being converted, log bytes to
// the log.
class RunSink : public ConvertSink {
public:
    explicit RunSink(LogFile& log) : log_(log) {}
    void SetTarget(fsys::File* target) { target_ = target; }
    std::error_code WriteTarget(std::string_view bytes) override {
        return fsys::WriteAll(*target_, bytes.data(), bytes.size());
    }
    void WriteLog(std::string_view bytes) override { log_.Write(bytes); }

private:
    fsys::File* target_ = nullptr;
    LogFile& log_;
};

// A temporary target file, removed unless it took the target's place.
struct Temporary {
    std::filesystem::path path;
    bool exists = false;
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() {
        if (exists) {
            fsys::RemoveQuietly(path);
        }
    }
};

// Converts one source to its target. On failure the old target stays as it was.
std::error_code ConvertFile(StreamConverter& converter, RunSink& sink,
                            const std::filesystem::path& sourcePath,
                            const std::filesystem::path& targetPath, std::vector<char>& buffer) {
    fsys::File source;
    if (auto error = fsys::OpenForReading(sourcePath, source)) {
        return error;
    }
    fsys::File target;
    Temporary temporary;
    if (auto error = fsys::CreateTemporary(targetPath, target, temporary.path)) {
        return error;
    }
    temporary.exists = true;
    sink.SetTarget(&target);
    for (;;) {
        std::size_t got = 0;
        if (auto error = fsys::ReadSome(source, buffer.data(), buffer.size(), got)) {
            return error;
        }
        if (got == 0) {
            break;
        }
        if (auto error = converter.Feed(std::string_view(buffer.data(), got))) {
            return error;
        }
    }
    if (auto error = converter.Finish()) {
        return error;
    }
    if (auto error = fsys::Close(target)) {
        return error;
    }
    if (auto error = fsys::Replace(temporary.path, targetPath)) {
        return error;
    }
    temporary.exists = false;
    return {};
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

} // namespace

bool WouldOverwriteLog(std::string_view targetName, std::string_view logFileName) {
    return fsys::SameFileName(targetName, logFileName);
}

RunReport ConversionRun(Module1& m, const std::filesystem::path& folder,
                        const std::vector<std::string>& names) {
    return ConversionRun(m, folder, names, RunOptions{});
}

RunReport ConversionRun(Module1& m, const std::filesystem::path& folder,
                        const std::vector<std::string>& names, const RunOptions& options) {
    RunReport report;
    std::string logName;
    try {
        logName = LogFileName(m);
        LogFile log(PathInFolder(folder, logName), logName, report.failures);
        RunSink sink(log);
        StreamConverter converter(m, sink, options.blockSize);
        std::vector<char> buffer(std::max<std::size_t>(options.blockSize, 1));
        for (const std::string& name : names) {
            try {
                const std::string targetName = TargetName(name);
                if (WouldOverwriteLog(targetName, logName)) {
                    AddFailure(report.failures, name,
                               "its copy " + targetName + " would overwrite the log file");
                    continue;
                }
                m.FileLog = Utf8ToCp1252(name) + " : ";
                converter.Start(m.FileLog);
                const auto error = ConvertFile(converter, sink, PathInFolder(folder, name),
                                               PathInFolder(folder, targetName), buffer);
                if (error) {
                    log.Rollback();
                    AddFailure(report.failures, name, error.message());
                    continue;
                }
                log.Commit();
                ++report.converted;
                if (converter.Lines() != 0) {
                    m.CurrentLine = converter.LastLine();
                    m.CharCode = 256;
                }
            } catch (...) {
                log.Rollback();
                AddFailure(report.failures, name, WhatFailed(std::current_exception()));
            }
        }
        log.Finish();
    } catch (...) {
        AddFailure(report.failures, logName, WhatFailed(std::current_exception()));
    }
    return report;
}

} // namespace rz408
