// The conversion run: every listed file to its .txt copy, and the log file.

#include "Conversion.h"
#include "Encoding.h"
#include "FileSystem.h"
#include "SourceReading.h"
#include "StreamConverter.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace rz408 {

namespace {

constexpr std::size_t kLogBuffer = 64 * 1024;

// Notes a failure; a failure to note it (no memory left) must not end the run.
void AddFailure(std::vector<FileFailure>& failures, std::string_view name, std::string_view reason,
                FileFailure::Kind kind = FileFailure::Kind::Source) noexcept {
    try {
        FileFailure noted;
        noted.name = name;
        noted.reason = reason;
        noted.kind = kind;
        failures.push_back(std::move(noted));
    } catch (...) {
    }
}

// Which of its two files a conversion failed on.
enum class Side { Source, Target };

struct FileError {
    Side side = Side::Source;
    std::error_code error;
    explicit operator bool() const { return static_cast<bool>(error); }
};

// Notes the failure of source NAME, naming the file that failed: "cannot read x.deu: ..." or
// "cannot write x.txt: ...".
void AddFailure(std::vector<FileFailure>& failures, std::string_view name,
                std::string_view targetName, const FileError& failure) noexcept {
    try {
        const bool read = failure.side == Side::Source;
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

// Notes that source NAME is not converted because its copy TARGET_NAME is the log file.
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

// A stretch of the log file: one file's record.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// A temporary file of the run in its folder, open until it takes its target's place; removed
// when it does not (or when the run ends first).
class Temporary {
public:
    explicit Temporary(const fsys::Folder& folder) : folder_(&folder) {}
    Temporary(Temporary&& other) noexcept
        : folder_(other.folder_), file_(std::move(other.file_)), name_(std::move(other.name_)),
          exists_(std::exchange(other.exists_, false)) {}
    Temporary& operator=(Temporary&&) = delete;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { Discard(); }

    // Creates it, to take the place of TARGET_NAME.
    std::error_code Create(std::string_view targetName) {
        Discard();
        const std::error_code error = fsys::CreateTemporary(*folder_, targetName, file_, name_);
        exists_ = !error;
        return error;
    }

    fsys::File& File() { return file_; }

    // Closes it and puts it in TARGET_NAME's place.
    std::error_code Replace(std::string_view targetName) {
        const std::error_code error = fsys::Replace(*folder_, file_, name_, targetName);
        exists_ = static_cast<bool>(error);
        return error;
    }

    // Closes and removes it; its room on the disk is free again at once.
    void Discard() noexcept {
        if (exists_) {
            fsys::RemoveQuietly(*folder_, file_, name_);
            exists_ = false;
        }
    }

private:
    const fsys::Folder* folder_;
    fsys::File file_;
    std::string name_;
    bool exists_ = false;
};

// The log file. It is written to a temporary file that takes the old log's place only when
// the run has written all of it and it is on the disk; a log that cannot be written is reported
// once (under the log file's name), leaves the old log as it was, and its temporary file is
// removed at once, so that it takes no room from the copies still to come. The record of the
// file being converted is kept apart until that file is done: committed when its copy was written
// whole, taken back otherwise; a committed record whose copy then cannot take its target's
// place is taken out again (TakeOut).
class LogFile {
public:
    LogFile(const fsys::Folder& folder, std::string name, std::vector<FileFailure>& failures,
            bool flushToDisk)
        : name_(std::move(name)), failures_(failures), flushToDisk_(flushToDisk),
          temporary_(folder) {
        Check(temporary_.Create(name_));
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

    // Where the next record starts (between files).
    std::uint64_t Position() const { return written_ + buffer_.size(); }

    void Commit() { committed_ = Position(); }

    void Rollback() {
        if (failed_) {
            return;
        }
        if (committed_ >= written_) {
            buffer_.resize(static_cast<std::size_t>(committed_ - written_));
        } else {
            buffer_.clear();
            Check(fsys::TruncateTo(temporary_.File(), committed_));
            written_ = committed_;
        }
    }

    // Takes the records RANGES (in order, between files) out of the log: the records behind
    // each move down over it.
    void TakeOut(const std::vector<ByteRange>& ranges) noexcept {
        if (failed_ || ranges.empty()) {
            return;
        }
        try {
            WriteBuffer();
            buffer_.resize(kLogBuffer);
            std::uint64_t to = ranges.front().begin;
            for (std::size_t k = 0; k < ranges.size() && !failed_; ++k) {
                const std::uint64_t until = k + 1 < ranges.size() ? ranges[k + 1].begin : written_;
                for (std::uint64_t from = ranges[k].end; from < until && !failed_;) {
                    std::size_t got = 0;
                    const std::size_t size =
                        static_cast<std::size_t>(std::min<std::uint64_t>(until - from, kLogBuffer));
                    if (Check(fsys::ReadAt(temporary_.File(), from, buffer_.data(), size, got)) &&
                        Check(got == 0
                                  ? std::make_error_code(std::errc::io_error)
                                  : fsys::WriteAt(temporary_.File(), to, buffer_.data(), got))) {
                        from += got;
                        to += got;
                    }
                }
            }
            buffer_.clear();
            if (!failed_ && Check(fsys::TruncateTo(temporary_.File(), to))) {
                written_ = committed_ = to;
            }
        } catch (...) {
            buffer_.clear();
            Check(std::make_error_code(std::errc::not_enough_memory));
        }
    }

    void Finish() {
        if (failed_) {
            return;
        }
        WriteBuffer();
        if (!failed_ && flushToDisk_) {
            Check(fsys::FlushData(temporary_.File()));
        }
        if (!failed_) {
            Check(temporary_.Replace(name_));
        }
    }

private:
    void WriteBuffer() {
        if (Check(fsys::WriteAll(temporary_.File(), buffer_.data(), buffer_.size()))) {
            written_ += buffer_.size();
        }
        buffer_.clear();
    }

    bool Check(std::error_code error) {
        if (error && !failed_) {
            failed_ = true;
            AddFailure(failures_, name_, error.message(), FileFailure::Kind::LogFile);
            temporary_.Discard();
            std::string().swap(buffer_);
        }
        return !error;
    }

    std::string name_;
    std::vector<FileFailure>& failures_;
    const bool flushToDisk_;
    Temporary temporary_;
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
    void SetTarget(fsys::File* target) {
        target_ = target;
        targetBytes_ = 0;
    }
    std::error_code WriteTarget(std::string_view bytes) override {
        targetBytes_ += bytes.size();
        return fsys::WriteAll(*target_, bytes.data(), bytes.size());
    }
    void WriteLog(std::string_view bytes) override { log_.Write(bytes); }
    std::uint64_t TargetBytes() const { return targetBytes_; }

private:
    fsys::File* target_ = nullptr;
    std::uint64_t targetBytes_ = 0;
    LogFile& log_;
};

// Converts one source, read in ENCODING (or in the one it turns out to be in), into TEMPORARY,
// a new temporary copy of its target, written whole (and still open: it holds its place until
// it takes the target's). On failure the caller removes it. READING tells how the source was
// read.
FileError ConvertFile(StreamConverter& converter, RunSink& sink, SourceReader& reader,
                      std::optional<SourceEncoding> encoding, const fsys::Folder& folder,
                      std::string_view sourceName, std::string_view targetName,
                      Temporary& temporary, SourceReading& reading) {
    const auto read = [](std::error_code error) { return FileError{Side::Source, error}; };
    const auto write = [](std::error_code error) { return FileError{Side::Target, error}; };
    fsys::File source;
    if (auto error = fsys::OpenForReading(folder, sourceName, source)) {
        return read(error);
    }
    if (auto error = temporary.Create(targetName)) {
        return write(error);
    }
    sink.SetTarget(&temporary.File());
    FileSource bytes(source);
    reading = reader.Read(bytes, encoding, converter);
    if (reading.readError) {
        return read(reading.readError);
    }
    if (reading.sinkError) {
        return write(reading.sinkError);
    }
    return write(converter.Finish());
}

// The source as the report lists it when it was read as Unicode text.
std::optional<UnicodeSource> AsUnicodeSource(std::string_view name, const SourceReading& reading) {
    if (reading.encoding == SourceEncoding::Windows1252) {
        return std::nullopt;
    }
    return UnicodeSource{std::string(name), reading.encoding, reading.broken};
}

// The converted files whose copies wait to take their targets' places (when the run flushes
// to the disk; otherwise each copy takes its place as soon as it is written). Flushing each copy
// to the disk by itself costs a disk round trip per file, many times the time of writing a small
// one; so they wait here, a batch at a time, for one flush of the file system. Only then does
// each copy replace its target, and only then does the file count as converted and its log
// record stay. A copy the disk refused (a thin or network volume that finds itself full only
// when the data arrives) is removed and reported, its old target and the log untouched by it.
// The waiting copies stay open, so that no other run takes them for leftovers.
class PendingBatch {
public:
    PendingBatch(Module1& m, const fsys::Folder& folder, LogFile& log, RunReport& report,
                 const RunOptions& options)
        : m_(m), folder_(folder), log_(log), report_(report), flushToDisk_(options.flushToDisk),
          // Without the flush there is nothing to wait for: each copy takes its place at once.
          files_(flushToDisk_ ? std::max<std::size_t>(options.batchFiles, 1) : 1),
          bytes_(options.batchBytes) {
        entries_.reserve(files_);
        takenOut_.reserve(files_);
    }

    PendingBatch(const PendingBatch&) = delete;
    PendingBatch& operator=(const PendingBatch&) = delete;

    // Takes over TEMPORARY, the copy of source NAME for TARGET_NAME; RECORD is the file's record
    // in the log, BYTES the copy's size; LAST_LINE what CurrentLine becomes when it takes its
    // place, if anything; UNICODE what the report lists when it does, if anything. Throws (no
    // memory) only before taking anything over.
    void Add(std::string_view name, std::string_view targetName, Temporary& temporary,
             ByteRange record, std::uint64_t bytes, const std::string* lastLine,
             std::optional<UnicodeSource> unicode) {
        std::string line = lastLine != nullptr ? *lastLine : std::string();
        Entry entry{std::string(name),   std::string(targetName), std::move(temporary), record,
                    lastLine != nullptr, std::move(line),         std::move(unicode)};
        entries_.push_back(std::move(entry)); // room reserved: cannot fail
        pendingBytes_ += bytes;
    }

    bool Empty() const { return entries_.empty(); }
    bool Full() const { return entries_.size() >= files_ || pendingBytes_ >= bytes_; }

    // Puts every waiting copy that reached the disk in its target's place, in the list's order.
    void Commit() noexcept {
        if (entries_.empty()) {
            return;
        }
        const bool allOnDisk = !flushToDisk_ || !fsys::FlushFileSystem(folder_);
        for (Entry& entry : entries_) {
            std::error_code error;
            if (!allOnDisk) {
                error = fsys::FlushData(entry.temporary.File());
            }
            if (!error) {
                error = entry.temporary.Replace(entry.targetName);
            }
            if (error) {
                entry.temporary.Discard();
                AddFailure(report_.failures, entry.name, entry.targetName,
                           FileError{Side::Target, error});
                if (entry.record.end > entry.record.begin) {
                    takenOut_.push_back(entry.record); // room reserved
                }
                continue;
            }
            ++report_.converted;
            if (entry.unicode) {
                try {
                    report_.unicodeSources.push_back(std::move(*entry.unicode));
                } catch (...) { // no memory: the copy is in place all the same
                }
            }
            if (entry.hasLines) {
                m_.CurrentLine.swap(entry.lastLine);
                m_.CharCode = 256;
            }
        }
        log_.TakeOut(takenOut_);
        entries_.clear();
        takenOut_.clear();
        pendingBytes_ = 0;
    }

private:
    struct Entry {
        std::string name;
        std::string targetName;
        Temporary temporary;
        ByteRange record;
        bool hasLines = false;
        std::string lastLine;
        std::optional<UnicodeSource> unicode;
    };

    Module1& m_;
    const fsys::Folder& folder_;
    LogFile& log_;
    RunReport& report_;
    const bool flushToDisk_;
    const std::size_t files_;   // a full batch: this many files
    const std::uint64_t bytes_; // or this many bytes of copies
    std::vector<Entry> entries_;
    std::vector<ByteRange> takenOut_;
    std::uint64_t pendingBytes_ = 0;
};

// Failures that the waiting copies cause themselves: a full disk may have room again, and the
// program may open files again, once they have taken their places.
bool MayPassOnceTheBatchIsIn(const std::error_code& error) {
    return error == std::errc::no_space_on_device || error == std::errc::too_many_files_open ||
           error == std::errc::too_many_files_open_in_system;
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

void RemoveTemporariesOnInterrupt() {
    fsys::RemoveTemporariesOnInterrupt();
}

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
        fsys::FailWritesBeyondTheSizeLimit();
        logName = LogFileName(m);
        // Every file of the run is named in the folder opened here, whatever becomes of its path
        // meanwhile. A folder that cannot be opened fails every file with its reason.
        fsys::Folder dir;
        fsys::OpenFolder(folder, dir);
        fsys::RemoveLeftovers(dir);
        LogFile log(dir, logName, report.failures, options.flushToDisk);
        PendingBatch batch(m, dir, log, report, options);
        RunSink sink(log);
        StreamConverter converter(m, sink, options.blockSize);
        SourceReader reader(options.blockSize);
        // Files done so far, and the last count reported.
        std::size_t done = 0;
        std::size_t reported = 0;
        const auto reportProgress = [&] {
            if (done != reported && options.progress) {
                options.progress(done, names.size());
            }
            reported = done;
        };
        for (const std::string& name : names) {
            reportProgress();
            if (options.cancel != nullptr && options.cancel->load()) {
                report.cancelled = true;
                break;
            }
            ++done;
            try {
                const std::string targetName = TargetName(name);
                if (WouldOverwriteLog(targetName, logName)) {
                    AddCopyIsLog(report.failures, name, targetName);
                    continue;
                }
                m.FileLog = Utf8ToCp1252(name) + " : ";
                Temporary temporary(dir);
                std::uint64_t recordBegin = 0;
                FileError failure;
                SourceReading reading;
                for (bool retried = false;; retried = true) {
                    converter.Start(m.FileLog);
                    recordBegin = log.Position();
                    failure = ConvertFile(converter, sink, reader, options.encoding, dir, name,
                                          targetName, temporary, reading);
                    if (!failure) {
                        break;
                    }
                    log.Rollback();
                    temporary.Discard();
                    // Once more after the waiting copies have taken their places.
                    if (retried || !MayPassOnceTheBatchIsIn(failure.error) || batch.Empty()) {
                        break;
                    }
                    batch.Commit();
                }
                if (failure) {
                    AddFailure(report.failures, name, targetName, failure);
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
                AddFailure(report.failures, name, WhatFailed(std::current_exception()));
            }
        }
        batch.Commit();
        log.Finish();
        reportProgress();
    } catch (...) {
        AddFailure(report.failures, logName, WhatFailed(std::current_exception()),
                   FileFailure::Kind::LogFile);
    }
    return report;
}

} // namespace rz408
