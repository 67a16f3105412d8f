// The operating-system calls on Windows: UTF-8 names inside, the wide-character calls at the edge.
#include "platform/platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// These need windows.h first.
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <limits>

namespace brushwright {

namespace {

// ReadFile takes a 32-bit count; larger reads go in pieces of this size.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;
// GetModuleFileNameW has no way to tell the length first: the buffer doubles up to this many
// characters, the longest path Windows takes.
constexpr DWORD kLongestPath = 32768;

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

// The failures a user meets with files, as the C library's error numbers, so that messages
// read as they do elsewhere ("No such file or directory"); others keep the system's code.
std::error_code ErrorFromWindows(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return std::error_code(ENOENT, std::generic_category());
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::error_code(EACCES, std::generic_category());
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::error_code(ENOSPC, std::generic_category());
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return std::error_code(ENOMEM, std::generic_category());
    default:
      return std::error_code(static_cast<int>(code), std::system_category());
  }
}

// The system's own words for an error code, on one line.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string message = length > 0 ? Utf8FromWide(std::wstring_view(buffer, length))
                                   : "error " + std::to_string(code);
  LocalFree(buffer);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

HANDLE HandleOf(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// The console's code page as it was before the program changed it, put back at exit.
UINT g_console_code_page = 0;

void RestoreConsoleCodePage() {
  SetConsoleOutputCP(g_console_code_page);
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(WideFromUtf8(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

bool NamesFolder(std::string_view file_name) {
  return file_name.find_first_of("/\\") != std::string_view::npos;
}

InputFile::InputFile(const std::string& path, bool standard_input, std::error_code& error) {
  if (standard_input) {
    handle_ = reinterpret_cast<std::intptr_t>(GetStdHandle(STD_INPUT_HANDLE));
    return;
  }
  // Backup semantics let a folder open too, so that it is reported as one.
  const HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ErrorFromWindows(GetLastError());
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  owned_ = true;
}

InputFile::~InputFile() {
  if (owned_) CloseHandle(HandleOf(handle_));
}

InputKind InputFile::Kind(std::uint64_t& size) const {
  const HANDLE handle = HandleOf(handle_);
  if (GetFileType(handle) != FILE_TYPE_DISK) return InputKind::Stream;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return InputKind::Stream;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return InputKind::Directory;
  size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return InputKind::RegularFile;
}

std::size_t InputFile::Read(char* data, std::size_t size, std::error_code& error) {
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(std::min(size, kLargestRead));
  if (ReadFile(HandleOf(handle_), data, wanted, &got, nullptr)) return got;
  const DWORD code = GetLastError();
  // The writing end of a pipe has closed: that is the end of the input.
  if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;
  error = ErrorFromWindows(code);
  return 0;
}

void AdviseHugePages(char*, std::size_t) {}

std::FILE* OpenFileForWriting(const std::string& path, bool append, std::error_code& error) {
  std::FILE* file = _wfopen(WideFromUtf8(path).c_str(), append ? L"ab" : L"wb");
  if (file == nullptr) error = std::error_code(errno, std::generic_category());
  return file;
}

bool IsRegularFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

TerminalInfo StandardErrorTerminal() {
  TerminalInfo terminal;
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  terminal.IsTerminal =
      handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (terminal.IsTerminal && GetConsoleScreenBufferInfo(handle, &info)) {
    terminal.Columns = static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
  }
  return terminal;
}

void PrepareConsoleOutput() {
  const UINT code_page = GetConsoleOutputCP();
  if (code_page == 0 || code_page == CP_UTF8) return;  // no console, or already UTF-8
  if (!SetConsoleOutputCP(CP_UTF8)) return;
  g_console_code_page = code_page;
  std::atexit(RestoreConsoleCodePage);
}

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

std::filesystem::path ProgramFile(std::error_code& error) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) {
      error = ErrorFromWindows(GetLastError());
      return {};
    }
    if (length < name.size() || name.size() >= kLongestPath) {
      name.resize(length);
      return std::filesystem::path(name);
    }
    name.resize(name.size() * 2);
  }
}

void* LoadCodeModule(const std::filesystem::path& file, std::string& problem) {
  // The module's own dependencies are looked for beside it, not beside the program.
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) problem = SystemMessage(GetLastError());
  return reinterpret_cast<void*>(module);
}

void* CodeModuleSymbol(void* module, const char* name) {
  const FARPROC address = GetProcAddress(static_cast<HMODULE>(module), name);
  return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(address));
}

void* OpenGlFunction(const char* name) {
  // opengl32.dll is loaded by the toolkit's OpenGL canvas; looked up here rather than linked, so
  // that the command line never needs it.
  const HMODULE library = GetModuleHandleW(L"opengl32.dll");
  if (library == nullptr) return nullptr;
  using GetProcAddressFunction = PROC(WINAPI*)(LPCSTR);
  const auto wgl_get_proc_address = reinterpret_cast<GetProcAddressFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "wglGetProcAddress")));
  std::uintptr_t address = 0;
  if (wgl_get_proc_address != nullptr) {
    address = reinterpret_cast<std::uintptr_t>(wgl_get_proc_address(name));
  }
  // Drivers answer 1, 2, 3 or -1 for "not found", and only the library itself has 1.1's functions.
  if (address <= 3 || address == static_cast<std::uintptr_t>(-1)) {
    address = reinterpret_cast<std::uintptr_t>(GetProcAddress(library, name));
  }
  return reinterpret_cast<void*>(address);
}

std::filesystem::path UserConfigurationFolder() {
  const wchar_t* app_data = _wgetenv(L"APPDATA");
  if (app_data != nullptr && *app_data != L'\0') return std::filesystem::path(app_data);
  // Without the variable (a stripped environment), the folder it names.
  wchar_t* known = nullptr;
  std::filesystem::path folder(".");
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK) folder = known;
  CoTaskMemFree(known);
  return folder;
}

void KeepFreedMemory() {
  // The Windows heap keeps what is freed within the process on its own.
}

}  // namespace brushwright
