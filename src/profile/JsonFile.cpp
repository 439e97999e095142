#include "profile/JsonFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <json/reader.h>
#include <json/writer.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/Platform.h"

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kTemporarySuffix = ".tmp";
constexpr const char* kBadCopySuffix = ".bad";

// Owns one file descriptor.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes now, so a late write error is seen.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

void Trace(const std::string& text) {
    DebugOutput(text);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is durable only once the folder entry is on disk too.
void SyncFolder(const std::string& path) {
    CFileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen()) ::fsync(folder.Get());
}

// Writes `text` to a temporary file beside `path` and renames it over `path`.
bool ReplaceFile(const std::string& path, std::string_view text) {
    // One temporary name per file: a leftover of a crash is simply reused. The lock keeps
    // two threads of this process off the same temporary file.
    if (path.empty() || path.back() == '/') return false;
    static std::mutex writeLock;
    const std::lock_guard guard(writeLock);
    const std::string temporary = path + kTemporarySuffix;
    CFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.IsOpen()) {
        Trace("wirtejsonFile 错误吗：：" + std::to_string(errno) + " " + path + "\n");
        return false;
    }
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(file.Get(), old.st_mode & 07777);  // keep its mode
    const bool written = WriteAll(file.Get(), text) && ::fsync(file.Get()) == 0;
    const int writeError = errno;
    if (!file.Close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        Trace("wirtejsonFile 错误吗：：" + std::to_string(written ? errno : writeError) + " " +
              path + "\n");
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

bool IsJsonObjectText(const std::string& text, Json::Value* root);

// Before a file that exists but holds no JSON object is replaced, its bytes go to
// "<path>.bad". False when that copy cannot be made: then the file must stay.
bool KeepBadCopy(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return errno == ENOENT;
    std::string text;
    const FileReadResult read = ReadFileText(path, text);
    if (read == FileReadResult::Missing) return true;
    if (read == FileReadResult::Ok && IsJsonObjectText(text, nullptr)) return true;
    std::error_code error;
    if (read == FileReadResult::Ok) {
        if (!ReplaceFile(path + kBadCopySuffix, text))
            error = std::make_error_code(std::errc::io_error);
    } else {  // too large to hold, or unreadable: let the copy try
        std::filesystem::copy_file(path, path + kBadCopySuffix,
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
    if (error) {
        Trace("WriteJsonFile: cannot keep " + path + kBadCopySuffix + ": " + error.message() +
              "\n");
        return false;
    }
    Trace("WriteJsonFile: " + path + " held no JSON object; kept as " + path + kBadCopySuffix +
          "\n");
    return true;
}

bool ParseJson(const std::string& text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowTrailingCommas"] = false;  // a hand-edit slip: keep the bytes, do not guess
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception&) {  // jsoncpp throws on a nesting limit
        return false;
    }
}

bool IsJsonObjectText(const std::string& text, Json::Value* root) {
    Json::Value parsed;
    if (!ParseJson(text, parsed) || !parsed.isObject()) return false;
    if (root) *root = std::move(parsed);
    return true;
}

int Utf8SequenceLength(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (at + static_cast<std::size_t>(length) > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (int i = 2; i < length; ++i)
        if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80) return 0;
    return length;
}

std::string RepairUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::size_t at = 0; at < bytes.size();) {
        const int length = Utf8SequenceLength(bytes, at);
        if (length > 0) {
            text.append(bytes.substr(at, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
            continue;
        }
        const auto latin1 = static_cast<unsigned char>(bytes[at++]);
        text += static_cast<char>(0xC0 | (latin1 >> 6));
        text += static_cast<char>(0x80 | (latin1 & 0x3F));
    }
    return text;
}

// The writer escapes text as UTF-8; invalid bytes would come out as garbage escapes.
bool HoldsInvalidUtf8(const Json::Value& value) {
    if (value.isString()) {
        const char* begin = nullptr;
        const char* end = nullptr;
        return value.getString(&begin, &end) && begin &&
               !IsValidUtf8(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    }
    if (!value.isObject() && !value.isArray()) return false;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (value.isObject()) {
            const char* end = nullptr;
            const char* name = it.memberName(&end);
            if (name && !IsValidUtf8(std::string_view(name, static_cast<std::size_t>(end - name))))
                return true;
        }
        if (HoldsInvalidUtf8(*it)) return true;
    }
    return false;
}

Json::Value WithValidUtf8(const Json::Value& value) {
    if (value.isString()) return Json::Value(JsonAsString(value));
    if (value.isArray()) {
        Json::Value array(Json::arrayValue);
        for (const Json::Value& element : value) array.append(WithValidUtf8(element));
        return array;
    }
    if (!value.isObject()) return value;
    Json::Value object(Json::objectValue);
    for (auto it = value.begin(); it != value.end(); ++it)
        object[FromFileText(it.name())] = WithValidUtf8(*it);
    return object;
}

const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}

}  // namespace

