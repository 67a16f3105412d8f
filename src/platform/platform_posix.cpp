// The operating-system calls on Linux and other POSIX systems: file names are bytes as they are.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cerrno>
#include <cstdlib>

namespace brushwright {

namespace {

// Blocks up to this size come from the heap (not mapped and unmapped each on its own) and freed
// memory up to this much stays in the process (glibc gives it back beyond 128 KB); the heap grows
// by the other at a time. The phases of a run then reuse each other's pages.
constexpr int kKeptFreeMemory = 256 * 1024 * 1024;
constexpr int kHeapGrowth = 4 * 1024 * 1024;

}  // namespace

namespace {

// Below this size a buffer gains nothing from huge pages: a fresh 4 KB page costs one page fault
// at first touch, which on a virtual machine outweighs the read itself only for large texts.
constexpr std::size_t kHugePageThreshold = 4 * 1024 * 1024;
// Where Linux shows the running program's own file.
constexpr char kOwnProgramLink[] = "/proc/self/exe";

std::error_code LastError() {
  return std::error_code(errno, std::generic_category());
}

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(name);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return path.native();
}

bool NamesFolder(std::string_view file_name) {
  return file_name.find('/') != std::string_view::npos;
}

InputFile::InputFile(const std::string& path, bool standard_input, std::error_code& error) {
  if (standard_input) {
    handle_ = STDIN_FILENO;
    return;
  }
  handle_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  owned_ = handle_ >= 0;
  if (handle_ < 0) error = LastError();
}

InputFile::~InputFile() {
  if (owned_) close(static_cast<int>(handle_));
}

InputKind InputFile::Kind(std::uint64_t& size) const {
  struct stat status {};
  if (fstat(static_cast<int>(handle_), &status) != 0) return InputKind::Stream;
  if (S_ISDIR(status.st_mode)) return InputKind::Directory;
  if (!S_ISREG(status.st_mode)) return InputKind::Stream;
  size = static_cast<std::uint64_t>(status.st_size);
  return InputKind::RegularFile;
}

std::size_t InputFile::Read(char* data, std::size_t size, std::error_code& error) {
  for (;;) {
    const ssize_t got = read(static_cast<int>(handle_), data, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      error = LastError();
      return 0;
    }
  }
}

void AdviseHugePages(char* data, std::size_t size) {
  if (size < kHugePageThreshold) return;
  const long page_size = sysconf(_SC_PAGESIZE);
  if (page_size <= 0) return;
  const auto page = static_cast<std::uintptr_t>(page_size);
  const auto address = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (address + page - 1) / page * page;
  const std::uintptr_t end = (address + size) / page * page;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::FILE* OpenFileForWriting(const std::string& path, bool append, std::error_code& error) {
  std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (file == nullptr) error = LastError();
  return file;
}

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

TerminalInfo StandardErrorTerminal() {
  TerminalInfo terminal;
  terminal.IsTerminal = isatty(STDERR_FILENO) != 0;
  winsize size{};
  if (terminal.IsTerminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0) {
    terminal.Columns = size.ws_col;
  }
  return terminal;
}

void PrepareConsoleOutput() {}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::filesystem::path ProgramFile(std::error_code& error) {
  return std::filesystem::read_symlink(kOwnProgramLink, error);
}

void* LoadCodeModule(const std::filesystem::path& file, std::string& problem) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) problem = dlerror();
  return handle;
}

void* CodeModuleSymbol(void* module, const char* name) {
  return dlsym(module, name);
}

void* OpenGlFunction(const char* name) {
  // The toolkit has loaded the system's OpenGL library, which exports every function by name.
  return dlsym(RTLD_DEFAULT, name);
}

std::filesystem::path UserConfigurationFolder() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative or empty one is to be ignored.
  std::filesystem::path base(EnvironmentText("XDG_CONFIG_HOME"));
  if (!base.empty() && base.is_absolute()) return base;
  const std::string home = EnvironmentText("HOME");
  return home.empty() ? std::filesystem::path(".config") : std::filesystem::path(home) / ".config";
}

void KeepFreedMemory() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, kKeptFreeMemory);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
  mallopt(M_TOP_PAD, kHeapGrowth);
#endif
}

}  // namespace brushwright
