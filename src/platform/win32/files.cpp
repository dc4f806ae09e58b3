#include "platform/win32/files.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

bool WriteWhole(HANDLE file, const Bytes& contents) {
  std::size_t done = 0;
  while (done < contents.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, contents.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// A path of the core as Windows takes it. Bytes that are no characters of
// code page 932 name no file: the call is refused rather than made on
// another name.
std::optional<std::wstring> Wide(const Bytes& path) { return FromAnsiExact(path); }

DWORD AttributesOf(const Bytes& path) {
  const std::optional<std::wstring> wide = Wide(path);
  return wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
}

HANDLE OpenForReading(const Bytes& path) {
  const std::optional<std::wstring> wide = Wide(path);
  if (!wide) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool Win32FileSystem::Exists(const Bytes& path) {
  // A folder is no file: a program path built from an empty name is the data
  // folder itself, and opening it would start an Explorer window.
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<Bytes> Win32FileSystem::ReadAll(const Bytes& path) {
  FileHandle file(OpenForReading(path));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<std::size_t>::max() / 2) {
    return std::nullopt;
  }
  Bytes contents(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < contents.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
    DWORD read = 0;
    if (!ReadFile(file.Get(), contents.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;  // the file shrank while we read it
    done += read;
  }
  contents.resize(done);
  return contents;
}

bool Win32FileSystem::ReplaceAll(const Bytes& path, const Bytes& contents) {
  // A read-only file stays as it is, as with the system's own writers (Wine
  // would let the move replace it).
  const std::optional<std::wstring> target = Wide(path);
  if (!target) return false;
  DWORD attributes = GetFileAttributesW(target->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  const std::wstring temp = *target + L".tmp";
  {
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool ok = WriteWhole(file.Get(), contents) && FlushFileBuffers(file.Get());
    ok = file.Reset() && ok;
    if (!ok) {
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temp.c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

std::optional<std::uint64_t> Win32FileSystem::WriteTime(const Bytes& path) {
  const std::optional<std::wstring> wide = Wide(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

bool Win32FileSystem::Copy(const Bytes& from, const Bytes& to) {
  const std::optional<std::wstring> source = Wide(from);
  const std::optional<std::wstring> target = Wide(to);
  return source && target && CopyFileW(source->c_str(), target->c_str(), FALSE) != 0;
}

bool Win32FileSystem::CreateFolder(const Bytes& path) {
  const std::optional<std::wstring> wide = Wide(path);
  if (!wide) return false;
  if (CreateDirectoryW(wide->c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Bytes Win32FileSystem::SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::optional<Bytes> path = PathToAnsi(std::wstring(folder, length));
  if (!path || path->empty()) return {};
  if (path->back() != '\\') *path += '\\';
  return *path;
}

bool Win32FileSystem::Remove(const Bytes& path) {
  const std::optional<std::wstring> wide = Wide(path);
  return wide && DeleteFileW(wide->c_str()) != 0;
}

std::vector<Bytes> Win32FileSystem::List(const Bytes& folder, const Bytes& pattern) {
  return Find(folder, pattern, false);
}

std::vector<Bytes> Win32FileSystem::ListFolders(const Bytes& folder) { return Find(folder, "*.*", true); }

std::vector<Bytes> Win32FileSystem::Find(const Bytes& folder, const Bytes& pattern, bool folders) {
  std::vector<Bytes> names;
  const std::optional<std::wstring> query = Wide(JoinPath(folder, pattern));
  if (!query) return names;
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW(query->c_str(), &found));
  if (!search) return names;
  do {
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder != folders) continue;
    // A name code page 932 cannot hold is listed by its short name, which
    // names the same file; without one the entry cannot be reached.
    std::optional<Bytes> name = ToAnsiExact(found.cFileName);
    if (!name && found.cAlternateFileName[0]) name = ToAnsiExact(found.cAlternateFileName);
    if (name && *name != "." && *name != "..") names.push_back(std::move(*name));
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

std::optional<Bytes> Win32FileSystem::ReadHead(const Bytes& path, std::size_t maxBytes) {
  FileHandle file(OpenForReading(path));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return std::nullopt;
  Bytes head(static_cast<std::size_t>(std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart),
                                                                   maxBytes)),
             '\0');
  std::size_t done = 0;
  while (done < head.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(head.size() - done, 1u << 20));
    DWORD read = 0;
    if (!ReadFile(file.Get(), head.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    done += read;
  }
  head.resize(done);
  return head;
}

}  // namespace quiltor
