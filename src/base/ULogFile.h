#pragma once

#include <string>

// Appends one line "[yyyy-mm-dd hh:mm:ss:zzz] text" CR LF to a file, creating it when
// missing. The file is opened and closed for every line, under one process-wide lock,
// so several loggers may share a file and it can be read or moved between lines.
// Raises EInOutError naming the file when it cannot be opened.
void WriteLogLine(const std::string& fileName, const std::string& text);
