// HistoryVersion.cpp: version names, the listing of a history folder, and
// keeping the content a change replaces.
#include "files/HistoryVersion.h"

#include "files/FolderSync.h"
#include "files/PathParts.h"
#include "files/SFile.h"
#include "files/TemporaryFile.h"
#include "files/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t TimeLength = 16;    // "20261210T164132Z"
constexpr size_t DigestLength = 16;  // hex digits
constexpr size_t WhoLimit = 64;      // bytes of who kept in a name

// Bytes a name keeps as they are; a blank is written '_', anything else %HH,
// so that no name holds a '/', a control byte or a blank.
bool KeptInName(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
           || byte == '.' || byte == ':' || byte == '-';
}

std::string EncodeWho(std::string_view who)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char byte : who.substr(0, WhoLimit)) {
        if (KeptInName(byte)) {
            encoded += static_cast<char>(byte);
        } else if (byte == ' ') {
            encoded += '_';
        } else {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0x0f];
        }
    }
    return encoded;
}

int HexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;
}

// False for text that EncodeWho does not write.
bool DecodeWho(std::string_view encoded, std::string& who)
{
    who.clear();
    for (size_t i = 0; i < encoded.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(encoded[i]);
        if (KeptInName(byte)) {
            who += static_cast<char>(byte);
        } else if (byte == '_') {
            who += ' ';
        } else if (byte == '%' && i + 2 < encoded.size() && HexValue(encoded[i + 1]) >= 0
                   && HexValue(encoded[i + 2]) >= 0) {
            who += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
            i += 2;
        } else {
            return false;
        }
    }
    return !who.empty();
}

bool AllOf(std::string_view text, const char* bytes)
{
    return text.find_first_not_of(bytes) == std::string_view::npos;
}

// "20261210T164132Z": digits, a 'T', digits, a 'Z'.
bool IsTime(std::string_view text)
{
    return text.size() == TimeLength && text[8] == 'T' && text[15] == 'Z' && AllOf(text.substr(0, 8), "0123456789")
           && AllOf(text.substr(9, 6), "0123456789");
}

// A digest's hex digits at `at` of `text`, followed by at least one byte.
bool IsDigest(std::string_view text, size_t at)
{
    return text.size() > at + DigestLength && AllOf(text.substr(at, DigestLength), "0123456789abcdef");
}

// The version that `name` describes; false for any other name.
bool ParseName(const std::string& name, const std::string& fileName, HistoryVersion& version)
{
    std::string_view rest(name);
    if (rest.size() <= fileName.size() + 1 || rest.compare(0, fileName.size(), fileName) != 0
        || rest[fileName.size()] != '.')
        return false;
    rest.remove_prefix(fileName.size() + 1);
    if (rest.size() < TimeLength || !IsTime(rest.substr(0, TimeLength)))
        return false;
    version.time.assign(rest.substr(0, TimeLength));
    rest.remove_prefix(TimeLength);
    version.counter = 1;
    if (!rest.empty() && rest[0] == '-') {
        const size_t digits = std::min(rest.find('.'), rest.size());
        const std::string_view number = rest.substr(1, digits - 1);
        if (number.empty() || number.size() > 6 || !AllOf(number, "0123456789") || number[0] == '0')
            return false;
        version.counter = std::stoi(std::string(number));
        rest.remove_prefix(digits);
    }
    if (!IsDigest(rest, 1) || rest[0] != '.')
        return false;
    version.successor.assign(rest.substr(1, DigestLength));
    rest.remove_prefix(DigestLength + 1);
    // "-OWN" in the newer form; the older form goes on with ".WHO" at once.
    version.own.clear();
    if (rest[0] == '-') {
        if (!IsDigest(rest, 1))
            return false;
        version.own.assign(rest.substr(1, DigestLength));
        rest.remove_prefix(DigestLength + 1);
    }
    if (rest.size() < 2 || rest[0] != '.')
        return false;
    version.name = name;
    return DecodeWho(rest.substr(1), version.who);
}

std::string VersionName(const std::string& fileName, const std::string& time, int counter,
                        const std::string& successor, const std::string& own, const std::string& who)
{
    return fileName + "." + time + (counter > 1 ? "-" + std::to_string(counter) : "") + "." + successor + "-" + own
           + "." + EncodeWho(who);
}

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    struct tm utc {};
    gmtime_r(&now, &utc);
    char text[TimeLength + 1];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

