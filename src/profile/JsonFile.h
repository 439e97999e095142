#pragma once
// Whole-file JSON reads and writes shared by every JSON file of the program, the text
// conversion of JSON strings, typed member readers that never throw, and the
// time-stamp names of profiles and macros.
#include <json/value.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Larger files count as unreadable: nothing the program writes comes near it.
inline constexpr std::size_t kMaxJsonFileBytes = 16u * 1024u * 1024u;

enum class FileReadResult {
    Ok,
    Missing,     // no such file
    Unreadable,  // exists but is no regular file, cannot be read, or is above the limit
    Unparsable,  // read, but not a JSON object (JSON reads only)
};

// --- Files ---------------------------------------------------------------------------

// The whole file into `text`; empty when missing, unreadable or too large.
FileReadResult ReadFileText(const std::string& path, std::string& text);
// The parsed document into `root`. A file that cannot be read or parsed, or holds
// something other than an object, counts as an empty document: `root` is null and the
// result is false.
FileReadResult ReadJsonFileResult(const std::string& path, Json::Value& root);
bool ReadJsonFile(const std::string& path, Json::Value& root);

// Replaces the file atomically (temporary file beside it, flushed, renamed over it); on
// any failure the old file stays as it was and the result is false. A file that exists
// but does not hold a JSON object is kept as "<path>.bad" before it is replaced.
bool WriteFileText(const std::string& path, std::string_view text);
// Identity of a file's current content: changes with every replacement, and with every
// edit in place that changes the size or falls into a later file-system clock tick.
struct FileStamp {
    long long device = 0, inode = 0, size = -1, modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// False when the file does not exist or cannot be examined.
bool ReadFileStamp(const std::string& path, FileStamp& stamp);

// The styled JSON text of `root` followed by one newline, written as WriteFileText does.
bool WriteJsonFile(const std::string& path, const Json::Value& root);
// As WriteJsonFile, for a caller that has just read the file with `lastRead`: when that
// read was Ok the old file is known to be good and is not read again.
bool WriteJsonFileAfterRead(const std::string& path, const Json::Value& root,
                            FileReadResult lastRead);
// The exact text WriteJsonFile writes. Texts that are not valid UTF-8 are written as
// their Latin-1 reading (the writer would turn them into garbage escapes).
std::string StyledJsonText(const Json::Value& root);
// Copies a file whole. When the source cannot be read the target stays as it was.
bool CopyWholeFile(const std::string& from, const std::string& to);

// --- Text in JSON strings ------------------------------------------------------------

// Texts are UTF-8 in memory and in files. Bytes that are not valid UTF-8 (files from
// older versions) are taken as Latin-1, so the result is always valid UTF-8.
std::string ToFileText(std::string_view text);
std::string FromFileText(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// --- Checked access to file content --------------------------------------------------

// The member or element, or a null value when the container has another type or lacks it.
const Json::Value& JsonMember(const Json::Value& object, std::string_view key);
const Json::Value& JsonElement(const Json::Value& array, Json::ArrayIndex index);

// Conversions of one value; the fallback when the value has another type or does not
// fit. Integers accept integral JSON numbers only.
int JsonAsInt(const Json::Value& value, int fallback);
int JsonAsIntIn(const Json::Value& value, int lowest, int highest, int fallback);
bool JsonAsBool(const Json::Value& value, bool fallback);  // booleans and numbers
std::string JsonAsString(const Json::Value& value, const std::string& fallback = {});

// Member shorthands of the conversions above.
int JsonInt(const Json::Value& object, std::string_view key, int fallback);
int JsonIntIn(const Json::Value& object, std::string_view key, int lowest, int highest,
              int fallback);
bool JsonBool(const Json::Value& object, std::string_view key, bool fallback);
std::string JsonString(const Json::Value& object, std::string_view key,
                       const std::string& fallback = {});
// The member when it is an array (object), else an empty array (object).
const Json::Value& JsonArray(const Json::Value& object, std::string_view key);
const Json::Value& JsonObject(const Json::Value& object, std::string_view key);

// Writers: make `value` an object (array) when it is not, then return the member as an
// object (array), replacing a member of another type.
Json::Value& JsonObjectMember(Json::Value& value, std::string_view key);
Json::Value& JsonArrayMember(Json::Value& value, std::string_view key);
// Sets element `index` of `array` (made an array when it is not), filling with nulls.
// Refused (false) beyond kMaxJsonArrayGrowth elements past the end.
inline constexpr Json::ArrayIndex kMaxJsonArrayGrowth = 4096;
bool JsonSetElement(Json::Value& array, Json::ArrayIndex index, Json::Value element);

// --- Names -----------------------------------------------------------------------------

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
using LocalTimeSource = std::function<LocalTime()>;
LocalTime CurrentLocalTime();
// "2021_11_19_14_03_07_045": names profile files and macros.
std::string FormatProfileUUID(const LocalTime& time);
std::string MakeProfileUUID(const LocalTimeSource& clock = CurrentLocalTime);

// True for a name read from a file that may become a file name: 1..128 characters of
// A-Z a-z 0-9 _ - . and no "..". Nothing else may reach a path.
bool IsSafeFileStem(std::string_view name);
