#pragma once

#include <memory>
#include <string>
#include <vector>

class TDBObjectFactory;
class TDBLogonOption;

// What a batch file that runs one saved session holds.
class TBatchOptions {
 public:
  virtual ~TBatchOptions() = default;
  virtual bool Validate();
  virtual void CreateBatchFile() = 0;

  std::string Key = "session";
  std::string SessionFile, LogFile, BatchFile;
  std::string ErrorMessage;
};

// A batch file that logs on to the source and destination databases first.
class TDBBatchOptions : public TBatchOptions {
 public:
  TDBBatchOptions();
  ~TDBBatchOptions() override;

  bool Validate() override;
  // One line and CR LF. The file holds a password, so it is readable and writable by
  // its owner only; it is executable, so the line runs through a shell as it stands.
  void CreateBatchFile() override;
  std::string BatchLine() const;

  // Takes the logon of the factory's current connection; nothing without a factory.
  void SetSource(TDBObjectFactory* factory);
  void SetDest(TDBObjectFactory* factory);
  // On: the batch file holds no password, and its run takes the DB2 password from
  // the environment variable FERROVAN_DB2_PASSWORD. Off (the default): the password
  // is in the file, as batch files have always had it.
  void SetPasswordFromEnvironment(bool on);
  bool GetPasswordFromEnvironment() const { return PasswordFromEnvironment; }
  std::string GetSourceDBType() const;
  std::string GetDestDBType() const;
  std::string GetSourceCmdLine() const;
  std::string GetDestCmdLine() const;

  TDBObjectFactory* SourceDBObjectFactory = nullptr;
  TDBObjectFactory* DestDBObjectFactory = nullptr;
  std::unique_ptr<TDBLogonOption> SourceLogonOption;
  std::unique_ptr<TDBLogonOption> DestLogonOption;
  // The program the batch file starts: the running executable unless set.
  std::string ExecutablePath;

 private:
  bool PasswordFromEnvironment = false;
};

// The full path of the running program.
std::string RunningExecutablePath();

// The save dialog's file-name rules: a name without a folder goes, blanks turned into
// "_", into the "Ferrovan" folder of the documents folder (created when missing); a
// name without an extension gets the default one. Returns false with the message the
// dialog shows when the name is empty or cannot be written; an existing file is left
// as it is.
bool ResolveSessionFileName(const std::string& typed, const std::string& defaultExt, std::string& fileName,
                            std::string& errorMessage);

// Workspace files: one file name per line, CR LF, no blank lines.
std::vector<std::string> ReadWorkspaceFile(const std::string& fileName);
void WriteWorkspaceFile(const std::string& fileName, const std::vector<std::string>& files);
