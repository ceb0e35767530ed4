// Streams a large SQLite table through the source reader and reports the resident
// memory as it goes: it must stay flat however many rows the table has.
//
//   reader_memory [rows] [file]
//
// Without a file, a table of `rows` rows (1,000,000 unless given) is built in a
// temporary folder first. Run it under /usr/bin/time -v for the peak.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "dac/UDataAccess.h"
#include "engine/UDataReader.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"

namespace {

// A value of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return std::atol(line.c_str() + prefix.size());
  return -1;
}

void BuildTable(TUniConnection& connection, long rows) {
  TUniScript script(&connection);
  script.SQL =
      "create table big (id integer primary key, name varchar(40), amount numeric(10,2), note text, "
      "stamp datetime, pic blob);"
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
      std::to_string(rows) +
      ") insert into big select i, 'name ' || i, i / 100.0, printf('%.*c', 200, 'x') || i, "
      "'2024-01-01 00:00:00', randomblob(64) from n";
  script.Execute();
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  std::string file = argc > 2 ? argv[2] : "";
  std::filesystem::path dir;
  try {
    TSqliteDBObjectFactory factory;
    factory.Initialize();
    TUniConnection& connection = *factory.Connection();
    if (file.empty()) {
      dir = std::filesystem::temp_directory_path() / ("ferrovan-bench-" + std::to_string(getpid()));
      std::filesystem::create_directories(dir);
      file = (dir / "big.sqlite").string();
      std::ofstream(file).close();
      connection.Database = file;
      connection.Connect();
      auto start = std::chrono::steady_clock::now();
      BuildTable(connection, rows);
      double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("built %ld rows in %.1f s, file %.0f MB\n", rows, seconds,
                  static_cast<double>(std::filesystem::file_size(file)) / 1e6);
      // The build ran through the same connection; start the read from a fresh one so
      // the numbers below are the reader's alone.
      connection.Disconnect();
    }
    connection.Database = file;
    connection.Connect();

    TSqliteConvertObjectFactory convert;
    convert.SetConnection(&connection);
    auto reader = convert.CreateDataReader();
    reader->SetTableName("big");
    std::printf("before open: VmRSS %ld kB, VmHWM %ld kB\n", StatusKb("VmRSS"), StatusKb("VmHWM"));
    auto start = std::chrono::steady_clock::now();
    reader->Open();
    std::printf("record count %d, fetch rows %d\n", reader->GetRecordCount(), reader->GetFetchRows());
    long read = 0;
    size_t bytes = 0;
    reader->GoToRow(1);
    while (reader->HasData()) {
      for (int i = 0; i < reader->GetColumnCount(); ++i) {
        bytes += reader->GetValue(i).size();
        if (reader->IsNull(i)) ++bytes;
      }
      ++read;
      if (read % 100000 == 0) std::printf("row %8ld: VmRSS %ld kB\n", read, StatusKb("VmRSS"));
      reader->Next();
    }
    reader->Close();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("read %ld rows, %zu value bytes in %.1f s (%.0f rows/s)\n", read, bytes, seconds,
                static_cast<double>(read) / seconds);
    std::printf("after read: VmRSS %ld kB, VmHWM %ld kB\n", StatusKb("VmRSS"), StatusKb("VmHWM"));
    connection.Disconnect();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    if (!dir.empty()) std::filesystem::remove_all(dir);
    return 1;
  }
  if (!dir.empty()) std::filesystem::remove_all(dir);
  return 0;
}
