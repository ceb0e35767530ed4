#include "session/UBatchOptions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "dialect/UDBLogon.h"
#include "dialect/UDBObjectFactory.h"

namespace {

// Writes a whole file with the given mode, also when it exists already.
void WriteFileWithMode(const std::string& fileName, const std::string& bytes, mode_t mode) {
  int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) throw EInOutError("Cannot create file \"" + fileName + "\": " + std::strerror(errno));
  // An existing file keeps its old mode on open; the password needs the tight one.
  bool ok = ::fchmod(fd, mode) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) throw EInOutError("Cannot write file \"" + fileName + "\": " + std::strerror(error));
}

}  // namespace

bool TBatchOptions::Validate() {
  if (SessionFile.empty())
    ErrorMessage = "Please enter sessoin file name.";
  else if (LogFile.empty())
    ErrorMessage = "Please enter log file name.";
  else if (BatchFile.empty())
    ErrorMessage = "Please enter batch file name.";
  else
    return true;
  return false;
}

TDBBatchOptions::TDBBatchOptions() = default;
TDBBatchOptions::~TDBBatchOptions() = default;

bool TDBBatchOptions::Validate() {
  for (TDBLogonOption* option : {SourceLogonOption.get(), DestLogonOption.get()}) {
    if (option && !option->Validate()) {
      ErrorMessage = option->ErrorMessage;
      return false;
    }
  }
  return TBatchOptions::Validate();
}

std::string TDBBatchOptions::BatchLine() const {
  std::string exe = ExecutablePath.empty() ? RunningExecutablePath() : ExecutablePath;
  std::string line = "\"" + exe + "\" ";
  if (SourceLogonOption)
    line += " source_db_type=\"" + SourceLogonOption->DBType + "\" " + SourceLogonOption->GetCmdLine();
  if (DestLogonOption) line += " dest_db_type=\"" + DestLogonOption->DBType + "\" " + DestLogonOption->GetCmdLine();
  line += " " + Key + "=\"" + SessionFile + "\" logfile=\"" + LogFile + "\"";
  return line;
}

void TDBBatchOptions::CreateBatchFile() { WriteFileWithMode(BatchFile, BatchLine() + "\r\n", 0700); }

void TDBBatchOptions::SetSource(TDBObjectFactory* factory) {
  if (!factory) return;
  SourceDBObjectFactory = factory;
  SourceLogonOption = factory->Logon()->CreateLogonOption();
  factory->Logon()->FillLogonOption(*SourceLogonOption);
  SourceLogonOption->PasswordInCmdLine = !PasswordFromEnvironment;
}

void TDBBatchOptions::SetDest(TDBObjectFactory* factory) {
  if (!factory || factory == SourceDBObjectFactory) return;
  DestDBObjectFactory = factory;
  DestLogonOption = factory->Logon()->CreateLogonOption();
  factory->Logon()->FillLogonOption(*DestLogonOption);
  DestLogonOption->PasswordInCmdLine = !PasswordFromEnvironment;
}

void TDBBatchOptions::SetPasswordFromEnvironment(bool on) {
  PasswordFromEnvironment = on;
  for (TDBLogonOption* option : {SourceLogonOption.get(), DestLogonOption.get()})
    if (option) option->PasswordInCmdLine = !on;
}

std::string TDBBatchOptions::GetSourceDBType() const { return SourceLogonOption ? SourceLogonOption->DBType : ""; }
std::string TDBBatchOptions::GetDestDBType() const { return DestLogonOption ? DestLogonOption->DBType : ""; }
std::string TDBBatchOptions::GetSourceCmdLine() const {
  return SourceLogonOption ? SourceLogonOption->GetCmdLine() : "";
}
std::string TDBBatchOptions::GetDestCmdLine() const { return DestLogonOption ? DestLogonOption->GetCmdLine() : ""; }

std::string RunningExecutablePath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

bool ResolveSessionFileName(const std::string& typed, const std::string& defaultExt, std::string& fileName,
                            std::string& errorMessage) {
  if (Trim(typed).empty()) {
    errorMessage = "Please choose/enter Sessoin file.";
    return false;
  }
  std::string name = typed;
  if (ExtractFilePath(name).empty()) {
    std::string folder = IncludeTrailingPathDelimiter(GetDocumentsDir()) + "Ferrovan";
    ForceDirectories(folder);
    name = IncludeTrailingPathDelimiter(folder) + ReplaceAll(typed, " ", "_");
  }
  if (ExtractFileExt(name).empty()) name += "." + defaultExt;
  fileName = name;

  // Opened for appending and closed again: an existing file keeps its content, so the
  // backup made when saving still holds the previous session.
  bool existed = FileExists(name);
  int fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    errorMessage =
        "Can not create Session file \"" + name + "\": " + std::strerror(errno) + ", please select another file.";
    return false;
  }
  ::close(fd);
  if (!existed) ::unlink(name.c_str());
  return true;
}

std::vector<std::string> ReadWorkspaceFile(const std::string& fileName) {
  TStringList lines;
  lines.SetText(ReadTextFile(fileName));
  return lines.Strings();
}

void WriteWorkspaceFile(const std::string& fileName, const std::vector<std::string>& files) {
  std::string text;
  for (const auto& f : files)
    if (!f.empty()) text += f + "\r\n";
  WriteFileBytes(fileName, text);
}
