#include "base/UPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "base/UExceptions.h"

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    partial = path.substr(0, pos);
    if (partial.empty() || DirectoryExists(partial)) continue;
    if (mkdir(partial.c_str(), mode) != 0 && !DirectoryExists(partial)) return false;
  }
  return DirectoryExists(path);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFilePath(const std::string& path) {
  auto pos = path.rfind('/');
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  auto pos = name.rfind('.');
  return pos == std::string::npos ? std::string() : name.substr(pos);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string ext0 = ExtractFileExt(path);
  return path.substr(0, path.size() - ext0.size()) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  return (!path.empty() && path.back() == '/') ? path : path + "/";
}

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? std::string(value) : fallback;
}

}  // namespace

std::string GetAppDataDir(const std::string& name) {
  std::string base = EnvOr("XDG_DATA_HOME", HomeDir() + "/.local/share");
  std::string folder = IncludeTrailingPathDelimiter(base) + name;
  if (!ForceDirectories(folder)) throw Exception("Cannot create \"" + folder + "\"");
  return IncludeTrailingPathDelimiter(folder);
}

std::string GetDocumentsDir() { return IncludeTrailingPathDelimiter(EnvOr("XDG_DOCUMENTS_DIR", HomeDir() + "/Documents")); }