FileReadResult ReadFileText(const std::string& path, std::string& text) {
    text.clear();
    // Non-blocking, so a FIFO in place of the file cannot hang the caller.
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.IsOpen()) {
        const int error = errno;
        Trace("readjsonFile 错误吗：：" + std::to_string(error) + " " + path + "\n");
        return error == ENOENT ? FileReadResult::Missing : FileReadResult::Unreadable;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        Trace("readjsonFile: not a regular file: " + path + "\n");
        return FileReadResult::Unreadable;
    }
    // The size is a hint only; the read ends where the data ends.
    if (info.st_size > 0 && static_cast<std::uintmax_t>(info.st_size) <= kMaxJsonFileBytes)
        text.reserve(static_cast<std::size_t>(info.st_size));
    std::array<char, kReadChunk> chunk{};
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            Trace("readjsonFile: read failed " + std::to_string(errno) + " " + path + "\n");
            text.clear();
            return FileReadResult::Unreadable;
        }
        if (got == 0) return FileReadResult::Ok;
        if (text.size() + static_cast<std::size_t>(got) > kMaxJsonFileBytes) {
            Trace("readjsonFile: larger than " + std::to_string(kMaxJsonFileBytes) +
                  " bytes, not read: " + path + "\n");
            text.clear();
            text.shrink_to_fit();
            return FileReadResult::Unreadable;
        }
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

FileReadResult ReadJsonFileResult(const std::string& path, Json::Value& root) {
    root = Json::Value();
    std::string text;
    const FileReadResult read = ReadFileText(path, text);
    if (read != FileReadResult::Ok) return read;
    if (text.empty()) {
        Trace("ReadJsonFile: empty " + path + "\n");
        return FileReadResult::Unparsable;
    }
    if (!IsJsonObjectText(text, &root)) {
        Trace("ReadJsonFile: no JSON object in " + path + "\n");
        return FileReadResult::Unparsable;
    }
    return FileReadResult::Ok;
}

bool ReadFileStamp(const std::string& path, FileStamp& stamp) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    stamp = {static_cast<long long>(info.st_dev), static_cast<long long>(info.st_ino),
             static_cast<long long>(info.st_size),
             static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
    return true;
}

bool ReadJsonFile(const std::string& path, Json::Value& root) {
    return ReadJsonFileResult(path, root) == FileReadResult::Ok;
}

bool WriteFileText(const std::string& path, std::string_view text) {
    return KeepBadCopy(path) && ReplaceFile(path, text);
}

std::string StyledJsonText(const Json::Value& root) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
#pragma GCC diagnostic pop
    std::string text =
        HoldsInvalidUtf8(root) ? writer.write(WithValidUtf8(root)) : writer.write(root);
    text += '\n';
    return text;
}

bool WriteJsonFile(const std::string& path, const Json::Value& root) {
    return WriteJsonFileAfterRead(path, root, FileReadResult::Unparsable);
}

bool WriteJsonFileAfterRead(const std::string& path, const Json::Value& root,
                            FileReadResult lastRead) {
    std::string text;
    try {
        text = StyledJsonText(root);
    } catch (const std::exception& e) {
        Trace(std::string("WriteJsonFile: ") + e.what() + " " + path + "\n");
        return false;
    }
    if (lastRead != FileReadResult::Ok && !KeepBadCopy(path)) return false;
    return ReplaceFile(path, text);
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
    std::string text;
    if (ReadFileText(from, text) != FileReadResult::Ok) return false;
    return ReplaceFile(to, text);
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const int length = Utf8SequenceLength(bytes, at);
        if (length == 0) return false;
        at += static_cast<std::size_t>(length);
    }
    return true;
}

