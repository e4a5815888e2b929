#include "storage/storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "base/file_descriptor.h"

namespace tidyframe {

namespace {

namespace fs = std::filesystem;

std::string systemError(int code) { return std::system_category().message(code); }

// The folder holding `location`; a bare file name lies in the current folder.
fs::path folderOf(const fs::path& location) { return location.has_parent_path() ? location.parent_path() : "."; }

int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Answers 0 once the file's bytes are on the drive itself. On macOS fsync only hands them to
// the drive, whose cache a power loss empties; F_FULLFSYNC flushes that cache too. File
// systems without it say ENOTSUP, and a plain fsync is then as durable as they allow.
int syncToDrive(int fd) {
#ifdef F_FULLFSYNC
  if (::fcntl(fd, F_FULLFSYNC) == 0) return 0;
  if (errno != ENOTSUP && errno != EINVAL) return errno;
#endif
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Makes a completed rename survive a power loss. File systems that cannot sync a folder say
// EINVAL; the rename is then as durable as they allow.
int syncFolder(const fs::path& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return errno;
  if (const int error = syncToDrive(fd.get()); error != 0 && error != EINVAL) return error;
  return 0;
}

// The temporary files of `location` are named "." + its name + "." + six random characters.
std::string temporaryPrefix(const fs::path& location) { return "." + location.filename().string() + "."; }
constexpr std::size_t temporarySuffixLength = 6;

// Writes `bytes` to a fresh temporary file in the folder of `location` and renames it over
// `location`. The temporary name is unique, so two writers of one document never mix their
// bytes; on failure the temporary file is removed and `location` is untouched.
int replaceAtomically(const fs::path& location, std::string_view bytes) {
  const fs::path folder = folderOf(location);
  std::string temporary = (folder / (temporaryPrefix(location) + std::string(temporarySuffixLength, 'X'))).string();
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return errno;
  int error = writeAll(fd.get(), bytes);
  if (error == 0) error = syncToDrive(fd.get());
  if (const int closed = fd.close(); error == 0) error = closed;
  if (error == 0 && ::rename(temporary.c_str(), location.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  return syncFolder(folder);
}

// "20261206-143000" for the moment `now` in UTC. UTC keeps names in order across time-zone
// changes and needs no time-zone database.
std::string utcTimestamp(Date now) {
  using namespace std::chrono;
  // Beyond a few thousand years the clock is broken; any name will do, but no overflow.
  const double unix = std::abs(now.unixTime()) < 1e11 ? std::floor(now.unixTime()) : 0;
  const sys_seconds moment{seconds{static_cast<long long>(unix)}};
  const auto day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss time{moment - day};
  char text[96];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02lld%02lld%02lld", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
                static_cast<long long>(time.seconds().count()));
  return text;
}

fs::path asideLocation(const fs::path& location, const std::string& timestamp, int attempt) {
  std::string name = location.stem().string() + ".unreadable-" + timestamp;
  if (attempt > 1) name += "-" + std::to_string(attempt);
  return folderOf(location) / (name + location.extension().string());
}

int syncFile(const fs::path& location) {
  FileDescriptor fd(::open(location.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno;
  return syncToDrive(fd.get());
}

// Appends `bytes` and syncs them; on failure the file is cut back to its old length, so a
// later append never follows half a line.
int appendDurably(const fs::path& location, std::string_view bytes) {
  FileDescriptor fd(::open(location.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!fd.valid()) return errno;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return errno;
  int error = writeAll(fd.get(), bytes);
  if (error == 0) error = syncToDrive(fd.get());
  if (error != 0 && ::ftruncate(fd.get(), info.st_size) == 0) syncToDrive(fd.get());
  if (const int closed = fd.close(); error == 0) error = closed;
  return error;
}

// A 64-bit multiplicative hash over 8-byte words: a few milliseconds for a document of tens
// of megabytes, and it only has to tell one generation of a document from another.
std::uint64_t generationHash(std::string_view bytes) {
  constexpr std::uint64_t prime = 0x100000001b3ull;
  const auto mix = [](std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * prime;
    return hash ^ (hash >> 29);
  };
  const auto wordAt = [&](std::size_t at) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    return word;
  };
  // Four lanes, so that the multiplications of neighbouring words overlap: the hash of a
  // document of tens of megabytes is taken at every launch.
  std::uint64_t lanes[4] = {0xcbf29ce484222325ull ^ bytes.size(), 1, 2, 3};
  std::size_t at = 0;
  for (; at + sizeof lanes <= bytes.size(); at += sizeof lanes) {
    for (std::size_t lane = 0; lane < 4; ++lane) lanes[lane] = mix(lanes[lane], wordAt(at + lane * 8));
  }
  std::uint64_t hash = mix(mix(mix(lanes[0], lanes[1]), lanes[2]), lanes[3]);
  for (; at < bytes.size(); ++at) hash = (hash ^ static_cast<unsigned char>(bytes[at])) * prime;
  return hash;
}

// Without overwrite options the copy fails on an existing name.
std::error_code copyFile(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::copy_file(from, to, error);
  return error;
}

}  // namespace

DocumentUpdate::DocumentUpdate(Json value)
    : document([value = std::move(value)] { return writeJson(value); }) {}

Storage::Storage(std::filesystem::path directory, CopyStep copy)
    : directory_(std::move(directory)), copy_(copy ? std::move(copy) : CopyStep(copyFile)) {}

std::filesystem::path Storage::defaultDirectory(StoragePlatform platform, const std::filesystem::path& home,
                                                std::optional<std::string_view> xdgDataHome) {
  if (platform == StoragePlatform::macOS) return home / "Library/Application Support/Tidyframe";
  if (xdgDataHome && xdgDataHome->starts_with('/')) return fs::path(*xdgDataHome) / "Tidyframe";
  return home / ".local/share/Tidyframe";
}

std::expected<void, std::string> Storage::save(const Json& value, const std::filesystem::path& location) {
  const auto text = writeJson(value);
  if (!text) return std::unexpected(text.error());
  return saveText(*text, location);
}

std::expected<void, std::string> Storage::saveText(std::string_view text, const std::filesystem::path& location) {
  std::error_code error;
  fs::create_directories(folderOf(location), error);
  if (error) return std::unexpected(error.message());
  if (const int code = replaceAtomically(location, text); code != 0) return std::unexpected(systemError(code));
  return {};
}

std::expected<void, std::string> Storage::save(const DocumentUpdate& update, const std::filesystem::path& location) {
  if (update.document) {
    const auto text = update.document();
    if (!text) return std::unexpected(text.error());
    if (auto saved = saveText(*text, location); !saved) return saved;
    if (update.journaled) {
      if (auto started = saveText(journalHeader(*text), journalLocation(location)); !started) return started;
    }
  }
  if (update.journal.empty()) return {};
  std::string lines;
  for (const auto& line : update.journal) (lines += line) += '\n';
  if (const int code = appendDurably(journalLocation(location), lines); code != 0) {
    return std::unexpected(systemError(code));
  }
  return {};
}

std::filesystem::path Storage::journalLocation(const std::filesystem::path& document) {
  auto location = document;
  return location.replace_extension(".journal");
}

std::string Storage::journalHeader(std::string_view bytes) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(generationHash(bytes)));
  return R"({"extends":")" + std::to_string(bytes.size()) + ":" + hash + "\"}\n";
}

std::optional<std::string> Storage::readBytes(const std::filesystem::path& location, std::uintmax_t limit) {
  FileDescriptor fd(::open(location.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::uintmax_t>(info.st_size) > limit) return std::nullopt;
  // Straight into the text at the size the file has, without a copy of tens of megabytes, and
  // with room for a vector parser's aligned reads past its end.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size) + 16);
  bool failed = false;
  bool ended = false;
  bytes.resize_and_overwrite(static_cast<std::size_t>(info.st_size), [&](char* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size && !failed && !ended) {
      const auto count = ::read(fd.get(), data + filled, size - filled);
      failed = count < 0 && errno != EINTR;
      ended = count == 0;
      if (count > 0) filled += static_cast<std::size_t>(count);
    }
    return filled;
  });
  if (failed) return std::nullopt;
  // The file may have grown while it was read.
  char buffer[1 << 16];
  while (!ended) {
    const auto count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    ended = count == 0;
    bytes.append(buffer, static_cast<std::size_t>(count));
    if (bytes.size() > limit) return std::nullopt;
  }
  return bytes;
}

std::expected<std::filesystem::path, std::string> Storage::keepAside(std::string_view fileName, Date now) const {
  constexpr int attempts = 100;
  const auto location = url(fileName);
  const std::string timestamp = utcTimestamp(now);
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    const auto aside = asideLocation(location, timestamp, attempt);
    // The copy fails on an existing name, so an earlier copy stays.
    if (const auto error = copy_(location, aside)) {
      if (error == std::errc::file_exists) continue;
      std::error_code ignored;
      fs::remove(aside, ignored);
      return std::unexpected(error.message());
    }
    int error = syncFile(aside);
    if (error == 0) error = syncFolder(folderOf(location));
    if (error != 0) return std::unexpected(systemError(error));
    return aside;
  }
  return std::unexpected(systemError(EEXIST));
}

bool Storage::exists(const std::filesystem::path& location) {
  std::error_code error;
  return fs::exists(location, error);
}

void Storage::removeLeftovers(const std::filesystem::path& location) {
  const auto prefix = temporaryPrefix(location);
  std::error_code error;
  for (fs::directory_iterator entry(folderOf(location), error), end; !error && entry != end;
       entry.increment(error)) {
    const auto name = entry->path().filename().string();
    if (name.size() != prefix.size() + temporarySuffixLength || !name.starts_with(prefix)) continue;
    std::error_code ignored;
    fs::remove(entry->path(), ignored);
  }
}

}  // namespace tidyframe
