// The few calls into the operating system, one interface for POSIX and Windows alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace brushwright {

// File names are UTF-8 strings everywhere inside the program; only this interface turns them
// into what the system takes (the bytes themselves on POSIX, UTF-16 on Windows).

// The std::filesystem path of a UTF-8 file name, and the UTF-8 name of a path. On POSIX both keep
// the bytes as they are, whatever they are.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string Utf8FromPath(const std::filesystem::path& path);

// True when a settings file name names its folder too, rather than being a bare file name:
// it holds "/" (and on Windows also "\").
bool NamesFolder(std::string_view file_name);

// What an open input is, as far as the system tells before reading it.
enum class InputKind { Directory, RegularFile, Stream };

// A file or the standard input, open for reading. Closes what it opened when destroyed; the
// standard input stays open.
class InputFile {
 public:
  // Opens `path` for reading, or the standard input when `standard_input`. Sets `error` and
  // gives a closed InputFile when the file cannot be opened.
  InputFile(const std::string& path, bool standard_input, std::error_code& error);
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // What the input is; `size` is set for a RegularFile. A Stream when the system cannot tell.
  InputKind Kind(std::uint64_t& size) const;
  // Reads up to `size` bytes into `data`: the count read, 0 at the end of the input. Interrupted
  // reads are retried; on failure sets `error` and gives 0.
  std::size_t Read(char* data, std::size_t size, std::error_code& error);

 private:
  std::intptr_t handle_ = -1;
  bool owned_ = false;
};

// Asks that the whole pages of a large buffer, not yet touched, be backed by huge pages. Only a
// hint: where the system has none, or refuses, nothing changes.
void AdviseHugePages(char* data, std::size_t size);

// Keeps memory the program frees for its own later use instead of giving it back to the system
// at once. A run frees large buffers between its phases (the input text, the level) and then
// allocates as much again; pages given back would be faulted in anew, which on virtual machines
// costs more than the work itself. For programs that run and end (the command line).
void KeepFreedMemory();

// Opens `path` in binary mode for writing ("wb") or appending ("ab"). nullptr with `error` set
// when it cannot be opened.
std::FILE* OpenFileForWriting(const std::string& path, bool append, std::error_code& error);

// True when `path` names an existing ordinary file (or a link to one); false for "",
// directories and anything that cannot be examined.
bool IsRegularFile(const std::string& path);

// Whether standard error is a terminal (a console on Windows), and its width in columns when it
// is and the system tells; 0 when unknown.
struct TerminalInfo {
  bool IsTerminal = false;
  std::size_t Columns = 0;
};
TerminalInfo StandardErrorTerminal();
// Makes a console show the program's UTF-8 output as the text it is; the console's own setting
// comes back when the program ends. Nothing where terminals take UTF-8 as they are.
void PrepareConsoleOutput();

// The command-line arguments after the program's name, as UTF-8 (Windows gives them as UTF-16;
// elsewhere they are `argv` as it is).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The running program's own file; sets `error` when the system cannot tell.
std::filesystem::path ProgramFile(std::error_code& error);

// A code module (shared object, DLL) loaded for the rest of the program: it is never unloaded.
// Returns nullptr and sets `problem` to the system's reason when `file` cannot be loaded.
void* LoadCodeModule(const std::filesystem::path& file, std::string& problem);
// The address of the exported `name` in a loaded module; nullptr when it has none.
void* CodeModuleSymbol(void* module, const char* name);

// The address of the OpenGL function `name` (those past OpenGL 1.1, which Windows' own library
// does not export), for the context current in this thread; nullptr when the driver lacks it.
void* OpenGlFunction(const char* name);

// The folder under which per-user settings folders live: $XDG_CONFIG_HOME when it is absolute,
// else $HOME/.config (".config" without HOME) on POSIX; %APPDATA% on Windows.
std::filesystem::path UserConfigurationFolder();

}  // namespace brushwright
