// The file operations on Linux and other POSIX systems.

#include "FileSystem.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fsys {

namespace {

int Fd(const File& file) {
    return static_cast<int>(file.handle_);
}

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code CheckRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) {
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return NotRegularFile();
}

// Six letters or digits, different for every call.
std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        static_cast<std::uint64_t>(::getpid()));
    std::string suffix;
    for (int k = 0; k < 6; ++k) {
        suffix += kLetters[random() % (sizeof kLetters - 1)];
    }
    return suffix;
}

class NotRegularCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "rz408"; }
    std::string message(int) const override { return "not a regular file"; }
};

} // namespace

File::~File() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

std::error_code NotRegularFile() {
    static const NotRegularCategory category;
    return {1, category};
}

std::error_code OpenForReading(const std::filesystem::path& path, File& file) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    file.handle_ = fd;
    if (::fstat(fd, &info) != 0) {
        return LastError();
    }
    return CheckRegular(info);
}

std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), data, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR) {
            got = 0;
            return LastError();
        }
    }
}

std::error_code CreateTemporary(const std::filesystem::path& target, File& file,
                                std::filesystem::path& temporary) {
    // ".<name>.rz408-XXXXXX": hidden, so no listing shows it; the name is shortened to stay
    // within the system's limit for one name.
    std::string base = target.filename().native();
    if (base.size() > 120) {
        base.resize(120);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target.parent_path() / ("." + base + ".rz408-" + RandomSuffix());
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            file.handle_ = fd;
            // A file that replaces an older one keeps its access rights, as if it had been
            // rewritten in place; a new one gets those of any new file.
            struct stat old {};
            if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
                ::fchmod(fd, old.st_mode & 07777);
            }
            return {};
        }
        if (errno != EEXIST) {
            return LastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code WriteAll(File& file, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(Fd(file), data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return std::make_error_code(std::errc::no_space_on_device);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code TruncateTo(File& file, std::uint64_t size) {
    if (::ftruncate(Fd(file), static_cast<off_t>(size)) != 0) {
        return LastError();
    }
    if (::lseek(Fd(file), static_cast<off_t>(size), SEEK_SET) < 0) {
        return LastError();
    }
    return {};
}

std::error_code Close(File& file) {
    const int fd = Fd(file);
    file.handle_ = File::kNoHandle;
    if (::close(fd) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

std::error_code Replace(const std::filesystem::path& temporary,
                        const std::filesystem::path& target) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return LastError();
    }
    return {};
}

void RemoveQuietly(const std::filesystem::path& path) {
    ::unlink(path.c_str());
}

bool IsListable(const std::filesystem::directory_entry& entry, std::string_view name) {
    if (name.empty() || name.front() == '.') {
        return false;
    }
    std::error_code error;
    return entry.is_regular_file(error); // follows symbolic links
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace rz408::fsys
