#pragma once

#include <string>

bool FileExists(const std::string& fileName);   // a regular file (or a link to one)
bool DirectoryExists(const std::string& path);
// Creates the folder and its parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path, unsigned mode = 0777);

std::string ExtractFileName(const std::string& path);  // after the last "/"
std::string ExtractFilePath(const std::string& path);  // up to and including the last "/"
std::string ExtractFileExt(const std::string& path);   // from the last "." of the name, or empty
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);

// The user's home folder ($HOME, else the password database).
std::string HomeDir();

// The per-user application-data folder of Name, created when missing; ends with "/".
// Raises Exception "Cannot create \"<folder>\"" when it cannot be created.
std::string GetAppDataDir(const std::string& name);

// The user's documents folder; ends with "/".
std::string GetDocumentsDir();