int OpenIn(int databaseFolder)
{
    return ::openat(databaseFolder, HistoryFolderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The history folder, made when missing: only its owner may enter it, and
// that is the owner of the database file, whoever makes it. A new folder's
// name is put on disk at once. -1 with errno set when it cannot be had.
int OpenOrMakeHistoryFolder(int databaseFolder, const struct stat& file)
{
    int folder = OpenIn(databaseFolder);
    if (folder >= 0 || errno != ENOENT)
        return folder;
    if (::mkdirat(databaseFolder, HistoryFolderName, 0700) != 0 && errno != EEXIST)
        return -1;
    folder = OpenIn(databaseFolder);
    if (folder < 0)
        return -1;
    struct stat made {};
    if (::fstat(folder, &made) == 0 && (made.st_uid != file.st_uid || made.st_gid != file.st_gid))
        (void)::fchown(folder, file.st_uid, file.st_gid);  // not ours to give: the maker keeps it
    if (!SyncFolder(databaseFolder)) {
        const int error = errno;
        ::close(folder);
        errno = error;
        return -1;
    }
    return folder;
}

}  // namespace

std::string ContentDigest(std::string_view content)
{
    // 64-bit FNV-1a: the digest tells contents apart, it guards nothing.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : content) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char text[DigestLength + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string NotKeptSuffix(const std::string& reason)
{
    return " (previous configuration not kept: " + reason + ")";
}

int OpenHistoryFolder(const std::string& path)
{
    const int databaseFolder = ::open(SplitPath(path).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (databaseFolder < 0)
        return -1;
    const int folder = OpenIn(databaseFolder);
    const int error = errno;
    ::close(databaseFolder);
    errno = error;
    return folder;
}

std::vector<HistoryVersion> ListVersions(int historyFolder, const std::string& fileName)
{
    std::vector<HistoryVersion> versions;
    // The listing reads through a descriptor of its own.
    const int listed = ::openat(historyFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listed < 0 ? nullptr : ::fdopendir(listed);
    if (entries == nullptr) {
        if (listed >= 0)
            ::close(listed);
        return versions;
    }
    while (const dirent* entry = ::readdir(entries)) {
        HistoryVersion version;
        if (ParseName(entry->d_name, fileName, version))
            versions.push_back(std::move(version));
    }
    ::closedir(entries);
    std::sort(versions.begin(), versions.end(), [](const HistoryVersion& a, const HistoryVersion& b) {
        return a.time != b.time ? a.time > b.time : a.counter > b.counter;
    });
    return versions;
}

std::string ReadVersion(int historyFolder, const HistoryVersion& version)
{
    const int descriptor =
        ::openat(historyFolder, version.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        ThrowFileError("File open: ");
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISREG(status.st_mode) ? errno : ENXIO;
        ::close(descriptor);
        errno = error;
        ThrowFileError("File open: ");
    }
    try {
        std::string content = ReadWholeFile(descriptor);
        ::close(descriptor);
        return content;
    } catch (...) {
        ::close(descriptor);
        throw;
    }
}

CKeptVersion::CKeptVersion(int live, const std::string& path, std::string_view old, std::string_view replacement,
                           const std::string& who)
{
    Make(live, path, old, replacement, who);
}

void CKeptVersion::Make(int live, const std::string& path, std::string_view old, std::string_view replacement,
                        const std::string& who)
{
    const PathParts parts = SplitPath(path);
    fileName = parts.name;
    struct stat file {};
    if (::fstat(live, &file) != 0)
        return Fail("history version", errno);
    const int databaseFolder = ::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (databaseFolder < 0)
        return Fail("history folder", errno);
    folder = OpenOrMakeHistoryFolder(databaseFolder, file);
    const int folderError = errno;
    ::close(databaseFolder);
    if (folder < 0)
        return Fail("history folder", folderError);

    CTemporaryFile temporary(folder, fileName + "tmp");
    if (temporary.CreateAsCopy(live, file, old) != CopyStep::Done)
        return Fail("history version", errno);

    // A name after every kept one, even when the clock went back; one that
    // something holds already (planted, or made meanwhile) is never replaced.
    const std::vector<HistoryVersion> kept = ListVersions(folder, fileName);
    std::string time = UtcNow();
    int counter = 1;
    if (!kept.empty() && kept.front().time >= time) {
        time = kept.front().time;
        counter = kept.front().counter + 1;
    }
    const std::string successor = ContentDigest(replacement), own = ContentDigest(old);
    for (int attempt = 0; attempt < 1000; ++attempt, ++counter) {
        const std::string candidate = VersionName(fileName, time, counter, successor, own, who);
        if (::renameat2(folder, temporary.Name().c_str(), folder, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            ::close(temporary.Release());
            name = candidate;
            // The new one is the newest: beyond the limit lie the oldest.
            for (size_t i = HistoryVersionLimit - 1; i < kept.size(); ++i)
                beyondLimit.push_back(kept[i].name);
            return;
        }
        if (errno != EEXIST)
            return Fail("history version", errno);
    }
    Fail("history version", EEXIST);
}

CKeptVersion::~CKeptVersion()
{
    if (!confirmed)
        Remove();
    if (folder >= 0)
        ::close(folder);
}

void CKeptVersion::Fail(const char* what, int error)
{
    reason = std::string(what) + ": " + std::strerror(error);
}

void CKeptVersion::Remove()
{
    if (!name.empty())
        ::unlinkat(folder, name.c_str(), 0);
    name.clear();
}

void CKeptVersion::Drop(int error)
{
    if (name.empty())
        return;
    Remove();
    Fail("history version", error);
}

void CKeptVersion::SyncFolder()
{
    if (name.empty() || synced)
        return;
    synced = true;
    if (!::SyncFolder(folder)) {
        Fail("history folder", errno);
        Remove();
    }
}

void CKeptVersion::Confirm()
{
    SyncFolder();
    confirmed = true;
    if (name.empty())
        return;
    // Removed once the change is on disk; a removal lost in a power cut is
    // made by the next change.
    for (const std::string& older : beyondLimit)
        ::unlinkat(folder, older.c_str(), 0);
}