std::string ToFileText(std::string_view text) {
    return RepairUtf8(text);
}
std::string FromFileText(std::string_view bytes) {
    return RepairUtf8(bytes);
}

const Json::Value& JsonMember(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return NullValue();
    const Json::Value* member = object.find(key.data(), key.data() + key.size());
    return member ? *member : NullValue();
}

const Json::Value& JsonElement(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size()) return NullValue();
    return array[index];
}

int JsonAsInt(const Json::Value& value, int fallback) {
    return JsonAsIntIn(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                       fallback);
}

int JsonAsIntIn(const Json::Value& value, int lowest, int highest, int fallback) {
    if (!value.isIntegral() || !value.isInt()) return fallback;
    const int number = value.asInt();
    return number < lowest || number > highest ? fallback : number;
}

bool JsonAsBool(const Json::Value& value, bool fallback) {
    if (value.isBool()) return value.asBool();
    if (value.isIntegral()) return value.isInt64() ? value.asInt64() != 0 : true;
    return fallback;
}

std::string JsonAsString(const Json::Value& value, const std::string& fallback) {
    if (!value.isString()) return fallback;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!value.getString(&begin, &end) || !begin) return {};
    return FromFileText(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

int JsonInt(const Json::Value& object, std::string_view key, int fallback) {
    return JsonAsInt(JsonMember(object, key), fallback);
}

int JsonIntIn(const Json::Value& object, std::string_view key, int lowest, int highest,
              int fallback) {
    return JsonAsIntIn(JsonMember(object, key), lowest, highest, fallback);
}

bool JsonBool(const Json::Value& object, std::string_view key, bool fallback) {
    return JsonAsBool(JsonMember(object, key), fallback);
}

std::string JsonString(const Json::Value& object, std::string_view key,
                       const std::string& fallback) {
    return JsonAsString(JsonMember(object, key), fallback);
}

const Json::Value& JsonArray(const Json::Value& object, std::string_view key) {
    static const Json::Value empty(Json::arrayValue);
    const Json::Value& member = JsonMember(object, key);
    return member.isArray() ? member : empty;
}

const Json::Value& JsonObject(const Json::Value& object, std::string_view key) {
    static const Json::Value empty(Json::objectValue);
    const Json::Value& member = JsonMember(object, key);
    return member.isObject() ? member : empty;
}

Json::Value& JsonObjectMember(Json::Value& value, std::string_view key) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    Json::Value& member = value[std::string(key)];
    if (!member.isObject()) member = Json::Value(Json::objectValue);
    return member;
}

Json::Value& JsonArrayMember(Json::Value& value, std::string_view key) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    Json::Value& member = value[std::string(key)];
    if (!member.isArray()) member = Json::Value(Json::arrayValue);
    return member;
}

bool JsonSetElement(Json::Value& array, Json::ArrayIndex index, Json::Value element) {
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    if (index >= array.size() && index - array.size() >= kMaxJsonArrayGrowth) return false;
    // jsoncpp's own growth leaves the gap unstored; append keeps the array dense, so
    // it compares equal to the same array read from text.
    while (array.size() < index) array.append(Json::Value());
    if (index == array.size())
        array.append(std::move(element));
    else
        array[index] = std::move(element);
    return true;
}

LocalTime CurrentLocalTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    return {parts.tm_year + 1900,
            parts.tm_mon + 1,
            parts.tm_mday,
            parts.tm_hour,
            parts.tm_min,
            parts.tm_sec,
            static_cast<int>(now.tv_nsec / 1000000)};
}

std::string FormatProfileUUID(const LocalTime& t) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%d_%02d_%02d_%02d_%02d_%02d_%03d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    return text.data();
}

std::string MakeProfileUUID(const LocalTimeSource& clock) {
    return FormatProfileUUID(clock ? clock() : CurrentLocalTime());
}

bool IsSafeFileStem(std::string_view name) {
    constexpr std::size_t kMaxLength = 128;
    if (name.empty() || name.size() > kMaxLength) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!plain) return false;
    }
    return true;
}
